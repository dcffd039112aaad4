// Offline translation with the installed Apertium language pairs: one
// long-running pipeline per mode file, shared by every route that passes
// through its direction, pivots where no direct pair exists.
#pragma once

#include "service/ApertiumModes.h"
#include "service/ApertiumPipeline.h"
#include "service/TranslationEngine.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>

namespace service {

struct ApertiumSettings {
    // Searched in order for "X-Y.mode" files.
    std::vector<std::string> modeFolders = { "/usr/share/apertium/modes" };
    // Where the language pairs' data lies, for modes they ship uninstalled.
    std::string dataFolder = "/usr/share/apertium";
    // Where those modes are written; empty for none.
    std::string ownModesFolder;
    // Every request may take this long, plus a second per 8 KiB of text.
    std::chrono::milliseconds timeout { 5000 };
    // A request that has to start its pipeline may take this much longer:
    // loading the dictionaries takes seconds on a busy machine.
    std::chrono::milliseconds startAllowance { 30000 };
    std::chrono::steady_clock::duration pipelineIdle = std::chrono::minutes(5);
    // Beyond this many the least recently used idle pipeline is stopped
    // before another starts.
    std::size_t maximumLivePipelines = 32;
};

// Where the service keeps its own mode files: the user's cache folder.
std::string DefaultOwnModesFolder();

// How many pipelines may live on a machine with that much memory available.
std::size_t PipelinesForMemory(std::uint64_t availableBytes);
// The memory available now, from /proc/meminfo; 0 when it cannot be read.
std::uint64_t AvailableMemory();

class ApertiumEngine : public TranslationEngine {
public:
    explicit ApertiumEngine(ApertiumSettings settings);

    std::string Name() const override { return "apertium"; }
    LanguagePairs Pairs() override { return pairs_; }
    bool CanTranslate(const std::string& from, const std::string& to) override;
    HopRoute HopRouteOf(const std::string& from, const std::string& to) override;
    std::optional<std::vector<std::string>> Translate(const std::string& from,
        const std::string& to, const std::vector<std::string>& lines) override;

    // The languages a text passes through, empty when there is no way.
    std::vector<std::string> Route(const std::string& from, const std::string& to) const;
    void StopIdlePipelines();
    // The processes of the direction's running pipeline, first to last.
    std::vector<pid_t> PipelineProcesses(const Direction& direction);
    // The process group of the direction's running pipeline, or 0.
    pid_t PipelineProcessGroup(const Direction& direction);
    // How many pipelines have been started so far, restarts included.
    std::size_t PipelineStarts();

private:
    std::optional<std::vector<std::string>> TranslateHop(
        const Direction& direction, const std::vector<std::string>& lines);
    std::optional<std::vector<std::string>> TranslateSegments(
        const Direction& direction, const std::vector<std::string>& segments);
    ApertiumPipeline* PipelineFor(const Direction& direction);
    void MakeRoomFor(const ApertiumPipeline& next);

    const ApertiumSettings settings_;
    ModeFiles modeFiles_;
    std::set<Direction> directions_;
    LanguagePairs pairs_;
    std::mutex mutex_;
    // By mode file: directions that share one, such as Croatian and Serbian
    // into Macedonian, share its pipeline.
    std::map<std::string, std::unique_ptr<ApertiumPipeline>> pipelines_;
};

} // namespace service
