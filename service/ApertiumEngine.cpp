#include "service/ApertiumEngine.h"

#include "service/ApertiumParagraphs.h"
#include "service/LanguageCodes.h"
#include "service/Routes.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <thread>
#include <tuple>

namespace service {

namespace {

using Clock = std::chrono::steady_clock;

// Mode files are run as programs: they are read only from a private folder.
ApertiumSettings WithOwnModes(ApertiumSettings settings)
{
    if (!settings.ownModesFolder.empty() && IsPrivateFolder(settings.ownModesFolder)) {
        WriteUninstalledModes(settings.dataFolder, settings.ownModesFolder);
        settings.modeFolders.push_back(settings.ownModesFolder);
    }
    return settings;
}

std::size_t SizeOf(const std::vector<std::string>& segments)
{
    std::size_t size = 0;
    for (const auto& segment : segments)
        size += segment.size();
    return size;
}

std::chrono::milliseconds TimeoutFor(std::chrono::milliseconds base, std::size_t size)
{
    return base + std::chrono::milliseconds(size / 8);
}

std::string SecondsText(std::chrono::milliseconds time)
{
    const std::string tenths = std::to_string(time.count() / 100 % 10);
    return std::to_string(time.count() / 1000) + (tenths == "0" ? "" : "." + tenths) + " seconds";
}

std::string Busy(const Direction& direction, const std::string& why)
{
    return "the translation from " + EnglishLanguageName(direction.first) + " to "
        + EnglishLanguageName(direction.second) + " " + why;
}

// Bytes per pipeline, by measure: the 23 pipelines of a run through every
// offline language take about 1.65 GB together (proportional set size).
constexpr std::uint64_t PipelineBytes = 72ull << 20;

} // namespace

// Holds a slot for one exchange and gives it back, whatever happens.
class ApertiumEngine::Lease {
public:
    Lease(ApertiumEngine& engine, Slot& slot) : engine_(engine), slot_(slot) { }
    ~Lease()
    {
        const std::lock_guard lock(engine_.mutex_);
        slot_.use = Slot::Use::Free;
        engine_.changed_.notify_all();
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    ApertiumPipeline& Pipeline() { return *slot_.pipeline; }

private:
    ApertiumEngine& engine_;
    Slot& slot_;
};

bool ApertiumEngine::SmallerFirst::operator()(const Waiter* a, const Waiter* b) const
{
    return std::tie(a->cost, a->arrival) < std::tie(b->cost, b->arrival);
}

std::size_t PipelinesForCores(unsigned cores)
{
    return std::clamp<std::size_t>(cores, 2, 4);
}

std::size_t PipelinesForMemory(std::uint64_t availableBytes)
{
    // Half of what is available, never fewer than a round trip with pivots
    // needs, and a bound that no set of language pairs comes near.
    const std::uint64_t pipelines = availableBytes / 2 / PipelineBytes;
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(pipelines, 6, 64));
}

std::uint64_t AvailableMemory()
{
    std::ifstream meminfo("/proc/meminfo");
    for (std::string name; meminfo >> name;) {
        std::uint64_t kilobytes = 0;
        meminfo >> kilobytes;
        if (name == "MemAvailable:")
            return kilobytes * 1024;
        meminfo.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    return 0;
}

ApertiumEngine::ApertiumEngine(ApertiumSettings settings)
    : settings_(WithOwnModes(std::move(settings))), modeFiles_(FindModeFiles(settings_.modeFolders))
{
    for (const auto& [direction, file] : modeFiles_)
        directions_.insert(direction);
    for (const auto& from : ProgramLanguageCodes()) {
        for (const auto& to : ProgramLanguageCodes()) {
            if (from != to && !Route(from, to).empty())
                pairs_[from].insert(to);
        }
    }
}

ApertiumEngine::~ApertiumEngine()
{
    std::unique_lock lock(mutex_);
    for (auto& [mode, pool] : pools_) {
        for (auto& slot : pool.slots) {
            if (slot->use == Slot::Use::Starting)
                slot->pipeline->Abandon();
        }
    }
    changed_.wait(lock, [this] { return backgroundStarts_ == 0; });
}

bool ApertiumEngine::CanTranslate(const std::string& from, const std::string& to)
{
    return !Route(from, to).empty();
}

HopRoute ApertiumEngine::HopRouteOf(const std::string& from, const std::string& to)
{
    const std::vector<std::string> route = Route(from, to);
    if (route.size() < 2)
        return { Name(), {} };
    return { Name(), { route.begin() + 1, route.end() - 1 } };
}

std::vector<std::string> ApertiumEngine::Route(const std::string& from, const std::string& to) const
{
    return FindRoute(directions_, from, to);
}

std::optional<std::vector<std::string>> ApertiumEngine::Translate(
    const std::string& from, const std::string& to, const std::vector<std::string>& lines)
{
    const std::vector<std::string> route = Route(from, to);
    if (route.empty())
        return std::nullopt;
    std::optional<std::vector<std::string>> text = lines;
    for (std::size_t hop = 0; text && hop + 1 < route.size(); ++hop)
        text = TranslateHop({ route[hop], route[hop + 1] }, *text);
    return text;
}

void ApertiumEngine::Prepare(const std::vector<LanguagePair>& pairs)
{
    std::vector<std::string> modes;
    for (const auto& [from, to] : pairs) {
        const std::vector<std::string> route = Route(from, to);
        for (std::size_t hop = 0; hop + 1 < route.size(); ++hop) {
            const std::string& mode = modeFiles_.at({ route[hop], route[hop + 1] });
            if (std::find(modes.begin(), modes.end(), mode) == modes.end())
                modes.push_back(mode);
        }
    }
    std::vector<Slot*> starting;
    {
        const std::lock_guard lock(mutex_);
        for (const auto& mode : modes) {
            ModePool& pool = pools_[mode];
            const bool live = std::any_of(pool.slots.begin(), pool.slots.end(), [](auto& slot) {
                return slot->use != Slot::Use::Free || slot->pipeline->IdleSince();
            });
            if (live)
                continue;
            if (LiveLocked() >= settings_.maximumLivePipelines)
                break;
            Slot& slot = pool.slots.empty() ? NewSlotLocked(mode, pool) : *pool.slots.front();
            slot.use = Slot::Use::Starting;
            starting.push_back(&slot);
        }
        backgroundStarts_ += starting.size();
    }
    for (Slot* slot : starting)
        StartInBackground(*slot);
}

std::size_t ApertiumEngine::StopIdlePipelines()
{
    const std::lock_guard lock(mutex_);
    std::size_t stopped = 0;
    for (auto& [mode, pool] : pools_) {
        for (auto& slot : pool.slots) {
            if (slot->use != Slot::Use::Free || !slot->pipeline->IdleSince())
                continue;
            slot->pipeline->StopIfIdle(settings_.pipelineIdle);
            stopped += slot->pipeline->IdleSince() ? 0 : 1;
        }
    }
    return stopped;
}

std::vector<pid_t> ApertiumEngine::PipelineProcesses(const Direction& direction)
{
    Slot* slot = FirstSlot(direction);
    return slot ? slot->pipeline->Processes() : std::vector<pid_t> {};
}

pid_t ApertiumEngine::PipelineProcessGroup(const Direction& direction)
{
    Slot* slot = FirstSlot(direction);
    return slot ? slot->pipeline->ProcessGroup() : 0;
}

std::size_t ApertiumEngine::PipelineStarts()
{
    const std::lock_guard lock(mutex_);
    std::size_t starts = 0;
    for (const auto& [mode, pool] : pools_) {
        for (const auto& slot : pool.slots)
            starts += slot->pipeline->Starts();
    }
    return starts;
}

std::size_t ApertiumEngine::LivePipelines()
{
    const std::lock_guard lock(mutex_);
    return LiveLocked();
}

std::optional<std::vector<std::string>> ApertiumEngine::TranslateHop(
    const Direction& direction, const std::vector<std::string>& lines)
{
    return TranslateParagraphs(lines, [&](const std::vector<std::string>& segments) {
        return TranslateSegments(direction, segments);
    });
}

std::optional<std::vector<std::string>> ApertiumEngine::TranslateSegments(
    const Direction& direction, const std::vector<std::string>& segments)
{
    const auto file = modeFiles_.find(direction);
    if (file == modeFiles_.end())
        return std::nullopt;
    const std::size_t size = SizeOf(segments);
    Lease lease(*this, Take(direction, file->second, size));
    return lease.Pipeline().Translate(segments, TimeoutFor(settings_.timeout, size));
}

// A free pipeline at once; otherwise a place among the texts that wait, the
// smaller first, until one is free or the wait is over.
ApertiumEngine::Slot& ApertiumEngine::Take(
    const Direction& direction, const std::string& mode, std::size_t cost)
{
    std::unique_lock lock(mutex_);
    ModePool& pool = pools_[mode];
    if (pool.waiters.empty()) {
        if (Slot* slot = TakeLocked(mode, pool, cost))
            return *slot;
    }
    Waiter waiter { cost, ++arrivals_ };
    if (!JoinLocked(pool, waiter))
        throw ServiceBusy(Busy(direction, "has too many other texts waiting"));
    auto deadline = Clock::now() + settings_.busyWait;
    for (;;) {
        // A pipeline being started keeps its texts waiting only as long as
        // its start takes, which has bounds of its own.
        if (StartingLocked(pool))
            deadline = Clock::now() + settings_.busyWait;
        Slot* slot = nullptr;
        if (!waiter.refused && *pool.waiters.begin() == &waiter)
            slot = TakeLocked(mode, pool, cost);
        const bool over = waiter.refused || (!slot && Clock::now() >= deadline);
        if (slot || over) {
            pool.waiters.erase(&waiter);
            changed_.notify_all();
        }
        if (slot)
            return *slot;
        if (over)
            throw ServiceBusy(Busy(
                direction, "stayed busy with other texts for " + SecondsText(settings_.busyWait)));
        changed_.wait_until(lock, deadline);
    }
}

// A running free pipeline; else none while one is being started, which a
// text waits for rather than start another; else a pipeline to start. Large
// texts leave one pipeline of the mode to small ones.
ApertiumEngine::Slot* ApertiumEngine::TakeLocked(
    const std::string& mode, ModePool& pool, std::size_t cost)
{
    const bool large = cost > settings_.smallText;
    const auto largeLeases = std::count_if(pool.slots.begin(), pool.slots.end(),
        [](auto& slot) { return slot->use == Slot::Use::Leased && slot->large; });
    if (large && static_cast<std::size_t>(largeLeases) >= settings_.pipelinesPerMode)
        return nullptr;
    if (StartingLocked(pool))
        return nullptr;
    Slot* stopped = nullptr;
    Slot* taken = nullptr;
    for (auto& slot : pool.slots) {
        if (slot->use == Slot::Use::Free && !taken && slot->pipeline->IdleSince())
            taken = slot.get();
        if (slot->use == Slot::Use::Free && !stopped)
            stopped = slot.get();
    }
    if (!taken && (stopped || pool.slots.size() <= settings_.pipelinesPerMode) && MakeRoomLocked())
        taken = stopped ? stopped : &NewSlotLocked(mode, pool);
    if (taken) {
        taken->use = Slot::Use::Leased;
        taken->large = large;
    }
    return taken;
}

// When the queue is full the largest text goes, which may be the newcomer.
bool ApertiumEngine::JoinLocked(ModePool& pool, Waiter& waiter)
{
    if (pool.waiters.size() >= settings_.waitingPerMode) {
        if (pool.waiters.empty() || !SmallerFirst()(&waiter, *pool.waiters.rbegin()))
            return false;
        Waiter* largest = *pool.waiters.rbegin();
        largest->refused = true;
        pool.waiters.erase(largest);
        changed_.notify_all();
    }
    pool.waiters.insert(&waiter);
    return true;
}

bool ApertiumEngine::StartingLocked(const ModePool& pool)
{
    return std::any_of(pool.slots.begin(), pool.slots.end(),
        [](const auto& slot) { return slot->use == Slot::Use::Starting; });
}

ApertiumEngine::Slot* ApertiumEngine::FirstSlot(const Direction& direction)
{
    const auto file = modeFiles_.find(direction);
    if (file == modeFiles_.end())
        return nullptr;
    const std::lock_guard lock(mutex_);
    const auto pool = pools_.find(file->second);
    if (pool == pools_.end() || pool->second.slots.empty())
        return nullptr;
    return pool->second.slots.front().get();
}

ApertiumEngine::Slot& ApertiumEngine::NewSlotLocked(const std::string& mode, ModePool& pool)
{
    auto slot = std::make_unique<Slot>();
    slot->pipeline = std::make_unique<ApertiumPipeline>(mode, settings_.startAllowance);
    pool.slots.push_back(std::move(slot));
    return *pool.slots.back();
}

// Room for one more live pipeline, made by stopping the one that has been
// free the longest if need be.
bool ApertiumEngine::MakeRoomLocked()
{
    if (LiveLocked() < settings_.maximumLivePipelines)
        return true;
    ApertiumPipeline* oldest = nullptr;
    Clock::time_point oldestUse;
    for (auto& [mode, pool] : pools_) {
        for (auto& slot : pool.slots) {
            const auto idleSince
                = slot->use == Slot::Use::Free ? slot->pipeline->IdleSince() : std::nullopt;
            if (idleSince && (!oldest || *idleSince < oldestUse)) {
                oldest = slot->pipeline.get();
                oldestUse = *idleSince;
            }
        }
    }
    if (!oldest)
        return false;
    oldest->Stop();
    return true;
}

// Only free slots' pipelines are asked whether they run: a leased one's is
// busy with its exchange.
std::size_t ApertiumEngine::LiveLocked()
{
    std::size_t live = 0;
    for (auto& [mode, pool] : pools_) {
        for (auto& slot : pool.slots)
            live += slot->use != Slot::Use::Free || slot->pipeline->IdleSince() ? 1 : 0;
    }
    return live;
}

void ApertiumEngine::StartInBackground(Slot& slot)
{
    std::thread([this, &slot] {
        slot.pipeline->WarmUp();
        const std::lock_guard lock(mutex_);
        slot.use = Slot::Use::Free;
        --backgroundStarts_;
        changed_.notify_all();
    }).detach();
}

} // namespace service
