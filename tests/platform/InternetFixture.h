// Shared set-up for the internet client's tests: a session made on first use,
// the notifications it reported, and helpers to open, send and read requests.
#pragma once

#include "platform/InternetClient.h"
#include "tests/support/TestHttpServer.h"

#include <gtest/gtest.h>
#include <mutex>

// An interrupted call returns within about 100 ms; the allowance covers slow
// sanitizer builds on a busy machine while staying well below the seconds
// that the servers of these tests would otherwise keep a call waiting.
constexpr int PromptnessAllowance = 1000;

class InternetFixture : public testing::Test {
protected:
    using Note = std::pair<platform::InternetStatus, std::string>;

    platform::InternetSession& Session()
    {
        if (!session) {
            session = std::make_unique<platform::InternetSession>(sessionSettings);
            session->SetStatusCallback(
                [this](platform::InternetStatus status, const std::string& text) {
                    std::lock_guard lock(notesMutex);
                    notes.emplace_back(status, text);
                });
        }
        return *session;
    }

    platform::InternetConnection& Connection(std::uint16_t port)
    {
        connection = Session().Connect("127.0.0.1", port);
        return *connection;
    }

    std::unique_ptr<platform::InternetRequest> Open(
        TestHttpServer& server, const std::string& target, const std::string& verb = "GET")
    {
        requestSettings.Verb = verb;
        requestSettings.Target = target;
        return Connection(server.Port()).OpenRequest(requestSettings);
    }

    static std::string ReadAll(platform::InternetRequest& request, std::size_t block = 4096)
    {
        std::string body;
        std::string buffer(block, '\0');
        for (;;) {
            const std::int64_t count = request.Read(buffer.data(), block);
            if (count <= 0)
                return body;
            body.append(buffer.data(), std::size_t(count));
        }
    }

    std::vector<Note> Notes()
    {
        std::lock_guard lock(notesMutex);
        return notes;
    }

    std::vector<platform::InternetStatus> Statuses()
    {
        std::vector<platform::InternetStatus> statuses;
        for (const auto& note : Notes())
            statuses.push_back(note.first);
        return statuses;
    }

    platform::InternetSessionSettings sessionSettings = [] {
        platform::InternetSessionSettings settings;
        settings.Agent = "Tornalo-Test/1.0";
        return settings;
    }();
    platform::InternetRequestSettings requestSettings;
    // Before the session, which reports until it is gone.
    std::mutex notesMutex;
    std::vector<Note> notes;
    std::unique_ptr<platform::InternetSession> session;
    std::unique_ptr<platform::InternetConnection> connection;
};
