// The translation service with the real Apertium engine: hops through a warm
// service against the same hops with one apertium process per request, a
// long hard-wrapped text through a fresh service against raw Apertium, and
// runs out and back through every offline language on a warm service.
#include "run/TranslationReply.h"
#include "run/TranslationRequest.h"
#include "service/ApertiumEngine.h"
#include "service/ServiceServer.h"
#include "tests/support/TemporaryFolder.h"

#include <httplib.h>

#include <sys/resource.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>

using Clock = std::chrono::steady_clock;

namespace {

constexpr int Hops = 200;
// Each takes a second or more: enough for a median.
constexpr int ReferenceHops = 20;
const std::string Text = "The old man walks to the market every morning.\r\n"
                         "My sister reads a good book in the garden.";

class NoDebugLog : public TDebugLog {
public:
    void Append(const std::string&) override { }
};

double Milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string ReadAll(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>() };
}

long ProcessKilobytes(const std::string& processFolder)
{
    std::istringstream rollup(ReadAll(processFolder + "/smaps_rollup"));
    for (std::string line; std::getline(rollup, line);) {
        if (line.starts_with("Pss:"))
            return std::stol(line.substr(4));
    }
    return 0;
}

// Proportional set size of every process in the groups, so shared libraries
// are counted once across the pipelines.
long ProcessGroupsKilobytes(const std::set<pid_t>& groups)
{
    long total = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string stat = ReadAll(entry.path().string() + "/stat");
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream fields(stat.substr(close + 2));
        std::string state;
        long parent = 0;
        pid_t processGroup = 0;
        fields >> state >> parent >> processGroup;
        if (groups.contains(processGroup))
            total += ProcessKilobytes(entry.path().string());
    }
    return total;
}

struct HopResult {
    std::vector<double> times;
    std::string last;
};

// One hop as the program makes it: its request body, the reply page written
// to the reply file and the translation cut out of it.
std::string Hop(httplib::Client& client, const std::string& from, const std::string& to,
    const std::string& text, const std::string& file)
{
    const auto reply
        = client.Post("/", RequestBody(from, to, text), "application/x-www-form-urlencoded");
    if (!reply || reply->status != 200) {
        std::cerr << "service request failed: " << from << ">" << to << "\n";
        std::exit(1);
    }
    std::ofstream(file, std::ios::binary) << reply->body;
    std::string status;
    NoDebugLog log;
    const std::string translated = ExtractTranslation(file, status, log);
    if (translated.empty()) {
        std::cerr << "no translation " << from << ">" << to << ": " << status << "\n";
        std::exit(1);
    }
    return translated;
}

// Each hop carries the previous hop's text on, en to es and back, as a run of
// the program does.
HopResult HopsThroughService(httplib::Client& client, int hops)
{
    TemporaryFolder folder;
    const std::string file = folder.File("translator_replypage.htm");
    HopResult result;
    std::string text = Text;
    for (int hop = 0; hop < hops; ++hop) {
        const bool out = hop % 2 == 0;
        const auto started = Clock::now();
        text = Hop(client, out ? "en" : "es", out ? "es" : "en", out ? Text : text, file);
        result.times.push_back(Milliseconds(Clock::now() - started));
    }
    result.last = text;
    return result;
}

// The languages English reaches and comes back from.
std::vector<std::string> OfflineLanguages(service::ApertiumEngine& engine)
{
    std::vector<std::string> languages;
    const service::LanguagePairs pairs = engine.Pairs();
    for (const auto& to : pairs.at("en")) {
        if (pairs.contains(to) && pairs.at(to).contains("en"))
            languages.push_back(to);
    }
    return languages;
}

// Out to every language and back, the text carried from hop to hop.
HopResult RunThroughEveryLanguage(
    httplib::Client& client, const std::vector<std::string>& languages)
{
    TemporaryFolder folder;
    const std::string file = folder.File("translator_replypage.htm");
    HopResult result;
    std::string text = Text;
    for (const auto& language : languages) {
        for (const auto& [from, to] :
            { service::Direction { "en", language }, { language, "en" } }) {
            const auto started = Clock::now();
            text = Hop(client, from, to, text, file);
            result.times.push_back(Milliseconds(Clock::now() - started));
        }
    }
    result.last = text;
    return result;
}

std::set<pid_t> LivePipelineGroups(
    service::ApertiumEngine& engine, const std::vector<std::string>& languages)
{
    std::set<pid_t> groups;
    for (const auto& language : languages) {
        for (const auto& route : { engine.Route("en", language), engine.Route(language, "en") }) {
            for (std::size_t hop = 0; hop + 1 < route.size(); ++hop) {
                if (const pid_t group = engine.PipelineProcessGroup({ route[hop], route[hop + 1] }))
                    groups.insert(group);
            }
        }
    }
    return groups;
}

double Total(const std::vector<double>& times)
{
    double total = 0;
    for (const double time : times)
        total += time;
    return total;
}

void BenchEveryLanguage(service::ApertiumEngine& engine, int port)
{
    constexpr int WarmRuns = 5;
    const std::vector<std::string> languages = OfflineLanguages(engine);
    // Both clients turn Nagle's algorithm off, as the window's curl does.
    httplib::Client kept("127.0.0.1", port);
    kept.set_tcp_nodelay(true);
    kept.set_keep_alive(true);
    // The first run starts pipelines on its way, up to three for one hop.
    kept.set_read_timeout(std::chrono::seconds(60));
    std::printf("\nevery offline language out and back, warm (%zu languages, %zu hops a run)\n",
        languages.size(), languages.size() * 2);
    const auto coldStarted = Clock::now();
    RunThroughEveryLanguage(kept, languages);
    std::printf("  first run (starts the pipelines):   %8.1f ms\n",
        Milliseconds(Clock::now() - coldStarted));
    const std::size_t startsBefore = engine.PipelineStarts();
    std::vector<double> warm;
    std::string last;
    for (int run = 0; run < WarmRuns; ++run) {
        const HopResult result = RunThroughEveryLanguage(kept, languages);
        warm.insert(warm.end(), result.times.begin(), result.times.end());
        last = result.last;
    }
    const std::size_t warmStarts = engine.PipelineStarts() - startsBefore;
    const std::set<pid_t> groups = LivePipelineGroups(engine, languages);
    const long pipelineKilobytes = ProcessGroupsKilobytes(groups);
    const long serviceKilobytes = ProcessKilobytes("/proc/self");

    const HopResult keptHops = HopsThroughService(kept, 40);
    httplib::Client fresh("127.0.0.1", port);
    fresh.set_tcp_nodelay(true);
    const HopResult freshHops = HopsThroughService(fresh, 40);
    const double perHop = Total(warm) / static_cast<double>(warm.size());
    std::printf("  warm runs: %d, %.1f ms a run, %.2f ms a hop (median %.2f)\n", WarmRuns,
        Total(warm) / WarmRuns, perHop, Median(warm));
    std::printf("  pipeline starts during the warm runs: %zu\n", warmStarts);
    std::printf("  warm en<>es hop, kept connection:   median %7.2f ms\n", Median(keptHops.times));
    std::printf("  warm en<>es hop, new connection:    median %7.2f ms\n", Median(freshHops.times));
    std::printf(
        "  ratio kept / new connection: %.2f\n", Median(keptHops.times) / Median(freshHops.times));
    std::printf("  ratio warm run hop / warm single hop (kept connection): %.2f\n",
        perHop / Median(keptHops.times));
    std::printf("  memory: %zu live pipelines %.1f MiB, service process %.1f MiB, together "
                "%.1f MiB (proportional set size)\n",
        groups.size(), pipelineKilobytes / 1024.0, serviceKilobytes / 1024.0,
        (pipelineKilobytes + serviceKilobytes) / 1024.0);
    std::printf("  last text of the warm runs: %s\n", last.c_str());
}

std::string RunApertiumOnce(
    const std::string& pair, const std::string& input, const std::string& file)
{
    std::ofstream(file, std::ios::binary) << input;
    const std::string command = "apertium -u -f txt " + pair + " < '" + file + "'";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    while (pipe && !feof(pipe)) {
        const std::size_t count = fread(buffer, 1, sizeof buffer, pipe);
        output.append(buffer, count);
    }
    if (pipe)
        pclose(pipe);
    return output;
}

HopResult HopsWithOneProcessEach()
{
    TemporaryFolder folder;
    HopResult result;
    std::string text = Text;
    for (int hop = 0; hop < ReferenceHops; ++hop) {
        const bool out = hop % 2 == 0;
        const auto started = Clock::now();
        text = RunApertiumOnce(
            out ? "eng-spa" : "spa-eng", out ? Text : text, folder.File("in.txt"));
        result.times.push_back(Milliseconds(Clock::now() - started));
    }
    result.last = text;
    return result;
}

// Licence texts, which are hard-wrapped prose, up to that many bytes.
std::string LicenceText(std::size_t size)
{
    std::string text;
    for (const std::string name : { "GPL-3", "LGPL-2.1", "GFDL-1.3", "Apache-2.0", "MPL-2.0" })
        text += ReadAll("/usr/share/common-licenses/" + name) + "\n";
    return text.substr(0, text.rfind('\n', size) + 1);
}

bool StartsWith(const std::string& line, int (*test)(int))
{
    const std::size_t first = line.find_first_not_of(" \t");
    return first != std::string::npos && test(static_cast<unsigned char>(line[first]));
}

// Lines that start with a small letter in the request and a capital in the
// translation (ASCII letters only).
int CapitalisedContinuations(const std::string& request, const std::string& translation)
{
    std::istringstream requestLines(request);
    std::istringstream translatedLines(translation);
    int capitalised = 0;
    std::string line;
    std::string translated;
    while (std::getline(requestLines, line) && std::getline(translatedLines, translated)) {
        if (StartsWith(line, std::islower) && StartsWith(translated, std::isupper))
            ++capitalised;
    }
    return capitalised;
}

// This process and every child it has waited for, which includes the
// pipelines of an engine that has been destroyed and raw Apertium's programs.
double CpuMilliseconds()
{
    rusage self {};
    rusage children {};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    const auto milliseconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) * 1000.0
            + static_cast<double>(time.tv_usec) / 1000.0;
    };
    return milliseconds(self.ru_utime) + milliseconds(self.ru_stime)
        + milliseconds(children.ru_utime) + milliseconds(children.ru_stime);
}

struct LongTextTimes {
    std::vector<double> raw;
    std::vector<double> rawCpu;
    std::vector<double> fresh;
    std::vector<double> freshCpu;
    std::vector<double> warm;
    int rawCapitalised = 0;
    int serviceCapitalised = 0;
};

// A service of its own for the text; the first hop starts its pipeline.
class LongTextService {
public:
    LongTextService()
        : engine_(Settings(folder_)), translation_({ &engine_ }),
          server_(translation_, service::ServerSettings { 0, {}, 1024 * 1024 })
    {
        if (!server_.Bind())
            std::exit(1);
        serving_ = std::thread([this] { server_.Run(); });
    }
    ~LongTextService()
    {
        server_.Stop();
        serving_.join();
    }

    std::string Hop(const std::string& text)
    {
        httplib::Client client("127.0.0.1", server_.Port());
        client.set_read_timeout(std::chrono::seconds(120));
        return ::Hop(client, "en", "es", text, folder_.File("translator_replypage.htm"));
    }

private:
    static service::ApertiumSettings Settings(const TemporaryFolder& folder)
    {
        service::ApertiumSettings settings;
        settings.ownModesFolder = folder.File("modes");
        return settings;
    }

    TemporaryFolder folder_;
    service::ApertiumEngine engine_;
    service::TranslationService translation_;
    service::ServiceServer server_;
    std::thread serving_;
};

void OneRound(const std::string& text, LongTextService& warm, LongTextTimes& times)
{
    TemporaryFolder folder;
    auto started = Clock::now();
    double cpu = CpuMilliseconds();
    const std::string raw = RunApertiumOnce("eng-spa", text, folder.File("in.txt"));
    times.raw.push_back(Milliseconds(Clock::now() - started));
    times.rawCpu.push_back(CpuMilliseconds() - cpu);
    times.rawCapitalised = CapitalisedContinuations(text, raw);
    started = Clock::now();
    cpu = CpuMilliseconds();
    {
        LongTextService fresh;
        times.serviceCapitalised = CapitalisedContinuations(text, fresh.Hop(text));
        times.fresh.push_back(Milliseconds(Clock::now() - started));
    }
    times.freshCpu.push_back(CpuMilliseconds() - cpu);
    started = Clock::now();
    warm.Hop(text);
    times.warm.push_back(Milliseconds(Clock::now() - started));
}

// Start-up included on both sides: raw Apertium starts its programs for the
// text as the fresh service does. Processor time is the steadier figure on a
// busy machine.
void BenchLongText()
{
    constexpr int Rounds = 5;
    const std::string text = LicenceText(100 * 1024);
    LongTextTimes times;
    LongTextService warm;
    warm.Hop(text);
    for (int round = 0; round < Rounds; ++round)
        OneRound(text, warm, times);
    const auto lines = std::count(text.begin(), text.end(), '\n');
    std::printf("\n%zu bytes of licence texts (%ld lines) en>es, medians of %d rounds\n",
        text.size(), static_cast<long>(lines), Rounds);
    std::printf("  raw apertium -u -f txt eng-spa:      %8.1f ms, processor %8.1f ms\n",
        Median(times.raw), Median(times.rawCpu));
    std::printf("  fresh service (starts its pipeline): %8.1f ms, processor %8.1f ms\n",
        Median(times.fresh), Median(times.freshCpu));
    std::printf("  warm service:                        %8.1f ms\n", Median(times.warm));
    std::printf("  ratio fresh service / raw Apertium: %.2f (processor time %.2f)\n",
        Median(times.fresh) / Median(times.raw), Median(times.freshCpu) / Median(times.rawCpu));
    std::printf(
        "  ratio warm service / raw Apertium:  %.2f\n", Median(times.warm) / Median(times.raw));
    std::printf("  lines continued in lower case that come back capitalised: raw %d, service %d\n",
        times.rawCapitalised, times.serviceCapitalised);
}

void Report(const std::string& name, const HopResult& result)
{
    const double total = Total(result.times);
    const std::size_t hops = result.times.size();
    std::printf("%-34s %4zu hops  %8.1f ms total  median %7.2f ms/hop  %7.1f round trips/s\n",
        name.c_str(), hops, total, Median(result.times),
        static_cast<double>(hops / 2) / (total / 1000.0));
}

} // namespace

int main()
{
    TemporaryFolder ownModes;
    service::ApertiumSettings settings;
    settings.ownModesFolder = ownModes.Path();
    service::ApertiumEngine engine(settings);
    service::TranslationService translation({ &engine });
    service::ServiceServer server(translation, service::ServerSettings { 0, {}, 1024 * 1024 });
    if (!server.Bind())
        return 1;
    std::thread serving([&] { server.Run(); });

    const auto coldStart = Clock::now();
    engine.Translate("en", "es", { "warm up" });
    engine.Translate("es", "en", { "calentar" });
    std::printf(
        "first use of two pipelines (start-up): %.1f ms\n", Milliseconds(Clock::now() - coldStart));

    httplib::Client client("127.0.0.1", server.Port());
    const HopResult service = HopsThroughService(client, Hops);
    Report("warm service (HTTP + extraction)", service);
    for (const service::Direction& direction :
        { service::Direction { "en", "es" }, { "es", "en" } }) {
        std::printf("memory of live pipeline %s>%s: %ld KiB (proportional set size)\n",
            direction.first.c_str(), direction.second.c_str(),
            ProcessGroupsKilobytes({ engine.PipelineProcessGroup(direction) }));
    }
    const HopResult reference = HopsWithOneProcessEach();
    Report("reference: one apertium per hop", reference);
    std::printf("ratio: one process per hop takes %.1f times the warm service's median hop\n",
        Median(reference.times) / Median(service.times));
    std::printf("last text through the service: %s\n", service.last.c_str());
    BenchLongText();
    BenchEveryLanguage(engine, server.Port());

    server.Stop();
    serving.join();
    return 0;
}
