// Shared set-up for the HTTP request component's tests: a loopback server, a
// temporary folder, the component, and a log of every event it raised with
// the thread it ran on and the busy state at that moment.
#pragma once

#include "tests/support/TemporaryFolder.h"
#include "tests/support/TestHttpServer.h"
#include "transfer/acFileAttributes.h"
#include "transfer/acHTTP.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <sstream>

inline bool PumpEventsUntil(const std::function<bool()>& condition, int milliseconds = 8000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

inline std::string ReadFileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string StreamText(TStream* stream)
{
    if (!stream)
        return "null";
    const qint64 position = stream->pos();
    stream->seek(0);
    const std::string text = stream->readAll().toStdString();
    stream->seek(position);
    return "\"" + text + "\"";
}

// Bytes 0, 1, 2 ... 250, 0, 1 ... so that any slice shows where it came from.
inline std::string PatternBytes(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t index = 0; index < size; ++index)
        bytes[index] = static_cast<char>(index % 251);
    return bytes;
}

class HttpFixture : public testing::Test {
protected:
    struct Entry {
        std::string text;
        bool onMainThread;
        bool requestBusy;
        bool threadBusy;
    };

    void SetUp() override
    {
        http = std::make_unique<TacHTTP>();
        output = folder.File("reply.htm");
        http->OutputFileName = output;
    }

    void TearDown() override
    {
        http.reset();
        EXPECT_TRUE(PumpEventsUntil([] { return TacEventThread::LiveCount() == 0; }));
    }

    static bool OnMainThread()
    {
        return QThread::currentThread() == QCoreApplication::instance()->thread();
    }

    void Log(const std::string& text)
    {
        std::lock_guard lock(logMutex);
        log.push_back({ text, OnMainThread(), http->GetRequestBusy(), http->GetThreadBusy() });
    }

    // Every completion event, logged with its parameters.
    void LogCompletionEvents()
    {
        http->OnDone = [this](TObject* sender, const std::string& type, int size, TStream* stream) {
            EXPECT_EQ(sender, http.get());
            Log("Done(" + type + "," + std::to_string(size) + "," + StreamText(stream) + ")");
        };
        http->OnDoneInterrupted = [this](TObject*) { Log("DoneInterrupted"); };
        http->OnOutputFileError = [this](TObject*) { Log("OutputFileError"); };
        http->OnUploadCGITimeoutFailed = [this](TObject*) { Log("UploadCGITimeoutFailed"); };
        http->OnAnyError = [this](TObject*) { Log("AnyError"); };
        http->OnAborted = [this](TObject*) { Log("Aborted"); };
        http->OnConnLost
            = [this](TObject*, const std::string& type, int size, int read, TStream* stream) {
                  Log("ConnLost(" + type + "," + std::to_string(size) + "," + std::to_string(read)
                      + "," + std::to_string(stream ? stream->size() : -1) + ")");
              };
        http->OnHTTPError = [this](TObject*, int code, TStream* stream) {
            Log("HTTPError(" + std::to_string(code) + "," + StreamText(stream) + ")");
        };
        http->OnHostUnreachable = [this](TObject*) { Log("HostUnreachable"); };
        http->OnWaitTimeoutExpired = [this](TObject*, bool& terminate) {
            Log("WaitTimeoutExpired");
            terminate = terminateOnTimeout;
        };
    }

    std::vector<std::string> Texts()
    {
        std::lock_guard lock(logMutex);
        std::vector<std::string> texts;
        for (const Entry& entry : log)
            texts.push_back(entry.text);
        return texts;
    }

    std::vector<Entry> Entries()
    {
        std::lock_guard lock(logMutex);
        return log;
    }

    // Waits until the transfer has ended and no more events can follow.
    bool WaitUntilIdle()
    {
        return PumpEventsUntil(
            [this] { return !http->GetRequestBusy() && !http->GetThreadBusy(); });
    }

    // One request to its end; every event it raised.
    std::vector<std::string> RunToEnd()
    {
        EXPECT_TRUE(http->Read(false));
        EXPECT_TRUE(WaitUntilIdle());
        SettleBriefly();
        return Texts();
    }

    bool WaitForEvents(size_t count)
    {
        return PumpEventsUntil([this, count] { return Texts().size() >= count; });
    }

    // Pumps a little longer to show that nothing else arrives.
    void SettleBriefly()
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 150)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    TemporaryFolder folder;
    TestHttpServer server;
    std::unique_ptr<TacHTTP> http;
    std::string output;
    bool terminateOnTimeout = true;
    std::mutex logMutex;
    std::vector<Entry> log;
};
