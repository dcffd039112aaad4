// tornalo-cli against the real translation service of the build: Spanish
// and French out and back, as a user would run it.
#include "tests/support/RealService.h"
#include "tests/support/TemporaryFolder.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

const char* const InputText = "The old man walks his dog in the park every morning.\n"
                              "My brother reads a good book.\n";

} // namespace

TEST(RealServiceCommandLine, SpanishAndFrenchOutAndBackGiveATranslatedText)
{
    const std::uint16_t port = FreePort();
    ServiceProcess service;
    ASSERT_TRUE(service.StartOn(QStringLiteral(SERVICE_PROGRAM), port)) << SERVICE_PROGRAM;
    ExpectOfflineTargets(port, { "es", "fr" });

    TemporaryFolder folder;
    QProcess cli;
    cli.setWorkingDirectory(QString::fromStdString(folder.Path()));
    cli.start(QStringLiteral(CLI_PROGRAM),
        { QStringLiteral("--url"), QStringLiteral("http://127.0.0.1:%1").arg(port),
            QStringLiteral("--langs"), QStringLiteral("spanish,FR"), QStringLiteral("--json") });
    ASSERT_TRUE(cli.waitForStarted(5000));
    cli.write(InputText);
    cli.closeWriteChannel();
    ASSERT_TRUE(cli.waitForFinished(45000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();

    const QJsonObject json = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    EXPECT_EQ(json[QStringLiteral("route")].toString(), QStringLiteral("French->Spanish"));
    const QJsonArray steps = json[QStringLiteral("steps")].toArray();
    QStringList hops;
    for (const QJsonValue step : steps)
        hops << step[QStringLiteral("from")].toString() + QStringLiteral(">")
                + step[QStringLiteral("to")].toString();
    ASSERT_EQ(hops.join(QStringLiteral(" ")), QStringLiteral("en>fr fr>en en>es es>en"));
    const QString spanish = steps[2][QStringLiteral("text")].toString();
    EXPECT_FALSE(spanish.contains(QStringLiteral("The old man"))) << spanish.toStdString();
    const QString result
        = json[QStringLiteral("outcome")][QStringLiteral("text")].toString().trimmed();
    const QStringList lines = result.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2) << result.toStdString();
    for (const QString& line : lines) {
        EXPECT_FALSE(line.trimmed().isEmpty());
        EXPECT_FALSE(line.contains(QRegularExpression(QStringLiteral("[*#@<>]"))))
            << line.toStdString();
    }
}
