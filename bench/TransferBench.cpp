// Download throughput of the HTTP request component against the curl
// command-line tool, both fetching the same large body from a loopback
// server in the same run, and the component's peak memory for two body
// sizes (it should not grow with the body).
#include "platform/InternetLibrary.h"
#include "tests/support/TemporaryFolder.h"
#include "transfer/acHTTP.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStringList>

#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr std::int64_t MiB = 1024 * 1024;

// Streams a generated body of the asked size ("/<bytes>") to every client,
// holding only one block of it in memory.
class StreamingServer {
public:
    StreamingServer()
    {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 4);
        socklen_t length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~StreamingServer()
    {
        stopping_ = true;
        shutdown(listener_, SHUT_RDWR);
        close(listener_);
        thread_.join();
    }
    std::string Url(std::int64_t size) const
    {
        return "http://127.0.0.1:" + std::to_string(port_) + "/" + std::to_string(size);
    }

private:
    void Serve()
    {
        while (!stopping_) {
            const int client = accept(listener_, nullptr, nullptr);
            if (client < 0)
                return;
            Answer(client);
            close(client);
        }
    }
    static void Answer(int client)
    {
        std::string head;
        char byte = 0;
        while (head.find("\r\n\r\n") == std::string::npos && read(client, &byte, 1) == 1)
            head += byte;
        const size_t slash = head.find('/');
        const std::int64_t size
            = std::stoll(head.substr(slash + 1, head.find(' ', slash) - slash - 1));
        const std::string reply
            = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: "
            + std::to_string(size) + "\r\nConnection: close\r\n\r\n";
        send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
        std::string block(256 * 1024, 'x');
        for (std::int64_t sent = 0; sent < size;) {
            const auto count
                = static_cast<size_t>(std::min<std::int64_t>(block.size(), size - sent));
            const ssize_t written = send(client, block.data(), count, MSG_NOSIGNAL);
            if (written <= 0)
                return;
            sent += written;
        }
    }

    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_ { false };
    std::thread thread_;
};

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
    QElapsedTimer clock;
    clock.start();
    const int code = QProcess::execute(QStringLiteral("curl"),
        { QStringLiteral("-s"), QStringLiteral("-o"), QString::fromStdString(output),
            QString::fromStdString(url) });
    run.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    run.ok = code == 0;
    return run;
}

double Throughput(std::int64_t size, const Run& run)
{
    return static_cast<double>(size) / MiB / run.seconds;
}

} // namespace

int main(int argc, char** argv)
{
    platform::InternetLibraryScope internet;
    QCoreApplication application(argc, argv);
    StreamingServer server;
    TemporaryFolder folder;
    const std::string output = folder.File("body.bin");

    const std::int64_t size = 256 * MiB;
    // The first transfer of the process, before any memory could be reused.
    const Run first = RunComponent(server.Url(64 * MiB), output, 64 * MiB);
    Run best { 1e9, 0, false };
    Run bestCurl { 1e9, 0, false };
    for (int round = 0; round < 3; ++round) {
        const Run component = RunComponent(server.Url(size), output, size);
        const Run curl = RunCurl(server.Url(size), folder.File("curl.bin"));
        if (!component.ok || !curl.ok) {
            std::printf("transfer failed (component %d, curl %d)\n", component.ok, curl.ok);
            return 1;
        }
        if (component.seconds < best.seconds)
            best = component;
        if (curl.seconds < bestCurl.seconds)
            bestCurl = curl;
    }
    std::printf("256 MiB into a file, TransferBufferSize 32000, best of 3:\n");
    std::printf("  TacHTTP   %8.1f MiB/s\n", Throughput(size, best));
    std::printf("  curl -s -o %7.1f MiB/s\n", Throughput(size, bestCurl));
    std::printf("  ratio      %7.2f (target >= 0.80)\n",
        Throughput(size, best) / Throughput(size, bestCurl));

    const Run small = RunComponent(server.Url(64 * MiB), output, 64 * MiB);
    const Run large = RunComponent(server.Url(size), output, size);
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
