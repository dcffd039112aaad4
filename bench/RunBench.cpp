// How much time a run spends in the program per step. The window and
// tornalo-cli run the same plan against the same stand-in service on
// loopback, with the pause off. The stand-in notes when it starts handling
// each request (accepting the connection or reading the request, whichever
// comes first) and when it has sent the reply; the time from one reply sent
// to the next request's handling started is the step's time outside the
// stand-in, its whole handling taken out. The reference, measured in the
// same run, is the curl tool posting the same form again and again on one
// kept connection: what a keep-alive request costs a program that does
// nothing else. A bare socket client shows the kernel's share of a step.
// A 1,000-step run of the window then shows whether the cost of a step stays
// flat as the debug memo fills. The window's run is driven by its event loop
// alone, woken when "Translate Now" is enabled again.
#include "app/CheckListBox.h"
#include "app/MainFormUnit.h"
#include "app/Memo.h"
#include "platform/InternetLibrary.h"
#include "platform/QtText.h"
#include "run/LanguageTable.h"
#include "transfer/acHTTP.h"
#include "widgets/acEdit.h"

#include "tests/support/Child.h"
#include "tests/support/StandInService.h"
#include "tests/support/TemporaryFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QPushButton>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <numeric>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using Microseconds = std::chrono::duration<double, std::micro>;

const std::string Sentence = "The quick brown fox jumps over the lazy dog.";
constexpr int Languages = 25;
constexpr unsigned Loops = 4;

// ---------------------------------------------------------------------------
// The stand-in: one thread that waits for any of its sockets, handles what is
// there and goes back to waiting, timing each request's handling.

struct Handling {
    Clock::time_point started;
    Clock::time_point finished;
};

class TimedStandIn {
public:
    TimedStandIn()
    {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
        listen(listener_, 16);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        if (pipe(wake_) != 0)
            throw std::runtime_error("stand-in: no pipe");
        thread_ = std::thread([this] { Loop(); });
    }

    ~TimedStandIn()
    {
        const char byte = 0;
        [[maybe_unused]] const auto written = write(wake_[1], &byte, 1);
        thread_.join();
        for (const auto& [socket, client] : clients_)
            close(socket);
        close(listener_);
        close(wake_[0]);
        close(wake_[1]);
    }

    std::uint16_t Port() const { return port_; }
    std::string URL() const { return "http://127.0.0.1:" + std::to_string(port_); }

    // The handling of the requests since the last call, once there are as
    // many as expected (a client may read a reply before it is noted).
    std::vector<Handling> Take(std::size_t expected)
    {
        std::unique_lock lock(mutex_);
        noted_.wait_for(lock, std::chrono::seconds(5), [&] { return handled_.size() >= expected; });
        return std::exchange(handled_, {});
    }

private:
    struct Client {
        std::string buffer;
        std::optional<Clock::time_point> started;
    };

    void Loop()
    {
        for (;;) {
            std::vector<pollfd> waiting { { wake_[0], POLLIN, 0 }, { listener_, POLLIN, 0 } };
            for (const auto& [socket, client] : clients_)
                waiting.push_back({ socket, POLLIN, 0 });
            if (poll(waiting.data(), waiting.size(), -1) <= 0)
                continue;
            const Clock::time_point woken = Clock::now();
            if (waiting[0].revents)
                return;
            if (waiting[1].revents)
                Accept(woken);
            for (std::size_t i = 2; i < waiting.size(); ++i)
                if (waiting[i].revents)
                    Receive(waiting[i].fd, woken);
        }
    }

    void Accept(Clock::time_point woken)
    {
        const int socket = accept(listener_, nullptr, nullptr);
        if (socket < 0)
            return;
        const int noDelay = 1;
        setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
        clients_[socket].started = woken;
    }

    void Receive(int socket, Clock::time_point woken)
    {
        Client& client = clients_[socket];
        if (!client.started)
            client.started = woken;
        char chunk[16384];
        const ssize_t count = recv(socket, chunk, sizeof chunk, 0);
        if (count <= 0) {
            close(socket);
            clients_.erase(socket);
            return;
        }
        client.buffer.append(chunk, std::size_t(count));
        while (AnswerOne(socket, client)) { }
    }

    bool AnswerOne(int socket, Client& client)
    {
        const std::size_t headEnd = client.buffer.find("\r\n\r\n");
        if (headEnd == std::string::npos)
            return false;
        const std::size_t length = ContentLength(client.buffer.substr(0, headEnd));
        if (client.buffer.size() < headEnd + 4 + length)
            return false;
        const auto fields = standin::DecodeForm(client.buffer.substr(headEnd + 4, length));
        client.buffer.erase(0, headEnd + 4 + length);
        const auto target = fields.find("tl");
        const std::string page = standin::ReplyPage(
            { (target == fields.end() ? std::string() : target->second) + ":" + Sentence });
        const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: "
            + std::to_string(page.size()) + "\r\n\r\n" + page;
        send(socket, reply.data(), reply.size(), MSG_NOSIGNAL);
        {
            std::lock_guard lock(mutex_);
            handled_.push_back({ client.started.value_or(Clock::now()), Clock::now() });
        }
        noted_.notify_all();
        client.started.reset();
        return true;
    }

    static std::size_t ContentLength(std::string head)
    {
        std::transform(head.begin(), head.end(), head.begin(),
            [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const std::size_t at = head.find("\r\ncontent-length:");
        return at == std::string::npos ? 0 : std::stoul(head.substr(at + 17));
    }

    int listener_ = -1;
    std::uint16_t port_ = 0;
    int wake_[2] = { -1, -1 };
    std::map<int, Client> clients_;
    std::mutex mutex_;
    std::condition_variable noted_;
    std::vector<Handling> handled_;
    std::thread thread_;
};

// ---------------------------------------------------------------------------
// Figures.

struct StepFigures {
    std::size_t steps = 0;
    double median = 0; // microseconds outside the stand-in per step
    double mean = 0;
};

StepFigures Gaps(const std::vector<Handling>& handled, std::size_t from, std::size_t to)
{
    std::vector<double> gaps;
    for (std::size_t i = std::max<std::size_t>(from, 1); i < to && i < handled.size(); ++i)
        gaps.push_back(Microseconds(handled[i].started - handled[i - 1].finished).count());
    StepFigures figures;
    figures.steps = handled.size();
    if (gaps.empty())
        return figures;
    figures.mean = std::accumulate(gaps.begin(), gaps.end(), 0.0) / double(gaps.size());
    std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
    figures.median = gaps[gaps.size() / 2];
    return figures;
}

StepFigures Gaps(const std::vector<Handling>& handled)
{
    return Gaps(handled, 1, handled.size());
}

// ---------------------------------------------------------------------------
// The three clients.

const std::string ReferenceBody
    = "sl=en&tl=fr&text=The%20quick%20brown%20fox%20jumps%20over%20the%20lazy%20dog.%0D%0A";

// The same exchanges with nothing around them: one kept connection, a request
// written at once, the reply read until its announced end. What a step costs
// at the least, the kernel's part.
void RunBareClient(std::uint16_t port, std::size_t steps)
{
    const int connection = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address);
    const int noDelay = 1;
    setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    const std::string& body = ReferenceBody;
    const std::string request = "POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: Mozilla/4.0 "
                                "(compatible; MSIE 6.0; Windows NT 5.1)\r\nAccept: text/html, "
                                "*/*\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                                "Content-Length: "
        + std::to_string(body.size()) + "\r\n\r\n" + body;
    std::string received;
    char chunk[16384];
    for (std::size_t step = 0; step < steps; ++step) {
        send(connection, request.data(), request.size(), MSG_NOSIGNAL);
        for (;;) {
            const std::size_t headEnd = received.find("\r\n\r\n");
            if (headEnd != std::string::npos) {
                const std::size_t at = received.find("Content-Length: ");
                const std::size_t total = headEnd + 4 + std::stoul(received.substr(at + 16));
                if (received.size() >= total) {
                    received.erase(0, total);
                    break;
                }
            }
            const ssize_t count = recv(connection, chunk, sizeof chunk, 0);
            if (count <= 0) {
                close(connection);
                return;
            }
            received.append(chunk, std::size_t(count));
        }
    }
    close(connection);
}

// The reference: the curl tool posting the same form to the stand-in again
// and again on one kept connection, which is what a keep-alive request costs
// a program that does nothing else.
bool RunCurl(const std::string& url, std::size_t steps)
{
    QStringList arguments { QStringLiteral("-s"), QStringLiteral("--data"),
        QString::fromStdString(ReferenceBody) };
    for (std::size_t step = 0; step < steps; ++step)
        arguments << QString::fromStdString(url + "/");
    QProcess curl;
    curl.setStandardOutputFile(QProcess::nullDevice());
    curl.start(QStringLiteral("curl"), arguments);
    return curl.waitForFinished(600000) && curl.exitCode() == 0;
}

// Ends the event loop when the button is enabled again, at the run's end.
class RunEndWatcher : public QObject {
public:
    RunEndWatcher(QPushButton* button, QEventLoop& loop) : loop_(loop)
    {
        button->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::EnabledChange && static_cast<QWidget*>(watched)->isEnabled())
            loop_.quit();
        return false;
    }

private:
    QEventLoop& loop_;
};

void RunWindow(const std::string& url, unsigned loops)
{
    TemporaryFolder programFolder;
    TMainForm form(programFolder.Path());
    form.achtp->URL = url;
    Child<QCheckBox>(form, "CheckBoxPause").setChecked(false);
    Child<TMemo>(form, "OriginalTextMemo").SetText(Sentence);
    for (int row = 0; row < Languages; ++row)
        Child<TCheckListBox>(form, "CheckListBoxLangs").SetChecked(row, true);
    TacNumberEdit& loopCount = Child<TacNumberEdit>(form, "acNumberEditLoops");
    loopCount.SetMaxValue(0);
    loopCount.SetValue(loops);
    form.show();
    QEventLoop loop;
    QPushButton* translate = &Child<QPushButton>(form, "ButtonTranslate");
    RunEndWatcher watcher(translate, loop);
    QMetaObject::invokeMethod(translate, &QPushButton::click, Qt::QueuedConnection);
    loop.exec();
}

QString LanguageList()
{
    QStringList codes;
    for (int row = 0; row < Languages; ++row)
        codes << QString::fromUtf8(LanguageCodes[static_cast<std::size_t>(row)]);
    return codes.join(QLatin1Char(','));
}

bool RunCommandLine(const std::string& url)
{
    QProcess program;
    program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../app/tornalo-cli"),
        { QStringLiteral("--url"), QString::fromStdString(url), QStringLiteral("--langs"),
            LanguageList(), QStringLiteral("--loops"), QString::number(Loops),
            QString::fromStdString(Sentence) });
    return program.waitForFinished(600000) && program.exitCode() == 0;
}

void Report(const char* name, const StepFigures& figures, const StepFigures& reference)
{
    std::printf("  %-18s %4zu steps  median %8.1f us  mean %8.1f us  median against curl's %6.2f\n",
        name, figures.steps, figures.median, figures.mean, figures.median / reference.median);
}

std::string LoadAverage()
{
    std::ifstream load("/proc/loadavg");
    std::string one, five, fifteen;
    load >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

} // namespace

int main(int argc, char** argv)
{
    platform::InternetLibraryScope internet;
    QApplication application(argc, argv);
    TemporaryFolder folder;
    QDir::setCurrent(platform::ToQString(folder.Path()));
    std::printf("load average before: %s, %u cores\n", LoadAverage().c_str(),
        std::thread::hardware_concurrency());

    TimedStandIn standIn;
    const std::size_t steps = std::size_t(Languages) * Loops * 2;
    RunWindow(standIn.URL(), 1);
    standIn.Take(steps / Loops);
    RunBareClient(standIn.Port(), steps);
    const StepFigures bare = Gaps(standIn.Take(steps));
    const bool curlRan = RunCurl(standIn.URL(), steps);
    const StepFigures curl = Gaps(standIn.Take(steps));
    RunWindow(standIn.URL(), Loops);
    const StepFigures window = Gaps(standIn.Take(steps));
    const bool commandLineRan = RunCommandLine(standIn.URL());
    const StepFigures commandLine = Gaps(standIn.Take(steps));

    std::printf("time per step outside the stand-in (its accept, read and reply taken out):\n");
    Report("bare socket client", bare, curl);
    Report("curl, kept", curl, curl);
    Report("window", window, curl);
    Report("tornalo-cli", commandLine, curl);

    RunWindow(standIn.URL(), 20);
    const std::vector<Handling> longRun = standIn.Take(std::size_t(Languages) * 20 * 2);
    const StepFigures first = Gaps(longRun, 1, 101);
    const StepFigures last = Gaps(longRun, longRun.size() - 100, longRun.size());
    std::printf("within a %zu-step window run: last 100 steps against the first 100: ratio %.2f "
                "(%.1f us -> %.1f us)\n",
        longRun.size(), last.median / first.median, first.median, last.median);
    std::printf("load average after: %s\n", LoadAverage().c_str());
    return curlRan && commandLineRan && window.steps == steps && commandLine.steps == steps ? 0 : 1;
}
