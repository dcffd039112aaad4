// The real program under a real window manager (Xvfb and openbox), whose
// frame is known only after the window is shown: closing and opening the
// window again gives the same frame and client size every time. Skipped with
// a message where the two are not installed (scripts/setup installs them).
#include "tests/support/TemporaryFolder.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

struct Sizes {
    QRect client; // on the screen, as the X server has it
    QSize frame; // as the settings file keeps it
};

QString Missing()
{
    QStringList missing;
    for (const char* tool : { "Xvfb", "openbox", "xwininfo" })
        if (QStandardPaths::findExecutable(QString::fromUtf8(tool)).isEmpty())
            missing << QString::fromUtf8(tool);
    return missing.join(QStringLiteral(", "));
}

class VirtualDesktop {
public:
    explicit VirtualDesktop(const char* screen = "1280x1024x24", double scale = 1)
    {
        server.start(QStringLiteral("Xvfb"),
            { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                QStringLiteral("0"), QString::fromUtf8(screen) });
        if (!QTest::qWaitFor([&] { return server.canReadLine(); }, 10000))
            return;
        display = QStringLiteral(":") + QString::fromUtf8(server.readLine().trimmed());
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
        manager.setProcessEnvironment(environment);
        manager.start(QStringLiteral("openbox"), {});
        managed = QTest::qWaitFor(
            [&] { return Tree().contains(QStringLiteral("\"Openbox\"")); }, 10000);
    }
    ~VirtualDesktop()
    {
        for (QProcess* process : { &manager, &server }) {
            process->terminate();
            process->waitForFinished(5000);
        }
    }

    QString Tree() const
    {
        QProcess info;
        info.setProcessEnvironment(environment);
        info.start(
            QStringLiteral("xwininfo"), { QStringLiteral("-root"), QStringLiteral("-tree") });
        info.waitForFinished(5000);
        return QString::fromUtf8(info.readAllStandardOutput());
    }

    // The client rectangle of the program's window on the screen, once it is
    // shown and framed.
    QRect WindowClient() const
    {
        static const QRegularExpression line(
            QStringLiteral("\"Tornalo v[^\"]*\": \\([^)]*\\)\\s+"
                           "(\\d+)x(\\d+)\\+(\\d+)\\+(\\d+)\\s+\\+(-?\\d+)\\+(-?\\d+)"));
        const QRegularExpressionMatch match = line.match(Tree());
        if (!match.hasMatch() || match.captured(4).toInt() == 0)
            return {};
        return { match.captured(5).toInt(), match.captured(6).toInt(), match.captured(1).toInt(),
            match.captured(2).toInt() };
    }

    QProcess server;
    QProcess manager;
    QString display;
    QProcessEnvironment environment;
    bool managed = false;
};

std::string Key(const std::string& file, const std::string& name)
{
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(name + "=", 0) == 0)
            return line.substr(name.size() + 1, line.find('\r') - name.size() - 1);
    return {};
}

// Opens the program, waits until its window manager has framed it and it
// has taken its size, and ends it with a terminate signal as a logout would.
Sizes OpenAndClose(const VirtualDesktop& desktop, const std::string& program)
{
    QProcess window;
    window.setProcessEnvironment(desktop.environment);
    window.start(QString::fromStdString(program), {});
    QRect client;
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return (client = desktop.WindowClient()).isValid(); }, 20000));
    QTest::qWait(2500);
    client = desktop.WindowClient();
    window.terminate();
    EXPECT_TRUE(window.waitForFinished(10000));
    EXPECT_EQ(window.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(window.exitCode(), 0);
    const std::string settings = std::filesystem::path(program).parent_path() / "Tornalo.ini";
    return { client,
        { std::atoi(Key(settings, "Width").c_str()), std::atoi(Key(settings, "Height").c_str()) } };
}

} // namespace

TEST(WindowManagerPlacement, SizeStaysTheSameOverThreeCloseAndReopenCycles)
{
    if (const QString missing = Missing(); !missing.isEmpty())
        GTEST_SKIP() << "Needs a window manager on a virtual display; not installed: "
                     << missing.toStdString() << " (scripts/setup installs them)";
    VirtualDesktop desktop;
    ASSERT_TRUE(desktop.managed) << "openbox did not come up on " << desktop.display.toStdString();
    TemporaryFolder folder;
    const std::string program = folder.File("tornalo");
    std::filesystem::copy_file(TORNALO_PROGRAM, program);
    const Sizes first = OpenAndClose(desktop, program);
    ASSERT_TRUE(first.client.isValid());
    EXPECT_GT(first.frame.height(), first.client.height()) << "the window manager drew no frame";
    for (int cycle = 1; cycle <= 3; ++cycle) {
        const Sizes again = OpenAndClose(desktop, program);
        EXPECT_EQ(again.client.size(), first.client.size()) << "cycle " << cycle;
        EXPECT_EQ(again.frame, first.frame) << "cycle " << cycle;
    }
}

// At 1.5 times the scale on an 800x600 screen the window's smallest size is
// taller than the screen: it opens with its title bar and menu on the screen,
// not centred with its top above it.
TEST(WindowManagerPlacement, AWindowTallerThanTheScreenOpensWithItsTitleBarOnIt)
{
    if (const QString missing = Missing(); !missing.isEmpty())
        GTEST_SKIP() << "Needs a window manager on a virtual display; not installed: "
                     << missing.toStdString() << " (scripts/setup installs them)";
    VirtualDesktop desktop("800x600x24", 1.5);
    ASSERT_TRUE(desktop.managed) << "openbox did not come up on " << desktop.display.toStdString();
    TemporaryFolder folder;
    const std::string program = folder.File("tornalo");
    std::filesystem::copy_file(TORNALO_PROGRAM, program);
    const QRect client = OpenAndClose(desktop, program).client;
    EXPECT_GE(client.left(), 0);
    EXPECT_GT(client.top(), 0) << "the title bar is above the screen";
}
