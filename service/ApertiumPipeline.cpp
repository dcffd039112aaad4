#include "service/ApertiumPipeline.h"

#include "service/ApertiumFormat.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <string_view>

extern char** environ;

namespace service {

namespace {

// The mode's arguments: "-n" turns the generator's unknown-word marks off,
// as "apertium -u" does; the second (the tagger's extra options) stays empty.
const std::vector<std::string> ModeArguments = { "-n", "" };

// Every program of every pair passes a number through unchanged, so its
// reply is never empty.
const std::string WarmUpText = "1";

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

    // group 0 makes the program the leader of a new process group.
    SpawnSettings(int input, int output, pid_t group)
    {
        posix_spawn_file_actions_init(&actions);
        if (input >= 0)
            posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
        else
            posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
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
        // One process group for the pipeline, so that one kill reaches all of it.
        posix_spawnattr_setpgroup(&attributes, group);
        posix_spawnattr_setflags(
            &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnSettings()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
};

// The process, or 0 when the program could not be started.
pid_t Spawn(const Command& command, int input, int output, pid_t group)
{
    const SpawnSettings settings(input, output, group);
    std::vector<char*> arguments;
    for (const auto& word : command)
        arguments.push_back(const_cast<char*>(word.c_str()));
    arguments.push_back(nullptr);
    pid_t process = 0;
    if (posix_spawnp(&process, arguments[0], &settings.actions, &settings.attributes,
            arguments.data(), environ)
        != 0)
        return 0;
    return process;
}

void Reap(pid_t process)
{
    while (waitpid(process, nullptr, 0) < 0 && errno == EINTR) { }
}

int MillisecondsUntil(std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

// What a short-lived program writes, if it ends well before the deadline.
std::optional<std::string> OutputOf(
    const Command& command, std::chrono::steady_clock::time_point deadline)
{
    std::array<int, 2> pipe {};
    if (pipe2(pipe.data(), O_CLOEXEC) != 0)
        return std::nullopt;
    const pid_t process = Spawn(command, -1, pipe[1], 0);
    close(pipe[1]);
    if (process == 0) {
        close(pipe[0]);
        return std::nullopt;
    }
    std::string output;
    std::array<char, 4096> buffer {};
    for (;;) {
        pollfd wait { pipe[0], POLLIN, 0 };
        const int ready = poll(&wait, 1, MillisecondsUntil(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        const ssize_t count = ready > 0 ? read(pipe[0], buffer.data(), buffer.size()) : -1;
        if (count <= 0)
            break;
        output.append(buffer.data(), static_cast<std::size_t>(count));
    }
    close(pipe[0]);
    kill(process, SIGKILL);
    int status = 0;
    while (waitpid(process, &status, 0) < 0 && errno == EINTR) { }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return output;
}

// A constraint grammar with dependency rules makes cg-proc write tags such as
// "<#1→2>", which apertium-pretransfer breaks apart and the bilingual
// look-up after it then stalls on (Debian's hbs-mkd does this with most
// sentences). A filter right after cg-proc drops them, a NUL-ended segment at
// a time.
std::vector<Command> WithoutDependencyTags(const std::vector<Command>& commands)
{
    const Command filter
        = { "perl", "-pe", "BEGIN { $| = 1; $/ = \"\\0\" } s/<#[0-9]+\\xE2\\x86\\x92[0-9]+>//g" };
    std::vector<Command> filtered;
    for (const auto& command : commands) {
        filtered.push_back(command);
        if (command.front() == "cg-proc")
            filtered.push_back(filter);
    }
    return filtered;
}

// Some modes name the generator's marking "-g" instead of taking it as an
// argument (Debian's hbs-mkd and mkd-hbs do): their generator runs with "-n"
// too, so that no pipeline marks the words it could not handle and a "*",
// "#" or "@" in a reply is always the user's own.
std::vector<Command> WithUnmarkedGeneration(std::vector<Command> commands)
{
    for (auto& command : commands) {
        if (command.front() == "lt-proc")
            std::replace(command.begin() + 1, command.end(), std::string("-g"), std::string("-n"));
    }
    return commands;
}

// apertium-wblank-mode -z turns the mode file into the pipeline that flushes
// at every NUL byte.
std::optional<std::vector<Command>> CommandsOfMode(
    const std::string& modeFile, std::chrono::steady_clock::time_point deadline)
{
    const auto script = OutputOf({ "apertium-wblank-mode", "-z", modeFile }, deadline);
    if (!script)
        return std::nullopt;
    const auto commands = CommandsOfPipelineScript(*script, ModeArguments);
    if (!commands)
        return std::nullopt;
    return WithoutDependencyTags(WithUnmarkedGeneration(*commands));
}

void ClosePipes(std::vector<std::array<int, 2>>& pipes)
{
    for (auto& pipe : pipes) {
        CloseDescriptor(pipe[0]);
        CloseDescriptor(pipe[1]);
    }
}

// Splits output at its NULs into replies, the last one still open; false
// when output comes after the last reply, which the pipeline should not make.
bool AppendReplies(std::string_view output, std::size_t segments, std::vector<std::string>& replies)
{
    while (!output.empty()) {
        if (replies.size() > segments)
            return false;
        const std::size_t end = output.find('\0');
        replies.back().append(output.substr(0, end));
        if (end == std::string_view::npos)
            break;
        replies.emplace_back();
        output.remove_prefix(end + 1);
    }
    return true;
}

std::string RequestOf(const std::vector<std::string>& segments)
{
    std::string request;
    for (const auto& segment : segments) {
        request += segment;
        request += '\0';
    }
    return request;
}

} // namespace

ApertiumPipeline::ApertiumPipeline(std::string modeFile, std::chrono::milliseconds startAllowance)
    : modeFile_(std::move(modeFile)), startAllowance_(startAllowance)
{
}

ApertiumPipeline::~ApertiumPipeline()
{
    Stop();
}

std::optional<std::vector<std::string>> ApertiumPipeline::Translate(
    const std::vector<std::string>& segments, std::chrono::milliseconds timeout)
{
    if (segments.empty())
        return std::vector<std::string> {};
    const std::lock_guard lock(mutex_);
    auto deadline = std::chrono::steady_clock::now() + timeout;
    lastUse_ = std::chrono::steady_clock::now();
    const std::string request = RequestOf(segments);
    std::vector<std::string> replies;
    // A pipeline that died since the last request (or during this one) is
    // started once more before the request counts as failed.
    Outcome outcome = Outcome::Died;
    for (int attempt = 0; attempt < 2 && outcome == Outcome::Died; ++attempt) {
        if (!RunningLocked(processes_.size()) && (abandoned_ || !StartLocked(deadline)))
            return std::nullopt;
        if (abandoned_) {
            StopLocked();
            return std::nullopt;
        }
        if (!answered_)
            deadline = std::max(deadline, started_ + timeout + startAllowance_);
        outcome = Exchange(request, segments.size(), replies, deadline);
        answered_ = outcome == Outcome::Reply;
        if (outcome != Outcome::Reply)
            StopLocked();
    }
    lastUse_ = std::chrono::steady_clock::now();
    if (outcome != Outcome::Reply)
        return std::nullopt;
    return replies;
}

void ApertiumPipeline::StopIfIdle(std::chrono::steady_clock::duration idle)
{
    const std::unique_lock lock(mutex_, std::try_to_lock);
    if (lock.owns_lock() && group_ != 0 && std::chrono::steady_clock::now() - lastUse_ >= idle)
        StopLocked();
}

std::optional<std::chrono::steady_clock::time_point> ApertiumPipeline::IdleSince()
{
    const std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock() || group_ == 0)
        return std::nullopt;
    return lastUse_;
}

bool ApertiumPipeline::WarmUp()
{
    return Translate({ ApertiumSegment(WarmUpText) }, std::chrono::seconds(5)).has_value();
}

// The flag is set before the group is read, and a start records its group
// before it reads the flag: one of the two sees the other.
void ApertiumPipeline::Abandon()
{
    abandoned_ = true;
    if (const pid_t group = liveGroup_; group != 0)
        kill(-group, SIGKILL);
}

void ApertiumPipeline::Stop()
{
    const std::lock_guard lock(mutex_);
    StopLocked();
}

pid_t ApertiumPipeline::ProcessGroup() const
{
    const std::lock_guard lock(mutex_);
    return group_;
}

std::vector<pid_t> ApertiumPipeline::Processes() const
{
    const std::lock_guard lock(mutex_);
    return processes_;
}

std::size_t ApertiumPipeline::Starts() const
{
    return starts_;
}

bool ApertiumPipeline::StartLocked(TimePoint deadline)
{
    IgnoreBrokenPipes();
    if (!commands_)
        commands_ = CommandsOfMode(modeFile_, deadline);
    return commands_ && SpawnLocked(*commands_);
}

// Pipe i carries what program i reads: the first from the service, the one
// past the last back to it.
bool ApertiumPipeline::SpawnLocked(const std::vector<Command>& commands)
{
    std::vector<std::array<int, 2>> pipes(commands.size() + 1, { -1, -1 });
    for (auto& pipe : pipes) {
        if (pipe2(pipe.data(), O_CLOEXEC) != 0) {
            ClosePipes(pipes);
            return false;
        }
    }
    ++starts_;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const pid_t process = Spawn(commands[i], pipes[i][0], pipes[i + 1][1], group_);
        if (process == 0)
            break;
        processes_.push_back(process);
        if (group_ == 0)
            liveGroup_ = group_ = process;
    }
    std::swap(input_, pipes.front()[1]);
    std::swap(output_, pipes.back()[0]);
    ClosePipes(pipes);
    if (processes_.size() != commands.size()) {
        StopLocked();
        return false;
    }
    started_ = std::chrono::steady_clock::now();
    answered_ = false;
    fcntl(input_, F_SETFL, O_NONBLOCK);
    fcntl(output_, F_SETFL, O_NONBLOCK);
    return true;
}

void ApertiumPipeline::StopLocked()
{
    CloseDescriptor(input_);
    CloseDescriptor(output_);
    if (group_ != 0)
        kill(-group_, SIGKILL);
    for (const pid_t process : processes_) {
        if (process != 0)
            Reap(process);
    }
    processes_.clear();
    liveGroup_ = group_ = 0;
}

// Whether the first programs of the pipeline all still run; a pipeline
// found otherwise is stopped.
bool ApertiumPipeline::RunningLocked(std::size_t programs)
{
    if (group_ == 0)
        return false;
    bool running = true;
    for (std::size_t i = 0; i < programs; ++i) {
        if (processes_[i] != 0 && waitpid(processes_[i], nullptr, WNOHANG) != 0)
            processes_[i] = 0;
        running = running && processes_[i] != 0;
    }
    if (!running)
        StopLocked();
    return running;
}

// A program that dies makes the ones after it end their output at once, each
// with a NUL of its own: replies that are empty, or that come while a program
// before the last is gone, are no translation.
bool ApertiumPipeline::IsWholeReply(const std::vector<std::string>& replies)
{
    return std::none_of(replies.begin(), replies.end(), [](const auto& r) { return r.empty(); })
        && RunningLocked(processes_.size() - 1);
}

// Writes and reads at the same time: a long request could otherwise fill the
// reply pipe while the pipeline waits for us to read it.
ApertiumPipeline::Outcome ApertiumPipeline::Exchange(const std::string& request,
    std::size_t segments, std::vector<std::string>& replies, TimePoint deadline)
{
    replies.assign(1, {});
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
            if (!AppendReplies(std::string_view(buffer.data(), static_cast<std::size_t>(count)),
                    segments, replies))
                return Outcome::Died;
            if (replies.size() > segments) {
                replies.pop_back();
                return IsWholeReply(replies) ? Outcome::Reply : Outcome::Died;
            }
        }
    }
}

} // namespace service
