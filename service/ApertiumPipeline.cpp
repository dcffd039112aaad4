#include "service/ApertiumPipeline.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <vector>

extern char** environ;

namespace service {

namespace {

// The mode file lists the pipeline's programs; apertium-wblank-mode -z turns
// it into a shell pipeline that flushes at every NUL byte. "-n" as the first
// mode argument turns the generator's unknown-word marks off.
const char* const Script = "script=$(apertium-wblank-mode -z \"$1\") || exit 1\n"
                           "exec bash -c \"$script\" bash -n ''";

// A pipeline that dies while being written to must not take the service down.
void IgnoreBrokenPipes()
{
    static std::once_flag once;
    std::call_once(once, [] { signal(SIGPIPE, SIG_IGN); });
}

void CloseDescriptor(int& descriptor)
{
    if (descriptor >= 0)
        close(descriptor);
    descriptor = -1;
}

struct SpawnSettings {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;

    SpawnSettings(int input, int output)
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
        posix_spawnattr_init(&attributes);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes, &none);
        // Its own process group, so that one kill reaches every program of it.
        posix_spawnattr_setpgroup(&attributes, 0);
        posix_spawnattr_setflags(
            &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnSettings()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
};

int MillisecondsUntil(std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

} // namespace

ApertiumPipeline::ApertiumPipeline(std::string modeFile) : modeFile_(std::move(modeFile)) { }

ApertiumPipeline::~ApertiumPipeline()
{
    Stop();
}

std::optional<std::string> ApertiumPipeline::Translate(
    const std::string& stream, std::chrono::milliseconds timeout)
{
    const std::lock_guard lock(mutex_);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    lastUse_ = std::chrono::steady_clock::now();
    const std::string request = stream + '\0';
    std::string reply;
    // A pipeline that died since the last request (or during this one) is
    // started once more before the request counts as failed.
    Outcome outcome = Outcome::Died;
    for (int attempt = 0; attempt < 2 && outcome == Outcome::Died; ++attempt) {
        if (!RunningLocked() && !StartLocked())
            return std::nullopt;
        outcome = Exchange(request, reply, deadline);
        if (outcome != Outcome::Reply)
            StopLocked();
    }
    lastUse_ = std::chrono::steady_clock::now();
    if (outcome != Outcome::Reply || reply.empty()) {
        StopLocked();
        return std::nullopt;
    }
    return reply;
}

void ApertiumPipeline::StopIfIdle(std::chrono::steady_clock::duration idle)
{
    const std::unique_lock lock(mutex_, std::try_to_lock);
    if (lock.owns_lock() && process_ != 0 && std::chrono::steady_clock::now() - lastUse_ >= idle)
        StopLocked();
}

std::optional<std::chrono::steady_clock::time_point> ApertiumPipeline::IdleSince()
{
    const std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock() || process_ == 0)
        return std::nullopt;
    return lastUse_;
}

bool ApertiumPipeline::IsLive()
{
    const std::unique_lock lock(mutex_, std::try_to_lock);
    return !lock.owns_lock() || process_ != 0;
}

void ApertiumPipeline::Stop()
{
    const std::lock_guard lock(mutex_);
    StopLocked();
}

pid_t ApertiumPipeline::ProcessGroup() const
{
    const std::lock_guard lock(mutex_);
    return process_;
}

bool ApertiumPipeline::StartLocked()
{
    IgnoreBrokenPipes();
    std::array<int, 2> toPipeline {};
    std::array<int, 2> fromPipeline {};
    if (pipe2(toPipeline.data(), O_CLOEXEC) != 0)
        return false;
    if (pipe2(fromPipeline.data(), O_CLOEXEC) != 0) {
        close(toPipeline[0]);
        close(toPipeline[1]);
        return false;
    }
    const SpawnSettings settings(toPipeline[0], fromPipeline[1]);
    std::string modeFile = modeFile_;
    std::vector<char*> arguments = { const_cast<char*>("bash"), const_cast<char*>("-c"),
        const_cast<char*>(Script), const_cast<char*>("bash"), modeFile.data(), nullptr };
    pid_t process = 0;
    const int failed = posix_spawnp(
        &process, "bash", &settings.actions, &settings.attributes, arguments.data(), environ);
    close(toPipeline[0]);
    close(fromPipeline[1]);
    if (failed != 0) {
        close(toPipeline[1]);
        close(fromPipeline[0]);
        return false;
    }
    process_ = process;
    input_ = toPipeline[1];
    output_ = fromPipeline[0];
    fcntl(input_, F_SETFL, O_NONBLOCK);
    fcntl(output_, F_SETFL, O_NONBLOCK);
    return true;
}

void ApertiumPipeline::StopLocked()
{
    CloseDescriptor(input_);
    CloseDescriptor(output_);
    if (process_ == 0)
        return;
    kill(-process_, SIGKILL);
    while (waitpid(process_, nullptr, 0) < 0 && errno == EINTR) { }
    process_ = 0;
}

bool ApertiumPipeline::RunningLocked()
{
    if (process_ == 0)
        return false;
    if (waitpid(process_, nullptr, WNOHANG) == 0)
        return true;
    // The shell is gone (reaped just now); its programs may linger.
    kill(-process_, SIGKILL);
    process_ = 0;
    CloseDescriptor(input_);
    CloseDescriptor(output_);
    return false;
}

// Writes and reads at the same time: a long request could otherwise fill the
// reply pipe while the pipeline waits for us to read it.
ApertiumPipeline::Outcome ApertiumPipeline::Exchange(
    const std::string& request, std::string& reply, std::chrono::steady_clock::time_point deadline)
{
    reply.clear();
    std::size_t written = 0;
    std::array<char, 65536> buffer {};
    for (;;) {
        std::array<pollfd, 2> waits = { pollfd { output_, POLLIN, 0 },
            pollfd { written < request.size() ? input_ : -1, POLLOUT, 0 } };
        const int ready = poll(waits.data(), waits.size(), MillisecondsUntil(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return ready == 0 ? Outcome::TimedOut : Outcome::Died;
        if (waits[1].revents & (POLLERR | POLLHUP))
            return Outcome::Died;
        if (waits[1].revents & POLLOUT) {
            const ssize_t count = write(input_, request.data() + written, request.size() - written);
            if (count < 0 && errno != EAGAIN && errno != EINTR)
                return Outcome::Died;
            written += static_cast<std::size_t>(std::max<ssize_t>(0, count));
        }
        if (waits[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t count = read(output_, buffer.data(), buffer.size());
            if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR))
                return Outcome::Died;
            reply.append(buffer.data(), static_cast<std::size_t>(std::max<ssize_t>(0, count)));
            if (const std::size_t end = reply.find('\0'); end != std::string::npos) {
                reply.resize(end);
                return Outcome::Reply;
            }
        }
    }
}

} // namespace service
