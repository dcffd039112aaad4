#include "platform/Console.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace platform {

namespace {

// The handler may only do what is safe inside a signal: it writes one byte
// to a pipe whose other end the event loop watches.
int signalPipe[2] = { -1, -1 };

void WriteToPipe(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = write(signalPipe[1], &byte, 1);
}

} // namespace

struct InterruptBridge::PreviousAction {
    struct sigaction action { };
};

bool StandardErrorIsTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}

InterruptBridge::InterruptBridge(std::function<void()> onInterrupt, QObject* parent)
    : QObject(parent), onInterrupt(std::move(onInterrupt)),
      previous(std::make_unique<PreviousAction>())
{
    if (signalPipe[0] >= 0)
        throw std::logic_error("only one interrupt bridge may exist at a time");
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("no pipe for the interrupt signal");
    notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] { Deliver(); });
    struct sigaction action { };
    action.sa_handler = WriteToPipe;
    sigemptyset(&action.sa_mask);
    // The handler is taken away as it runs, so the next Control+C ends the
    // program whatever the event loop is doing.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, &previous->action);
}

InterruptBridge::~InterruptBridge()
{
    sigaction(SIGINT, &previous->action, nullptr);
    delete notifier;
    close(signalPipe[0]);
    close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void InterruptBridge::Deliver()
{
    char bytes[16];
    while (read(signalPipe[0], bytes, sizeof bytes) > 0) { }
    onInterrupt();
}

} // namespace platform
