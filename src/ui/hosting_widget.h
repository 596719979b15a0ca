#pragma once

#include "ui/keyboard_focus.h"
#include "ui/view_host.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

namespace ui {

// A Qt widget that shows a root view crisply at the screen's device pixel ratio. It renders
// again when asked (an observed object changed, the appearance changed, a view changed its
// state) and, while something animates and the widget is shown, once per frame. Tab and
// Shift+Tab move the keyboard among its buttons, Space and Enter press the one it is on; while
// assistive technology listens, its views are presented as accessible elements.
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

    // Something the views read has changed: they are built and laid out again, and what they
    // draw differently is painted again.
    void invalidate();

    // The last render's layout, in the widget's coordinates.
    const LaidOut& laidOut() const { return host_.laidOut(); }
    // The button the keyboard is on, while the widget has the focus.
    std::optional<ViewPath> focusedButton() const { return hasFocus() ? focus_.button : std::nullopt; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    ViewHost host_;
    ColorScheme scheme_ = ColorScheme::Light;
    bool stale_ = true;  // the whole widget needs laying out and painting
    bool layoutQueued_ = false;
    QSize renderedSize_;
    QImage canvas_; // painted on the painting thread, then shown
    QTimer frameTimer_;
    KeyboardFocus focus_;
    std::optional<QPointF> keyPress_; // where Space or Enter pressed the focused button

    void layOutAgain();
    void setKeyboardFocus(KeyboardFocus focus);
    std::vector<std::function<void()>> disconnects_;
};

} // namespace ui
