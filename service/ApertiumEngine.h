// Offline translation with the installed Apertium language pairs: long-running
// pipelines per mode file, shared by every route that passes through its
// direction, pivots where no direct pair exists. A direction whose pipeline
// is busy gets another, up to a bound, with one kept for small texts; a text
// that finds them all busy waits a bounded time, smaller texts first.
#pragma once

#include "service/ApertiumModes.h"
#include "service/ApertiumPipeline.h"
#include "service/TranslationEngine.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace service {

// As many pipelines for one direction as cores to run them, at least two.
std::size_t PipelinesForCores(unsigned cores);

struct ApertiumSettings {
    // Searched in order for "X-Y.mode" files.
    std::vector<std::string> modeFolders = { "/usr/share/apertium/modes" };
    // Where the language pairs' data lies, for modes they ship uninstalled.
    std::string dataFolder = "/usr/share/apertium";
    // Where those modes are written; empty for none. Used only when it is a
    // private folder (IsPrivateFolder).
    std::string ownModesFolder;
    // Every request may take this long, plus a second per 8 KiB of text.
    std::chrono::milliseconds timeout { 5000 };
    // A request that has to start its pipeline may take this much longer:
    // loading the dictionaries takes seconds on a busy machine.
    std::chrono::milliseconds startAllowance { 30000 };
    // Short enough that five minutes after the last request every pipeline
    // has stopped.
    std::chrono::steady_clock::duration pipelineIdle = std::chrono::minutes(4);
    // Beyond this many the least recently used idle pipeline is stopped
    // before another starts.
    std::size_t maximumLivePipelines = 32;
    // Pipelines one mode file may have busy with large texts at once; it may
    // have one more, so that a small text never waits behind large ones.
    std::size_t pipelinesPerMode = PipelinesForCores(std::thread::hardware_concurrency());
    // Texts up to this many bytes are small: a window's step usually is.
    std::size_t smallText = 4096;
    // Texts that may wait for a mode whose pipelines are all busy, and how
    // long each may wait.
    std::size_t waitingPerMode = 8;
    std::chrono::milliseconds busyWait { 10000 };
};

// How many pipelines may live on a machine with that much memory available.
std::size_t PipelinesForMemory(std::uint64_t availableBytes);
// The memory available now, from /proc/meminfo; 0 when it cannot be read.
std::uint64_t AvailableMemory();

class ApertiumEngine : public TranslationEngine {
public:
    explicit ApertiumEngine(ApertiumSettings settings);
    // Waits for the pipelines being started in the background.
    ~ApertiumEngine() override;

    std::string Name() const override { return "apertium"; }
    LanguagePairs Pairs() override { return pairs_; }
    bool CanTranslate(const std::string& from, const std::string& to) override;
    HopRoute HopRouteOf(const std::string& from, const std::string& to) override;
    std::optional<std::vector<std::string>> Translate(const std::string& from,
        const std::string& to, const std::vector<std::string>& lines) override;
    // Starts, together, the pipelines that the pairs' routes need and that
    // do not run, as far as the bound on live pipelines allows without
    // stopping any, and passes a short text through each.
    void Prepare(const std::vector<LanguagePair>& pairs) override;

    // The languages a text passes through, empty when there is no way.
    std::vector<std::string> Route(const std::string& from, const std::string& to) const;
    // Returns how many it stopped.
    std::size_t StopIdlePipelines();
    // The processes of the direction's first pipeline, first to last.
    std::vector<pid_t> PipelineProcesses(const Direction& direction);
    // The process group of the direction's first pipeline, or 0.
    pid_t PipelineProcessGroup(const Direction& direction);
    // How many pipelines have been started so far, restarts included.
    std::size_t PipelineStarts();
    // Pipelines running, being started or in use.
    std::size_t LivePipelines();

private:
    class Lease;
    struct Slot {
        std::unique_ptr<ApertiumPipeline> pipeline;
        enum class Use { Free, Leased, Starting } use = Use::Free;
        // Leased for a text that is not small.
        bool large = false;
    };
    struct Waiter {
        std::size_t cost;
        std::uint64_t arrival;
        bool refused = false;
    };
    struct SmallerFirst {
        bool operator()(const Waiter* a, const Waiter* b) const;
    };
    struct ModePool {
        // Slots are never removed, so that a leased one stays where it is.
        std::vector<std::unique_ptr<Slot>> slots;
        std::set<Waiter*, SmallerFirst> waiters;
    };

    std::optional<std::vector<std::string>> TranslateHop(
        const Direction& direction, const std::vector<std::string>& lines);
    std::optional<std::vector<std::string>> TranslateSegments(
        const Direction& direction, const std::vector<std::string>& segments);
    Slot& Take(const Direction& direction, const std::string& mode, std::size_t cost);
    Slot* TakeLocked(const std::string& mode, ModePool& pool, std::size_t cost);
    bool JoinLocked(ModePool& pool, Waiter& waiter);
    static bool StartingLocked(const ModePool& pool);
    Slot* FirstSlot(const Direction& direction);
    Slot& NewSlotLocked(const std::string& mode, ModePool& pool);
    bool MakeRoomLocked();
    std::size_t LiveLocked();
    void StartInBackground(Slot& slot);

    const ApertiumSettings settings_;
    ModeFiles modeFiles_;
    std::set<Direction> directions_;
    LanguagePairs pairs_;
    std::mutex mutex_;
    std::condition_variable changed_;
    // By mode file: directions that share one, such as Croatian and Serbian
    // into Macedonian, share its pipelines.
    std::map<std::string, ModePool> pools_;
    std::uint64_t arrivals_ = 0;
    std::size_t backgroundStarts_ = 0;
};

} // namespace service
