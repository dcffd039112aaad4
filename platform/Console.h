// What a program needs of its process: whether standard error is a
// terminal, and Control+C (or a terminate or hang-up signal) turned into a
// call on the event loop instead of ending the program on the spot.
#pragma once

#include <QObject>
#include <csignal>
#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace platform {

bool StandardErrorIsTerminal();

// The signals that ask a program with a window to end: a terminate (what
// `kill` and a session's logout send), a hang-up and an interrupt.
inline const std::vector<int> EndingSignals { SIGTERM, SIGHUP, SIGINT };

// While it lives, the first of the signals calls onInterrupt from the event
// loop of the thread that created it. A second one ends the program as it
// normally would, so that a run that does not stop can still be left. Only
// one may exist at a time.
class InterruptBridge : public QObject {
public:
    explicit InterruptBridge(std::function<void()> onInterrupt,
        const std::vector<int>& signalNumbers = { SIGINT }, QObject* parent = nullptr);
    ~InterruptBridge() override;
    InterruptBridge(const InterruptBridge&) = delete;
    InterruptBridge& operator=(const InterruptBridge&) = delete;

private:
    struct PreviousAction;

    void Deliver();

    std::function<void()> onInterrupt;
    QSocketNotifier* notifier = nullptr;
    std::vector<PreviousAction> previous;
};

} // namespace platform
