#include "service/ApertiumEngine.h"

#include "service/ApertiumFormat.h"
#include "service/LanguageCodes.h"
#include "service/Routes.h"
#include "service/TextLines.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

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

std::chrono::milliseconds TimeoutFor(std::chrono::milliseconds base, const std::string& stream)
{
    return base + std::chrono::milliseconds(stream.size() / 8);
}

std::string JoinWithSpaces(const std::vector<std::string>& parts)
{
    std::string joined;
    for (const auto& part : parts) {
        if (!joined.empty() && !part.empty())
            joined += ' ';
        joined += part;
    }
    return joined;
}

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
    for (auto& [direction, pipeline] : pipelines_)
        pipeline->StopIfIdle(settings_.pipelineIdle);
}

pid_t ApertiumEngine::PipelineProcessGroup(const Direction& direction)
{
    if (!modeFiles_.contains(direction))
        return 0;
    return PipelineFor(direction).ProcessGroup();
}

// The whole text goes as one request, its line breaks kept as blanks; should
// the pipeline move a break, each line is sent on its own instead.
std::optional<std::vector<std::string>> ApertiumEngine::TranslateHop(
    const Direction& direction, const std::vector<std::string>& lines)
{
    if (std::all_of(lines.begin(), lines.end(), IsBlank))
        return lines;
    ApertiumPipeline& pipeline = PipelineFor(direction);
    MakeRoomFor(pipeline);
    std::optional<std::vector<std::string>> translated = Exchange(pipeline, lines);
    if (translated && translated->size() != lines.size())
        translated = TranslateEachLine(pipeline, lines);
    if (!translated)
        return std::nullopt;
    const std::string request = JoinLines(lines);
    for (auto& line : *translated)
        line = StripUnknownWordMarks(line, request);
    return translated;
}

std::optional<std::vector<std::string>> ApertiumEngine::TranslateEachLine(
    ApertiumPipeline& pipeline, const std::vector<std::string>& lines)
{
    std::vector<std::string> translated;
    for (const auto& line : lines) {
        if (IsBlank(line)) {
            translated.push_back(line);
            continue;
        }
        const auto parts = Exchange(pipeline, { line });
        if (!parts)
            return std::nullopt;
        translated.push_back(JoinWithSpaces(*parts));
    }
    return translated;
}

std::optional<std::vector<std::string>> ApertiumEngine::Exchange(
    ApertiumPipeline& pipeline, const std::vector<std::string>& lines)
{
    const std::string stream = ApertiumStream(lines);
    const auto reply = pipeline.Translate(stream, TimeoutFor(settings_.timeout, stream));
    if (!reply)
        return std::nullopt;
    return LinesOfApertiumStream(*reply);
}

void ApertiumEngine::MakeRoomFor(const ApertiumPipeline& next)
{
    const std::lock_guard lock(mutex_);
    std::size_t live = 0;
    ApertiumPipeline* oldest = nullptr;
    std::chrono::steady_clock::time_point oldestUse;
    for (auto& [direction, pipeline] : pipelines_) {
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

ApertiumPipeline& ApertiumEngine::PipelineFor(const Direction& direction)
{
    const std::lock_guard lock(mutex_);
    auto& pipeline = pipelines_[direction];
    if (!pipeline)
        pipeline = std::make_unique<ApertiumPipeline>(modeFiles_.at(direction));
    return *pipeline;
}

} // namespace service
