// Download throughput of the HTTP request component against the curl
// command-line tool: both fetch the same 256 MiB body into a file from a
// loopback server that runs in a process of its own, five times each, taking
// turns, each into a new file; the median and the spread of each side and the
// ratio of the medians are printed, with how busy the machine's cores were. Then the component's
// peak memory for a 64 MiB and a 256 MiB body (it should not grow with the
// body).
//
//   bench_TransferBench             the comparison
//   bench_TransferBench --profile   component transfers only, for a profiler
#include "platform/InternetLibrary.h"
#include "tests/support/TemporaryFolder.h"
#include "transfer/acHTTP.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <netinet/in.h>
#include <string>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::int64_t MiB = 1024 * 1024;
constexpr std::int64_t BodySize = 256 * MiB;
constexpr int Runs = 5;

// ---------------------------------------------------------------------------
// The server process: streams a generated body of the asked size ("/<bytes>")
// to one client after the other, holding one block of it in memory, until
// its standard input closes.

void Answer(int client)
{
    std::string head;
    char byte = 0;
    while (head.find("\r\n\r\n") == std::string::npos && read(client, &byte, 1) == 1)
        head += byte;
    const size_t slash = head.find('/');
    if (slash == std::string::npos)
        return;
    const std::int64_t size = std::stoll(head.substr(slash + 1, head.find(' ', slash) - slash - 1));
    const std::string reply
        = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: "
        + std::to_string(size) + "\r\nConnection: close\r\n\r\n";
    send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
    const std::string block(256 * 1024, 'x');
    for (std::int64_t sent = 0; sent < size;) {
        const auto count = static_cast<size_t>(std::min<std::int64_t>(block.size(), size - sent));
        const ssize_t written = send(client, block.data(), count, MSG_NOSIGNAL);
        if (written <= 0)
            return;
        sent += written;
    }
}

int Serve()
{
    prctl(PR_SET_NAME, "bench server");
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0
        || listen(listener, 4) != 0
        || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 1;
    std::printf("%d\n", ntohs(address.sin_port));
    std::fflush(stdout);
    // The parent closing our standard input ends the server.
    std::thread([listener] {
        char ignored = 0;
        while (read(STDIN_FILENO, &ignored, 1) > 0) { }
        shutdown(listener, SHUT_RDWR);
    }).detach();
    for (;;) {
        const int client = accept(listener, nullptr, nullptr);
        if (client < 0)
            return 0;
        Answer(client);
        close(client);
    }
}

class ServerProcess {
public:
    explicit ServerProcess(const QString& program)
    {
        process_.start(program, { QStringLiteral("--serve") });
        if (process_.waitForReadyRead(10000))
            port_ = process_.readLine().trimmed().toInt();
    }
    ~ServerProcess()
    {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(5000))
            process_.kill();
    }
    bool Running() const { return port_ != 0; }
    std::string Url(std::int64_t size) const
    {
        return "http://127.0.0.1:" + std::to_string(port_) + "/" + std::to_string(size);
    }

private:
    QProcess process_;
    int port_ = 0;
};

// ---------------------------------------------------------------------------
// Measuring.

// Jiffies of all cores together: total and idle (idle and waiting for I/O).
struct CpuTimes {
    std::uint64_t total = 0;
    std::uint64_t idle = 0;
};

CpuTimes ReadCpuTimes()
{
    std::ifstream stat("/proc/stat");
    std::string cpu;
    stat >> cpu;
    CpuTimes times;
    std::uint64_t value = 0;
    for (int field = 0; field < 8 && stat >> value; ++field) {
        times.total += value;
        if (field == 3 || field == 4)
            times.idle += value;
    }
    return times;
}

unsigned Cores()
{
    return std::max(1u, std::thread::hardware_concurrency());
}

// How many cores were busy on average between the two readings.
double BusyCores(const CpuTimes& from, const CpuTimes& to)
{
    const double total = static_cast<double>(to.total - from.total);
    if (total <= 0)
        return 0;
    return (total - static_cast<double>(to.idle - from.idle)) / total * Cores();
}

std::int64_t StatusKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0)
            return std::stoll(line.substr(std::string(field).size()));
    return 0;
}

void ResetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct Run {
    double seconds = 0;
    std::int64_t peakGrowthKilobytes = 0;
    std::int64_t peakKilobytes = 0;
    bool ok = false;
};

Run RunComponent(const std::string& url, const std::string& output, std::int64_t size)
{
    TacHTTP http;
    http.URL = url;
    http.OutputFileName = output;
    http.TransferBufferSize = 32000;
    http.RequestMethod = rmGET;
    Run run;
    QEventLoop loop;
    http.OnDone = [&](TObject*, const std::string&, int fileSize, TStream*) {
        run.ok = fileSize == size;
        loop.quit();
    };
    http.OnAnyError = [&](TObject*) { loop.quit(); };
    // Neither side overwrites the last run's file: a file truncated and
    // written again is written out at its close, a new one is not.
    std::remove(output.c_str());
    ResetPeakMemory();
    const std::int64_t before = StatusKilobytes("VmRSS:");
    QElapsedTimer clock;
    clock.start();
    http.Read(false);
    loop.exec();
    run.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    run.peakKilobytes = StatusKilobytes("VmHWM:");
    run.peakGrowthKilobytes = run.peakKilobytes - before;
    return run;
}

Run RunCurl(const std::string& url, const std::string& output)
{
    Run run;
    std::remove(output.c_str());
    QElapsedTimer clock;
    clock.start();
    const int code = QProcess::execute(QStringLiteral("curl"),
        { QStringLiteral("-s"), QStringLiteral("-o"), QString::fromStdString(output),
            QString::fromStdString(url) });
    run.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    run.ok = code == 0;
    return run;
}

double Throughput(std::int64_t size, double seconds)
{
    return static_cast<double>(size) / MiB / seconds;
}

struct Side {
    std::vector<double> throughputs;
    CpuTimes busyFrom;
    double busyCores = 0;

    double Median() const
    {
        std::vector<double> sorted = throughputs;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
    void Add(const Run& run, const CpuTimes& from, const CpuTimes& to)
    {
        throughputs.push_back(Throughput(BodySize, run.seconds));
        busyCores += BusyCores(from, to) / Runs;
    }
    void Print(const char* name) const
    {
        const auto [low, high] = std::minmax_element(throughputs.begin(), throughputs.end());
        std::printf("  %-11s median %7.1f MiB/s   spread %7.1f .. %7.1f   cores busy %.2f\n", name,
            Median(), *low, *high, busyCores);
    }
};

int Profile(const ServerProcess& server, const std::string& output)
{
    for (int run = 0; run < Runs; ++run)
        if (!RunComponent(server.Url(BodySize), output, BodySize).ok)
            return 1;
    return 0;
}

int Compare(const ServerProcess& server, const std::string& output, const std::string& curlOutput)
{
    // One of each first, so that both sides meet a warm page cache.
    const Run first = RunComponent(server.Url(64 * MiB), output, 64 * MiB);
    RunCurl(server.Url(64 * MiB), curlOutput);
    const CpuTimes quietFrom = ReadCpuTimes();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const double quietCores = BusyCores(quietFrom, ReadCpuTimes());

    Side component;
    Side curl;
    for (int round = 0; round < Runs; ++round) {
        CpuTimes from = ReadCpuTimes();
        const Run ours = RunComponent(server.Url(BodySize), output, BodySize);
        CpuTimes to = ReadCpuTimes();
        component.Add(ours, from, to);
        from = ReadCpuTimes();
        const Run theirs = RunCurl(server.Url(BodySize), curlOutput);
        to = ReadCpuTimes();
        curl.Add(theirs, from, to);
        if (!ours.ok || !theirs.ok) {
            std::printf("transfer failed (component %d, curl %d)\n", ours.ok, theirs.ok);
            return 1;
        }
    }
    std::printf("256 MiB into a file from a server in its own process, TransferBufferSize 32000,\n"
                "%d runs per side taking turns; %u cores, %.2f busy in the second before the "
                "runs:\n",
        Runs, Cores(), quietCores);
    component.Print("TacHTTP");
    curl.Print("curl -s -o");
    std::printf("  ratio of the medians %.2f (target >= 0.95 on an idle machine)\n",
        component.Median() / curl.Median());

    const Run small = RunComponent(server.Url(64 * MiB), output, 64 * MiB);
    const Run large = RunComponent(server.Url(BodySize), output, BodySize);
    std::printf("memory during one transfer (peak resident size of the process, and its growth "
                "over the start):\n");
    std::printf("  64 MiB body  peak %6lld KiB, growth %6lld KiB\n",
        static_cast<long long>(small.peakKilobytes),
        static_cast<long long>(small.peakGrowthKilobytes));
    std::printf("  256 MiB body peak %6lld KiB, growth %6lld KiB\n",
        static_cast<long long>(large.peakKilobytes),
        static_cast<long long>(large.peakGrowthKilobytes));
    std::printf("  first transfer of the process (64 MiB): peak %lld KiB, growth %lld KiB\n",
        static_cast<long long>(first.peakKilobytes),
        static_cast<long long>(first.peakGrowthKilobytes));
    return first.ok && small.ok && large.ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--serve") == 0)
        return Serve();
    platform::InternetLibraryScope internet;
    QCoreApplication application(argc, argv);
    const ServerProcess server(QCoreApplication::applicationFilePath());
    if (!server.Running()) {
        std::puts("the server process did not start");
        return 1;
    }
    TemporaryFolder folder;
    const std::string output = folder.File("body.bin");
    if (argc > 1 && std::strcmp(argv[1], "--profile") == 0)
        return Profile(server, output);
    return Compare(server, output, folder.File("curl.bin"));
}
