// A new user's first run through fresh pipelines: tornalo-cli, which has its
// service prepare the whole plan before the first hop, against the same
// fourteen hops sent one by one to another fresh service; and the window's
// first run pressed ten seconds after it opened, against the same run warm.
// Figures are ratios taken in the same run; each is the median of three.
#include "app/CheckListBox.h"
#include "app/MainFormUnit.h"
#include "app/Memo.h"
#include "app/StatusBar.h"
#include "run/LanguageTable.h"
#include "run/ServiceStarter.h"
#include "run/TranslationReply.h"
#include "run/TranslationRequest.h"
#include "tests/support/Child.h"
#include "tests/support/TemporaryFolder.h"
#include "transfer/acHTTP.h"

#include <httplib.h>

#include <QApplication>
#include <QCheckBox>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <unistd.h>

using Clock = std::chrono::steady_clock;

namespace {

const std::vector<std::string> CommandLineLanguages = { "es", "fr", "it", "pt", "ca", "gl", "ro" };
const std::vector<std::string> WindowLanguages
    = { "Spanish", "French", "Italian", "Portuguese", "Catalan" };
const std::string Text = "The old man walks to the market every morning.";
constexpr int Repeats = 3;
constexpr std::uint16_t DefaultPort = 8787;

class NoDebugLog : public TDebugLog {
public:
    void Append(const std::string&) override { }
};

double Seconds(Clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string ProgramFolder()
{
    return QCoreApplication::applicationDirPath().toStdString() + "/../app/";
}

std::uint16_t FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool Listening(std::uint16_t port)
{
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(0, 200000);
    return static_cast<bool>(client.Get("/"));
}

// The service the program started is asked to go, as a program of another
// version would ask it.
void StopServiceOn(std::uint16_t port)
{
    httplib::Client client("127.0.0.1", port);
    client.Post("/stop", "", "application/x-www-form-urlencoded");
    for (int wait = 0; wait < 100 && Listening(port); ++wait)
        QTest::qWait(50);
}

// A first run after the machine started finds the dictionaries on disk, not
// in memory: the system's file cache is emptied before each cold run where
// the benchmark may (as root), and said so.
bool DropFileCaches()
{
    sync();
    std::FILE* control = std::fopen("/proc/sys/vm/drop_caches", "w");
    if (!control)
        return false;
    const bool dropped = std::fputs("3\n", control) >= 0;
    return std::fclose(control) == 0 && dropped;
}

QProcessEnvironment FreshCache(const TemporaryFolder& cache)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), QString::fromStdString(cache.Path()));
    return environment;
}

// tornalo-cli on the default address, where it starts its own service.
double CommandLineRun()
{
    TemporaryFolder folder;
    QProcess cli;
    cli.setProcessEnvironment(FreshCache(folder));
    cli.setWorkingDirectory(QString::fromStdString(folder.Path()));
    QStringList languages;
    for (const std::string& code : CommandLineLanguages)
        languages << QString::fromStdString(code);
    DropFileCaches();
    const auto start = Clock::now();
    cli.start(QString::fromStdString(ProgramFolder() + "tornalo-cli"),
        { QStringLiteral("--langs"), languages.join(QLatin1Char(',')),
            QString::fromStdString(Text) });
    cli.waitForFinished(300000);
    const double seconds = Seconds(Clock::now() - start);
    if (cli.exitCode() != 0)
        std::cerr << "tornalo-cli failed: " << cli.readAllStandardError().toStdString();
    StopServiceOn(DefaultPort);
    return seconds;
}

// The same hops, one by one, to a service started the same way.
double HopByHop()
{
    TemporaryFolder folder;
    const std::uint16_t port = FreePort();
    QProcess service;
    service.setProcessEnvironment(FreshCache(folder));
    DropFileCaches();
    const auto start = Clock::now();
    service.start(QString::fromStdString(ProgramFolder() + "tornalo-service"),
        { QStringLiteral("--port"), QString::number(port) });
    while (!Listening(port))
        QTest::qWait(20);
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(300, 0);
    std::string text = Text;
    for (const std::string& code : CommandLineLanguages) {
        for (const auto& [from, to] : { std::pair { std::string("en"), code }, { code, "en" } }) {
            const auto reply = client.Post(
                "/", RequestBody(from, to, text), "application/x-www-form-urlencoded");
            std::string status;
            NoDebugLog log;
            if (reply)
                text = ExtractTranslationFromPage(reply->body, status, log);
        }
    }
    const double seconds = Seconds(Clock::now() - start);
    service.terminate();
    service.waitForFinished(5000);
    return seconds;
}

bool Idle(const TMainForm& form)
{
    return Child<QPushButton>(form, "ButtonTranslate").isEnabled()
        && !Child<QPushButton>(form, "ButtonStop").isEnabled();
}

double TimedRun(TMainForm& form)
{
    const auto start = Clock::now();
    QTest::mouseClick(&Child<QPushButton>(form, "ButtonTranslate"), Qt::LeftButton);
    if (!QTest::qWaitFor([&] { return Idle(form); }, 300000))
        std::cerr << "window run: did not end\n";
    return Seconds(Clock::now() - start);
}

// The window's first run, pressed ten seconds after it opened, and the same
// run again.
std::pair<double, double> WindowRuns()
{
    TemporaryFolder folder;
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(folder.Path()));
    const std::uint16_t port = FreePort();
    const std::string url = "http://localhost:" + std::to_string(port);
    DropFileCaches();
    TMainForm form(folder.Path());
    delete form.serviceStarter;
    form.serviceStarter = new ServiceStarter(ProgramFolder(), &form, url);
    form.serviceStarter->WaitLimit = std::chrono::seconds(30);
    form.achtp->URL = url;
    Child<QCheckBox>(form, "CheckBoxPause").setChecked(false);
    Child<TMemo>(form, "OriginalTextMemo").SetText(Text);
    form.show();
    form.WatchServiceLanguages();
    for (const std::string& name : WindowLanguages)
        Child<TCheckListBox>(form, "CheckListBoxLangs").SetChecked(FindLanguageRow(name), true);
    QTest::qWait(10000);
    const double first = TimedRun(form);
    const double warm = TimedRun(form);
    const std::string status = Child<TStatusBar>(form, "StatusBar").Text();
    if (status != "Ready.")
        std::cerr << "window run: " << status << "\n";
    StopServiceOn(port);
    return { first, warm };
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (Listening(DefaultPort)) {
        std::cout << "FirstRunBench: a service already answers on port 8787; stop it first\n";
        return 1;
    }
    std::cout << (DropFileCaches() ? "the file cache is emptied before each cold run\n"
                                   : "the file cache cannot be emptied here: cold runs find the "
                                     "dictionaries in memory\n");
    std::vector<double> cli, reference, first, warm;
    for (int repeat = 0; repeat < Repeats; ++repeat) {
        cli.push_back(CommandLineRun());
        reference.push_back(HopByHop());
        const auto [windowFirst, windowWarm] = WindowRuns();
        first.push_back(windowFirst);
        warm.push_back(windowWarm);
    }
    std::printf("cold tornalo-cli run through %zu languages:   %.2f s (median of %d)\n",
        CommandLineLanguages.size(), Median(cli), Repeats);
    std::printf("the same %zu hops one by one, fresh service: %.2f s\n",
        CommandLineLanguages.size() * 2, Median(reference));
    std::printf("ratio cold run / hop by hop:                %.2f  (goal at most 0.65)\n",
        Median(cli) / Median(reference));
    std::printf("window's first run, 10 s after opening:      %.2f s\n", Median(first));
    std::printf("the same run warm:                           %.2f s\n", Median(warm));
    std::printf("ratio first / warm:                          %.2f  (goal at most 1.5)\n",
        Median(first) / Median(warm));
    return 0;
}
