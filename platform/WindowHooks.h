// The events of a window that components owned by it may take over: each is
// a replaceable handler, so a component can put its own in place, call the one
// it found, and later give that one back.
#pragma once

#include <QObject>
#include <QSize>
#include <functional>

class QTimer;
class QWidget;

namespace platform {

// Where a window goes when it is shown.
enum class WindowPosition { Designed, ScreenCenter, DesktopCenter };

class WindowEvents : public QObject {
    Q_OBJECT
public:
    using Notify = std::function<void(QObject* Sender)>;
    using CloseQuery = std::function<void(QObject* Sender, bool& CanClose)>;

    // The window's events object, created on first use; it lives as long as
    // the window does.
    static WindowEvents* Of(QWidget* window);

    Notify OnCreate;
    Notify OnShow;
    Notify OnActivate;
    CloseQuery OnCloseQuery;
    Notify OnDeactivate;
    Notify OnHide;
    Notify OnDestroy;

    // Qt has no moment after the last constructor of a window has run, nor
    // one before its controls are gone: the window reports both itself.
    void NotifyCreated();
    void NotifyDestroying();

    // A frame size given while the window had no frame yet: the window is
    // sized to it again once it is shown and its frame is known.
    void SetPendingFrameSize(QSize size) { pendingFrameSize_ = size; }

    WindowPosition Position() const { return position_; }
    void SetPosition(WindowPosition position) { position_ = position; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit WindowEvents(QWidget* window);
    void Fire(const Notify& handler);
    bool QueryClose();
    void PlaceOnShow();
    void ApplyPendingFrameSize();
    void WatchForFrame();

    QWidget* window_;
    WindowPosition position_ = WindowPosition::Designed;
    QSize pendingFrameSize_;
    QTimer* frameWatch_ = nullptr;
    int frameChecks_ = 0;
};

} // namespace platform
