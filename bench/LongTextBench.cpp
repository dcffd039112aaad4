// A 50 KB text through the window and through tornalo-cli, the same plan
// against the same stand-in service on loopback, the pause off. While the
// window runs, a timer due every millisecond notes how late it comes: the
// longest lateness is the longest time the UI thread was busy without
// handling events, so the longest a click would wait. The whole run's time
// is compared with tornalo-cli's for the same plan, in the same run.
#include "app/CheckListBox.h"
#include "app/JourneyView.h"
#include "app/MainFormUnit.h"
#include "app/Memo.h"
#include "platform/InternetLibrary.h"
#include "platform/QtText.h"
#include "transfer/acHTTP.h"

#include "tests/support/Child.h"
#include "tests/support/StandInService.h"
#include "tests/support/TemporaryFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

const char* const Words[] = { "the", "old", "man", "walks", "his", "dog", "in", "park", "every",
    "morning", "and", "evening", "while", "birds", "sing", "above", "green", "trees", "near",
    "river", "where", "children", "play", "with", "a", "red", "ball", "under", "warm", "sun" };

// Lines of about 80 characters, sentences of plain words, to about 50 KB.
std::string LongText()
{
    std::string text;
    unsigned state = 7;
    std::string line;
    while (text.size() < 50 * 1024) {
        state = state * 1103515245 + 12345;
        line += Words[(state >> 16) % std::size(Words)];
        line += (state >> 8) % 9 == 0 ? ". " : " ";
        if (line.size() > 80) {
            text += line + "\r\n";
            line.clear();
        }
    }
    return text;
}

// Every seventh word of a line changed by the target language, so that the
// Journey has words to mark, and the lines kept.
ServiceReply ChangingReply(const ServiceRequest& request, int)
{
    const std::string& text = request.fields.at("text");
    const std::string& target = request.fields.at("tl");
    std::string reply;
    std::size_t word = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r')
            continue;
        if (text[i] == '\n') {
            reply += "<br>";
            continue;
        }
        if (text[i] == ' ' && ++word % 7 == 0)
            reply += " " + target;
        reply += text[i];
    }
    return { 200, standin::ReplyPage({ reply }) };
}

struct WindowFigures {
    double seconds = 0;
    double longestBusyMs = 0; // during the run
    double longestAfterMs = 0; // while the Journey is drawn after the run
};

WindowFigures RunWindow(const std::string& url, const std::string& text)
{
    TemporaryFolder programFolder;
    TMainForm form(programFolder.Path());
    form.achtp->URL = url;
    Child<QCheckBox>(form, "CheckBoxPause").setChecked(false);
    Child<TMemo>(form, "OriginalTextMemo").SetText(text);
    for (int row : { 13, 15, 35 })
        Child<TCheckListBox>(form, "CheckListBoxLangs").SetChecked(row, true);
    form.show();
    QPushButton& translate = Child<QPushButton>(form, "ButtonTranslate");
    QEventLoop loop;
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    beat.setInterval(1);
    QElapsedTimer sinceBeat;
    double longest = 0;
    QObject::connect(&beat, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceBeat.nsecsElapsed() / 1e6 - 1);
        sinceBeat.start();
    });
    QObject::connect(&translate, &QPushButton::clicked, [&] {
        sinceBeat.start();
        beat.start();
    });
    QElapsedTimer whole;
    QTimer ended;
    ended.setInterval(1);
    QObject::connect(&ended, &QTimer::timeout, [&] {
        if (translate.isEnabled() && whole.isValid() && whole.elapsed() > 0)
            loop.quit();
    });
    QTimer::singleShot(0, [&] {
        whole.start();
        translate.click();
        ended.start();
    });
    loop.exec();
    const double seconds = whole.nsecsElapsed() / 1e9;
    const double duringRun = std::exchange(longest, 0.0);
    // The Journey tab is shown now, as a user would look at it, and drawn
    // meanwhile.
    Child<QTabWidget>(form, "PageControl1")
        .setCurrentWidget(&Child<TJourneyView>(form, "JourneyView"));
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    loop.exec();
    return { seconds, duringRun, longest };
}

double RunCommandLine(const std::string& url, const std::string& text)
{
    QProcess program;
    QElapsedTimer whole;
    whole.start();
    program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../app/tornalo-cli"),
        { QStringLiteral("--url"), QString::fromStdString(url), QStringLiteral("--langs"),
            QStringLiteral("fr,de,es"), QStringLiteral("--show-original") });
    program.write(text.data(), static_cast<qint64>(text.size()));
    program.closeWriteChannel();
    program.waitForFinished(600000);
    return program.exitCode() == 0 ? whole.nsecsElapsed() / 1e9 : -1;
}

} // namespace

int main(int argc, char** argv)
{
    platform::InternetLibraryScope internet;
    QApplication application(argc, argv);
    TemporaryFolder folder;
    QDir::setCurrent(platform::ToQString(folder.Path()));
    StandInService service;
    service.SetResponder(ChangingReply);
    const std::string text = LongText();
    std::printf("a %zu-byte text of %zu lines, out and back through French, German and Spanish\n",
        text.size(), static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
    const double commandLine = RunCommandLine(service.URL(), text);
    const WindowFigures window = RunWindow(service.URL(), text);
    const double commandLineAgain = RunCommandLine(service.URL(), text);
    const double reference = std::min(commandLine, commandLineAgain);
    std::printf("  tornalo-cli   whole run %7.3f s (best of two)\n", reference);
    std::printf("  window        whole run %7.3f s   against tornalo-cli's %5.2f\n", window.seconds,
        window.seconds / reference);
    std::printf("  window        longest time the UI thread was busy without handling events: "
                "%.1f ms (%.3f of tornalo-cli's whole run)\n",
        window.longestBusyMs, window.longestBusyMs / 1000 / reference);
    std::printf("  window        the same while the Journey tab is shown and drawn after the run: "
                "%.1f ms\n",
        window.longestAfterMs);
    return commandLine > 0 && commandLineAgain > 0 ? 0 : 1;
}
