#include "platform/WindowHooks.h"
#include "platform/WindowPlacement.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <utility>

namespace platform {

WindowEvents* WindowEvents::Of(QWidget* window)
{
    if (auto* existing = window->findChild<WindowEvents*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new WindowEvents(window);
}

WindowEvents::WindowEvents(QWidget* window) : QObject(window), window_(window)
{
    window->installEventFilter(this);
}

void WindowEvents::Fire(const Notify& handler)
{
    // A handler may replace itself while it runs.
    if (const Notify current = handler)
        current(window_);
}

void WindowEvents::NotifyCreated()
{
    Fire(OnCreate);
}

void WindowEvents::NotifyDestroying()
{
    Fire(OnDestroy);
}

bool WindowEvents::QueryClose()
{
    bool canClose = true;
    if (const CloseQuery current = OnCloseQuery)
        current(window_, canClose);
    return canClose;
}

namespace {

// How often, and how many times, a shown window looks whether a window
// manager has framed it: about two seconds in all.
constexpr int FrameCheckInterval = 20; // milliseconds
constexpr int FrameChecks = 100;

} // namespace

// A window manager frames a window only after it is mapped, and until then
// its margins read as none: a frame size applied at the show would leave
// the client as large as the frame, and the next saved frame larger by the
// margins. So the size is applied again once the margins are known; a
// window that no manager frames keeps the size it got at the show.
void WindowEvents::ApplyPendingFrameSize()
{
    const QSize frame = pendingFrameSize_;
    if (!frame.isValid() || !window_->windowHandle())
        return;
    const QMargins margins = window_->windowHandle()->frameMargins();
    if (!margins.isNull())
        pendingFrameSize_ = QSize();
    const QSize client(frame.width() - margins.left() - margins.right(),
        frame.height() - margins.top() - margins.bottom());
    // Qt keeps a maximized window's normal size only as the size it had when
    // it left the normal state.
    const Qt::WindowStates state = window_->windowState();
    const Qt::WindowStates sized = Qt::WindowMinimized | Qt::WindowMaximized;
    if (state & sized)
        window_->setWindowState(state & ~sized);
    window_->resize(client);
    if (state & sized)
        window_->setWindowState(state);
}

void WindowEvents::WatchForFrame()
{
    if (!pendingFrameSize_.isValid())
        return;
    if (!frameWatch_) {
        frameWatch_ = new QTimer(this);
        frameWatch_->setInterval(FrameCheckInterval);
        connect(frameWatch_, &QTimer::timeout, this, [this] {
            ApplyPendingFrameSize();
            if (!pendingFrameSize_.isValid() || ++frameChecks_ >= FrameChecks) {
                frameWatch_->stop();
                pendingFrameSize_ = QSize();
            }
        });
    }
    frameChecks_ = 0;
    frameWatch_->start();
}

void WindowEvents::PlaceOnShow()
{
    if (position_ == WindowPosition::Designed)
        return;
    QScreen* screen = window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = position_ == WindowPosition::ScreenCenter
        ? screen->availableGeometry()
        : screen->availableVirtualGeometry();
    window_->move(CentredWithin(area, window_->frameGeometry().size()));
}

bool WindowEvents::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != window_)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        if (!event->spontaneous()) {
            ApplyPendingFrameSize();
            WatchForFrame();
            PlaceOnShow();
            Fire(OnShow);
        }
        break;
    case QEvent::Hide:
        if (!event->spontaneous())
            Fire(OnHide);
        break;
    case QEvent::WindowActivate:
        Fire(OnActivate);
        break;
    case QEvent::WindowDeactivate:
        Fire(OnDeactivate);
        break;
    case QEvent::Close:
        if (!QueryClose()) {
            event->ignore();
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

} // namespace platform
