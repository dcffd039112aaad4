// The real tornalo-service under attack: the latency of a well-formed
// request, en>es and en>ca, first idle and then while hostile clients of each
// kind run against it, in the same run; then the memory of its process tree
// (proportional set size) after a run through every offline language and
// once its pipelines have been idle.
//   bench_ServiceAttackBench [--pipeline-idle SECONDS] [--wait SECONDS]
// By default the pipelines idle for 20 s and the memory is measured 30 s
// after the last request; --pipeline-idle 240 --wait 300 gives the real five
// minutes.
#include "ProcessMemory.h"
#include "run/TranslationRequest.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTcpServer>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const std::string Sentence = "The old man walks to the market every morning.";
const std::string FormType = "application/x-www-form-urlencoded";
constexpr auto Window = 10s;
constexpr auto SampleGap = 100ms;

double Milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

std::string LoadAverage()
{
    const std::string load = ReadAll("/proc/loadavg");
    return load.substr(0, load.find(' ', load.find(' ', load.find(' ') + 1) + 1));
}

// ---------------------------------------------------------------------------
// Memory: the service and every process below it.

struct TreeMemory {
    double serviceMegabytes = 0;
    double totalMegabytes = 0;
    std::size_t processes = 0;
};

TreeMemory MemoryOf(pid_t root)
{
    const std::vector<ProcessEntry> processes = RunningProcesses();
    std::vector<ProcessEntry> tree;
    for (const ProcessEntry& process : processes) {
        if (process.process == root)
            tree.push_back(process);
    }
    for (std::size_t i = 0; i < tree.size(); ++i) {
        for (const ProcessEntry& process : processes) {
            if (process.parent == tree[i].process)
                tree.push_back(process);
        }
    }
    TreeMemory memory;
    for (const ProcessEntry& process : tree) {
        const double megabytes = ProcessKilobytes(process.folder) / 1024.0;
        memory.totalMegabytes += megabytes;
        memory.serviceMegabytes += process.process == root ? megabytes : 0;
    }
    memory.processes = tree.size();
    return memory;
}

// ---------------------------------------------------------------------------
// Requests.

int FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

httplib::Client ClientFor(int port, std::chrono::seconds readTimeout)
{
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(5s);
    client.set_read_timeout(readTimeout);
    return client;
}

// The status of one form posted on a new connection, -1 without one.
int PostForm(int port, const std::string& body, std::chrono::seconds readTimeout = 30s)
{
    const auto reply = ClientFor(port, readTimeout).Post("/", body, FormType);
    return reply ? reply->status : -1;
}

int Post(int port, const std::string& from, const std::string& to, const std::string& text,
    std::chrono::seconds readTimeout = 30s)
{
    return PostForm(port, RequestBody(from, to, text), readTimeout);
}

int Connect(int port)
{
    const int connection = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(connection, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(connection);
        return -1;
    }
    return connection;
}

// Waits up to pause for the server to close the connection.
bool ClosedWithin(int connection, Clock::duration pause, const std::atomic<bool>& stop)
{
    for (const auto end = Clock::now() + pause; !stop && Clock::now() < end;) {
        pollfd wait { connection, POLLIN, 0 };
        char block[512];
        if (poll(&wait, 1, 50) > 0 && recv(connection, block, sizeof block, 0) <= 0)
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// The hostile clients: each runs until stop, counting what the service did.

struct Tally {
    std::mutex mutex;
    std::map<std::string, int> outcomes;
    void Add(const std::string& outcome)
    {
        const std::lock_guard lock(mutex);
        ++outcomes[outcome];
    }
    std::string Text()
    {
        const std::lock_guard lock(mutex);
        std::string text;
        for (const auto& [outcome, count] : outcomes)
            text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + outcome;
        return text;
    }
};

using Client = std::function<void(int port, const std::atomic<bool>& stop, Tally& tally)>;

// One byte every 0.8 s, so never silent for a second; again when dropped.
void Trickle(int port, const std::atomic<bool>& stop, Tally& tally)
{
    const std::string request = "POST / HTTP/1.1\r\nHost: localhost\r\nContent-Type: " + FormType
        + "\r\nContent-Length: 40\r\n\r\nsl=en&tl=es&text=" + std::string(23, 'a');
    while (!stop) {
        const int connection = Connect(port);
        bool dropped = connection < 0;
        for (std::size_t sent = 0; !dropped && !stop && sent < request.size(); ++sent)
            dropped = send(connection, &request[sent], 1, MSG_NOSIGNAL) != 1
                || ClosedWithin(connection, 800ms, stop);
        tally.Add(dropped ? "dropped" : "still sending at the end");
        if (connection >= 0)
            close(connection);
    }
}

// Connects and sends nothing; again when dropped.
void Hold(int port, const std::atomic<bool>& stop, Tally& tally)
{
    while (!stop) {
        const int connection = Connect(port);
        const bool dropped = connection < 0 || ClosedWithin(connection, 60s, stop);
        tally.Add(dropped ? "dropped" : "held to the end");
        if (connection >= 0)
            close(connection);
    }
}

std::string FortyKilobytes()
{
    std::string text;
    while (text.size() < 40 * 1024)
        text += Sentence + (text.size() % 7 == 0 ? "\r\n" : " ");
    return text;
}

void PostFortyKilobytes(int port, const std::atomic<bool>& stop, Tally& tally)
{
    static const std::string text = FortyKilobytes();
    while (!stop)
        tally.Add("status " + std::to_string(Post(port, "en", "es", text)));
}

// The largest form the service takes: its text is the piece again and
// again, which holds nothing that form encoding would change.
std::string OneMebibyteFormOf(const std::string& piece)
{
    std::string form = "sl=en&tl=es&text=";
    while (form.size() + piece.size() <= 1024 * 1024)
        form += piece;
    return form;
}

Client PostOnce(std::string piece)
{
    return [piece](int port, const std::atomic<bool>&, Tally& tally) {
        const auto started = Clock::now();
        const int status = PostForm(port, OneMebibyteFormOf(piece), 300s);
        tally.Add("status " + std::to_string(status) + " after "
            + std::to_string(static_cast<int>(Milliseconds(Clock::now() - started))) + " ms");
    };
}

struct Attack {
    std::string name;
    int clients;
    Client client;
};

// ---------------------------------------------------------------------------
// The well-formed requests and their figures.

struct Latencies {
    std::vector<double> es;
    std::vector<double> ca;
    int failures = 0;
};

Latencies Sample(int port, Clock::duration window)
{
    Latencies latencies;
    for (const auto end = Clock::now() + window; Clock::now() < end;) {
        for (const auto& [target, times] :
            { std::pair { "es", &latencies.es }, { "ca", &latencies.ca } }) {
            const auto started = Clock::now();
            const int status = Post(port, "en", target, Sentence);
            times->push_back(Milliseconds(Clock::now() - started));
            latencies.failures += status == 200 ? 0 : 1;
            std::this_thread::sleep_for(SampleGap);
        }
    }
    return latencies;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double Largest(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

void Report(const std::string& name, const Latencies& figures, const Latencies& idle)
{
    std::printf("%-30s en>es median %8.1f ms  max %8.1f ms (%6.1fx idle)   en>ca median %7.1f ms  "
                "max %7.1f ms (%6.1fx idle)   %zu requests, %d not 200\n",
        name.c_str(), Median(figures.es), Largest(figures.es), Median(figures.es) / Median(idle.es),
        Median(figures.ca), Largest(figures.ca), Median(figures.ca) / Median(idle.ca),
        figures.es.size() + figures.ca.size(), figures.failures);
}

bool MeetsGoal(const Latencies& figures)
{
    return Largest(figures.es) <= 2000 && Largest(figures.ca) <= 500 && figures.failures == 0;
}

bool RunAttack(int port, const Attack& attack, const Latencies& idle)
{
    std::atomic<bool> stop = false;
    Tally tally;
    std::vector<std::thread> clients;
    for (int i = 0; i < attack.clients; ++i)
        clients.emplace_back([&] { attack.client(port, stop, tally); });
    std::this_thread::sleep_for(1s);
    const Latencies figures = Sample(port, Window);
    stop = true;
    for (auto& client : clients)
        client.join();
    Report(attack.name, figures, idle);
    std::printf("%-30s attackers: %s\n", "", tally.Text().c_str());
    return MeetsGoal(figures);
}

std::vector<std::string> OfflineLanguages(int port)
{
    const auto reply = ClientFor(port, 10s).Get("/languages");
    if (!reply || reply->status != 200)
        return {};
    const auto pairs = nlohmann::json::parse(reply->body).at("pairs");
    std::vector<std::string> languages;
    for (const auto& to : pairs.at("en")) {
        const std::string code = to.get<std::string>();
        if (pairs.contains(code)) {
            const auto& back = pairs.at(code);
            if (std::find(back.begin(), back.end(), "en") != back.end())
                languages.push_back(code);
        }
    }
    return languages;
}

void MeasureMemory(int port, pid_t service, std::chrono::seconds wait)
{
    const std::vector<std::string> languages = OfflineLanguages(port);
    int failures = 0;
    for (const auto& language : languages)
        failures += (Post(port, "en", language, Sentence, 120s) == 200 ? 0 : 1)
            + (Post(port, language, "en", Sentence, 120s) == 200 ? 0 : 1);
    const TreeMemory after = MemoryOf(service);
    std::printf(
        "\nafter a run out and back through %zu offline languages (%d failed): %zu processes, "
        "%.1f MB (service process %.1f MB)\n",
        languages.size(), failures, after.processes, after.totalMegabytes, after.serviceMegabytes);
    std::this_thread::sleep_for(wait);
    const TreeMemory later = MemoryOf(service);
    std::printf("%lld s after the last request: %zu processes, %.1f MB (service process %.1f MB); "
                "%.3f of the run's figure, %.2f of the 150 MB goal\n",
        static_cast<long long>(wait.count()), later.processes, later.totalMegabytes,
        later.serviceMegabytes, later.totalMegabytes / after.totalMegabytes,
        later.totalMegabytes / 150.0);
}

int Option(const QStringList& arguments, const QString& name, int fallback)
{
    const auto at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1].toInt() : fallback;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QStringList arguments = application.arguments();
    const int pipelineIdle = Option(arguments, QStringLiteral("--pipeline-idle"), 20);
    const int wait = Option(arguments, QStringLiteral("--wait"), pipelineIdle + 10);
    std::printf("load average before: %s, %u cores\n", LoadAverage().c_str(),
        std::thread::hardware_concurrency());
    const int port = FreePort();
    QProcess service;
    service.setProcessChannelMode(QProcess::ForwardedChannels);
    service.start(QStringLiteral(SERVICE_PROGRAM),
        { QStringLiteral("--port"), QString::number(port), QStringLiteral("--pipeline-idle"),
            QString::number(pipelineIdle) });
    if (!service.waitForStarted(5000))
        return 1;
    for (int attempt = 0; attempt < 100 && Post(port, "en", "en", "up?") != 200; ++attempt)
        std::this_thread::sleep_for(100ms);
    const auto pid = static_cast<pid_t>(service.processId());
    // Warm: the pipelines the well-formed requests use are running.
    Sample(port, 1s);
    const Latencies idle = Sample(port, Window);
    Report("idle", idle, idle);
    const std::vector<Attack> attacks = {
        { "100 trickling clients", 100, Trickle },
        { "64 connection holders", 64, Hold },
        { "100 concurrent 40 KB posts", 100, PostFortyKilobytes },
        { "a 1 MiB single word", 1, PostOnce("a") },
        { "1 MiB of <b>", 1, PostOnce("<b>") },
    };
    bool met = true;
    for (const Attack& attack : attacks)
        met = RunAttack(port, attack, idle) && met;
    std::printf("goal (en>es within 2 s, en>ca within 0.5 s, every one answered): %s\n",
        met ? "met" : "missed");
    const TreeMemory afterAttacks = MemoryOf(pid);
    std::this_thread::sleep_for(10s);
    std::printf("service process after the attacks: %.1f MB, 10 s later %.1f MB\n",
        afterAttacks.serviceMegabytes, MemoryOf(pid).serviceMegabytes);
    MeasureMemory(port, pid, std::chrono::seconds(wait));
    service.terminate();
    service.waitForFinished(10000);
    return 0;
}
