// What a command-line program needs of its process: whether standard error
// is a terminal, and Control+C turned into a call on the event loop instead
// of ending the program on the spot.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace platform {

bool StandardErrorIsTerminal();

// While it lives, the first SIGINT calls onInterrupt from the event loop of
// the thread that created it. A second SIGINT ends the program as it
// normally would, so that a run that does not stop can still be left. Only
// one may exist at a time.
class InterruptBridge : public QObject {
public:
    explicit InterruptBridge(std::function<void()> onInterrupt, QObject* parent = nullptr);
    ~InterruptBridge() override;
    InterruptBridge(const InterruptBridge&) = delete;
    InterruptBridge& operator=(const InterruptBridge&) = delete;

private:
    struct PreviousAction;

    void Deliver();

    std::function<void()> onInterrupt;
    QSocketNotifier* notifier = nullptr;
    std::unique_ptr<PreviousAction> previous;
};

} // namespace platform
