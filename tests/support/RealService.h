// The translation service of the build, started by a test on a free loopback
// port and asked what it can do. Its language pairs must be installed (the
// set-up script installs them).
#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

inline std::uint16_t FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// The body of GET target, or nothing when no answer came within a second.
inline std::optional<QByteArray> Get(std::uint16_t port, const char* target)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(1000))
        return std::nullopt;
    socket.write(QByteArray("GET ") + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(1000)) { }
    const QByteArray reply = socket.readAll();
    if (!reply.startsWith("HTTP/1.1 200") && !reply.startsWith("HTTP/1.0 200"))
        return std::nullopt;
    return reply.mid(reply.indexOf("\r\n\r\n") + 4);
}

inline bool WaitUntilAnswering(std::uint16_t port)
{
    return QTest::qWaitFor([port] { return Get(port, "/").has_value(); }, 10000);
}

// The codes the service's offline engine translates English into.
inline QStringList OfflineTargetsOfEnglish(std::uint16_t port)
{
    const auto body = Get(port, "/languages");
    if (!body)
        return {};
    const QJsonObject engines = QJsonDocument::fromJson(*body).object();
    QStringList codes;
    for (const QJsonValue code :
        engines[QStringLiteral("apertium")][QStringLiteral("en")].toArray())
        codes.append(code.toString());
    return codes;
}

// Fails the test, saying why, unless the service translates English into
// each of codes offline.
inline void ExpectOfflineTargets(std::uint16_t port, const std::vector<const char*>& codes)
{
    const QStringList targets = OfflineTargetsOfEnglish(port);
    for (const char* code : codes)
        EXPECT_TRUE(targets.contains(QString::fromUtf8(code)))
            << "the service cannot translate English to " << code
            << " offline: Apertium and its language pairs are missing (scripts/setup installs "
               "them)";
}

// A service process that the test ends, if it still runs, when it goes.
class ServiceProcess {
public:
    ServiceProcess() = default;
    ~ServiceProcess()
    {
        if (process) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    void Start(const QString& program, const QStringList& arguments)
    {
        process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(program, arguments);
    }

    // Starts program on port, idle for at most five minutes, and waits until
    // it answers.
    [[nodiscard]] bool StartOn(const QString& program, std::uint16_t port)
    {
        Start(program,
            { QStringLiteral("--port"), QString::number(port), QStringLiteral("--idle-exit"),
                QStringLiteral("300") });
        return process->waitForStarted(5000) && WaitUntilAnswering(port);
    }

    bool WaitForStarted() { return process->waitForStarted(5000); }

private:
    std::unique_ptr<QProcess> process;
};
