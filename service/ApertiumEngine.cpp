#include "service/ApertiumEngine.h"

#include "service/ApertiumParagraphs.h"
#include "service/LanguageCodes.h"
#include "service/Routes.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>

namespace service {

namespace {

ApertiumSettings WithOwnModes(ApertiumSettings settings)
{
    if (!settings.ownModesFolder.empty()) {
        WriteUninstalledModes(settings.dataFolder, settings.ownModesFolder);
        settings.modeFolders.push_back(settings.ownModesFolder);
    }
    return settings;
}

std::chrono::milliseconds TimeoutFor(
    std::chrono::milliseconds base, const std::vector<std::string>& segments)
{
    std::size_t size = 0;
    for (const auto& segment : segments)
        size += segment.size();
    return base + std::chrono::milliseconds(size / 8);
}

// Bytes per pipeline, by measure: the 23 pipelines of a run through every
// offline language take about 1.65 GB together (proportional set size).
constexpr std::uint64_t PipelineBytes = 72ull << 20;

} // namespace

std::string DefaultOwnModesFolder()
{
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    std::filesystem::path folder;
    if (cache && *cache)
        folder = cache;
    else if (home && *home)
        folder = std::filesystem::path(home) / ".cache";
    else
        folder = std::filesystem::temp_directory_path();
    return (folder / "tornalo" / "modes").string();
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

void ApertiumEngine::StopIdlePipelines()
{
    const std::lock_guard lock(mutex_);
    for (auto& [file, pipeline] : pipelines_)
        pipeline->StopIfIdle(settings_.pipelineIdle);
}

std::vector<pid_t> ApertiumEngine::PipelineProcesses(const Direction& direction)
{
    ApertiumPipeline* pipeline = PipelineFor(direction);
    return pipeline ? pipeline->Processes() : std::vector<pid_t> {};
}

pid_t ApertiumEngine::PipelineProcessGroup(const Direction& direction)
{
    ApertiumPipeline* pipeline = PipelineFor(direction);
    return pipeline ? pipeline->ProcessGroup() : 0;
}

std::size_t ApertiumEngine::PipelineStarts()
{
    const std::lock_guard lock(mutex_);
    std::size_t starts = 0;
    for (const auto& [file, pipeline] : pipelines_)
        starts += pipeline->Starts();
    return starts;
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
    ApertiumPipeline* pipeline = PipelineFor(direction);
    if (!pipeline)
        return std::nullopt;
    MakeRoomFor(*pipeline);
    return pipeline->Translate(segments, TimeoutFor(settings_.timeout, segments));
}

void ApertiumEngine::MakeRoomFor(const ApertiumPipeline& next)
{
    const std::lock_guard lock(mutex_);
    std::size_t live = 0;
    ApertiumPipeline* oldest = nullptr;
    std::chrono::steady_clock::time_point oldestUse;
    for (auto& [file, pipeline] : pipelines_) {
        if (pipeline.get() == &next || !pipeline->IsLive())
            continue;
        ++live;
        const auto idleSince = pipeline->IdleSince();
        if (idleSince && (!oldest || *idleSince < oldestUse)) {
            oldest = pipeline.get();
            oldestUse = *idleSince;
        }
    }
    if (live >= settings_.maximumLivePipelines && oldest)
        oldest->StopIfIdle(std::chrono::steady_clock::duration::zero());
}

ApertiumPipeline* ApertiumEngine::PipelineFor(const Direction& direction)
{
    const auto file = modeFiles_.find(direction);
    if (file == modeFiles_.end())
        return nullptr;
    const std::lock_guard lock(mutex_);
    auto& pipeline = pipelines_[file->second];
    if (!pipeline)
        pipeline = std::make_unique<ApertiumPipeline>(file->second, settings_.startAllowance);
    return pipeline.get();
}

} // namespace service
