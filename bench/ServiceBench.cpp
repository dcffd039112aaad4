// The translation service with the real Apertium engine: hops through a warm
// service against the same hops with one apertium process per request.
#include "run/TranslationReply.h"
#include "run/TranslationRequest.h"
#include "service/ApertiumEngine.h"
#include "service/ServiceServer.h"
#include "tests/support/TemporaryFolder.h"

#include <httplib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <thread>

using Clock = std::chrono::steady_clock;

namespace {

constexpr int Hops = 200;
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

// Proportional set size of every process in the group, so shared libraries
// are counted once across the pipelines.
long ProcessGroupKilobytes(pid_t group)
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
        long processGroup = 0;
        fields >> state >> parent >> processGroup;
        if (processGroup != group)
            continue;
        std::istringstream rollup(ReadAll(entry.path().string() + "/smaps_rollup"));
        for (std::string line; std::getline(rollup, line);) {
            if (line.starts_with("Pss:"))
                total += std::stol(line.substr(4));
        }
    }
    return total;
}

struct HopResult {
    std::vector<double> times;
    std::string last;
};

// Each hop carries the previous hop's text on, en to es and back, as a run of
// the program does.
HopResult HopsThroughService(int port)
{
    httplib::Client client("127.0.0.1", port);
    TemporaryFolder folder;
    const std::string file = folder.File("translator_replypage.htm");
    HopResult result;
    std::string text = Text;
    for (int hop = 0; hop < Hops; ++hop) {
        const bool out = hop % 2 == 0;
        const std::string original = out ? Text : text;
        const auto started = Clock::now();
        const auto reply
            = client.Post("/", RequestBody(out ? "en" : "es", out ? "es" : "en", original),
                "application/x-www-form-urlencoded");
        if (!reply || reply->status != 200) {
            std::cerr << "service request failed\n";
            std::exit(1);
        }
        std::ofstream(file, std::ios::binary) << reply->body;
        std::string status;
        NoDebugLog log;
        text = ExtractTranslation(file, status, log);
        result.times.push_back(Milliseconds(Clock::now() - started));
        if (text.empty()) {
            std::cerr << "no translation: " << status << "\n";
            std::exit(1);
        }
    }
    result.last = text;
    return result;
}

std::string RunApertiumOnce(
    const std::string& pair, const std::string& input, const std::string& file)
{
    std::ofstream(file, std::ios::binary) << input;
    const std::string command = "apertium -u " + pair + " < '" + file + "'";
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
    for (int hop = 0; hop < Hops; ++hop) {
        const bool out = hop % 2 == 0;
        const auto started = Clock::now();
        text = RunApertiumOnce(
            out ? "eng-spa" : "spa-eng", out ? Text : text, folder.File("in.txt"));
        result.times.push_back(Milliseconds(Clock::now() - started));
    }
    result.last = text;
    return result;
}

void Report(const std::string& name, const HopResult& result)
{
    double total = 0;
    for (const double time : result.times)
        total += time;
    std::printf("%-34s %4d hops  %8.1f ms total  median %7.2f ms/hop  %7.1f round trips/s\n",
        name.c_str(), Hops, total, Median(result.times), (Hops / 2) / (total / 1000.0));
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

    const HopResult service = HopsThroughService(server.Port());
    Report("warm service (HTTP + extraction)", service);
    for (const service::Direction& direction :
        { service::Direction { "en", "es" }, { "es", "en" } }) {
        std::printf("memory of live pipeline %s>%s: %ld KiB (proportional set size)\n",
            direction.first.c_str(), direction.second.c_str(),
            ProcessGroupKilobytes(engine.PipelineProcessGroup(direction)));
    }
    const HopResult reference = HopsWithOneProcessEach();
    Report("reference: one apertium per hop", reference);
    std::printf("ratio: one process per hop takes %.1f times the warm service's median hop\n",
        Median(reference.times) / Median(service.times));
    std::printf("last text through the service: %s\n", service.last.c_str());

    server.Stop();
    serving.join();
    return 0;
}
