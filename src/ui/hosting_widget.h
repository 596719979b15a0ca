#pragma once

#include "ui/view_host.h"

#include <QTimer>
#include <QWidget>

namespace ui {

// A Qt widget that shows a root view crisply at the screen's device pixel ratio. It renders
// again when asked (an observed object changed, the appearance changed, a view changed its
// state) and, while something animates and the widget is shown, once per frame.
class HostingWidget final : public QWidget {
    Q_OBJECT
public:
    explicit HostingWidget(ViewHost::Body body, QWidget* parent = nullptr);
    ~HostingWidget() override;

    // Renders again whenever `signal` fires; several firings before the next frame give one render.
    template <class Signal>
    void observe(Signal& signal)
    {
        const auto connection = signal.connect([this] { invalidate(); });
        disconnects_.push_back([&signal, connection] { signal.disconnect(connection); });
    }

    void setColorScheme(ColorScheme scheme);

    // Asks for a full render: something the views read has changed.
    void invalidate();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    ViewHost host_;
    ColorScheme scheme_ = ColorScheme::Light;
    bool stale_ = true;  // the last render no longer shows what the views would build
    QSize renderedSize_;
    QTimer frameTimer_;
    std::vector<std::function<void()>> disconnects_;
};

} // namespace ui
