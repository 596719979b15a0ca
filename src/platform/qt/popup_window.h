#pragma once

#include "platform/popover.h"

#include <QWidget>

#include <chrono>
#include <memory>

namespace platform {

// The popover on a Linux desktop: a frameless window under (or above) the tray icon. Transient,
// it closes when the user clicks anywhere else or presses Escape. On X11 it is a popup, placed
// where asked; Wayland places no parentless popups, so there it is a frameless window that
// closes when it loses focus.
class PopupWindow final : public QObject, public Popover {
    Q_OBJECT
public:
    enum class Behavior { ApplicationDefined = 0, Transient = 1 };

    // `title` names the window to the window manager and task switchers.
    explicit PopupWindow(const QString& title);
    ~PopupWindow() override;

    void setContentSize(QSize size);
    void setBehavior(Behavior behavior);
    // The view the popover shows, in place of the one before.
    void setContent(std::unique_ptr<QWidget> content);

    bool isShown() const override;
    void show(Rect rect, const StatusItemButton& view, RectEdge preferredEdge) override;
    void performClose(StatusItemButton* sender) override;
    void makeContentWindowKey() override;

    QWidget* window() const { return window_.get(); }

    // Where a window of `size` goes next to `anchor` on a screen whose free area is `available`:
    // on the preferred edge when it fits there, else on the opposite one, always on the screen.
    static QRect placement(QRect anchor, QSize size, QRect available, RectEdge preferredEdge);

    // Where to open when nothing tells where the item is: at the far end of the bar, where
    // trays sit, on whichever edge the free area shows a bar; the top right without one.
    static QRect barEnd(QRect screen, QRect available);

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void releaseWhileClosed();

    std::unique_ptr<QWidget> window_;
    // Through XWayland, a clear window over the whole screen under the popup while it is open:
    // a click on a Wayland window would never reach X11, so the popup's grab would not see it.
    std::unique_ptr<QWidget> clickCatcher_;
    // The window's child, declared after it so that it goes first: a child deleted before its
    // parent leaves it, where the parent would otherwise delete it a second time.
    std::unique_ptr<QWidget> content_;
    QSize contentSize_;
    // When the window last closed by a click elsewhere (or, where it is no popup, by losing the
    // focus): when that click was on the item, the item hears of it just after, and must not
    // open the window again.
    std::chrono::steady_clock::time_point closedFromOutside_{};
    bool closingItself_ = false;
    Behavior behavior_ = Behavior::ApplicationDefined;
};

} // namespace platform
