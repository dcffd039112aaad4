#include "platform/Console.h"

#include <QSocketNotifier>
#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace platform {

namespace {

// The handler may only do what is safe inside a signal: it writes one byte
// to a pipe whose other end the event loop watches, and gives every watched
// signal back its default action, so that the next one ends the program
// whatever the event loop is doing.
int signalPipe[2] = { -1, -1 };
constexpr std::size_t MostSignals = 8;
int watched[MostSignals];
std::size_t watchedCount = 0;

void WriteToPipe(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = write(signalPipe[1], &byte, 1);
    struct sigaction fallback { };
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    for (std::size_t i = 0; i < watchedCount; ++i)
        sigaction(watched[i], &fallback, nullptr);
}

} // namespace

struct InterruptBridge::PreviousAction {
    int signalNumber = 0;
    struct sigaction action { };
};

bool StandardErrorIsTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}

InterruptBridge::InterruptBridge(
    std::function<void()> onInterrupt, const std::vector<int>& signalNumbers, QObject* parent)
    : QObject(parent), onInterrupt(std::move(onInterrupt)), previous(signalNumbers.size())
{
    if (signalPipe[0] >= 0)
        throw std::logic_error("only one interrupt bridge may exist at a time");
    if (signalNumbers.size() > MostSignals)
        throw std::logic_error("too many signals for one interrupt bridge");
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("no pipe for the interrupt signal");
    notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] { Deliver(); });
    struct sigaction action { };
    action.sa_handler = WriteToPipe;
    sigemptyset(&action.sa_mask);
    // While one of them is handled the others wait, so that the handler
    // never runs twice at once.
    for (const int signalNumber : signalNumbers)
        sigaddset(&action.sa_mask, signalNumber);
    action.sa_flags = SA_RESTART;
    std::copy(signalNumbers.begin(), signalNumbers.end(), watched);
    watchedCount = signalNumbers.size();
    for (std::size_t i = 0; i < signalNumbers.size(); ++i) {
        previous[i].signalNumber = signalNumbers[i];
        sigaction(signalNumbers[i], &action, &previous[i].action);
    }
}

InterruptBridge::~InterruptBridge()
{
    for (const PreviousAction& before : previous)
        sigaction(before.signalNumber, &before.action, nullptr);
    watchedCount = 0;
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
