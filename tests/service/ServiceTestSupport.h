// Helpers for the service tests: a service running in this process on a free
// loopback port, the program's own request body and reply extraction.
#pragma once

#include "run/TranslationReply.h"
#include "run/TranslationRequest.h"
#include "service/ServiceServer.h"
#include "tests/support/TemporaryFolder.h"

#include <httplib.h>

#include <fstream>
#include <thread>

namespace service_test {

class NoDebugLog : public TDebugLog {
public:
    void Append(const std::string&) override { }
};

struct Extraction {
    std::string text;
    std::string statusMessage;
};

// Reads a reply page the way the window program does: from its reply file.
inline Extraction ExtractFromPage(const std::string& page)
{
    TemporaryFolder folder;
    const std::string file = folder.File("translator_replypage.htm");
    std::ofstream(file, std::ios::binary) << page;
    Extraction extraction;
    NoDebugLog log;
    extraction.text = ExtractTranslation(file, extraction.statusMessage, log);
    return extraction;
}

// What the page's element holds that starts with opening and ends at the
// first closing after it; "(none)" when there is no such element.
inline std::string ElementText(
    const std::string& page, const std::string& opening, const std::string& closing)
{
    const std::size_t start = page.find(opening);
    const std::size_t end = start == std::string::npos ? start : page.find(closing, start);
    if (end == std::string::npos)
        return "(none)";
    return page.substr(start + opening.size(), end - start - opening.size());
}

// The route a result page tells: its engine, a space and the languages via.
inline std::string RouteOfPage(const std::string& page)
{
    return ElementText(page, "<meta name=\"tornalo-engine\" content=\"", "\">") + " "
        + ElementText(page, "<meta name=\"tornalo-via\" content=\"", "\">");
}

inline std::string ReasonOfPage(const std::string& page)
{
    return ElementText(page, "<p id=\"tornalo-reason\">", "</p>");
}

// A service on 127.0.0.1 and a free port, served on its own thread.
class RunningService {
public:
    explicit RunningService(service::TranslationService& translation,
        std::chrono::milliseconds idleExit = std::chrono::milliseconds(0))
        : server_(translation, service::ServerSettings { 0, idleExit, 1024 * 1024 })
    {
        if (server_.Bind())
            thread_ = std::thread([this] { server_.Run(); });
    }
    ~RunningService()
    {
        server_.Stop();
        if (thread_.joinable())
            thread_.join();
    }

    int Port() const { return server_.Port(); }
    httplib::Client Client() const
    {
        httplib::Client client("127.0.0.1", Port());
        client.set_connection_timeout(std::chrono::seconds(2));
        client.set_read_timeout(std::chrono::seconds(30));
        return client;
    }
    // Posts the body the window program sends for one step.
    httplib::Result Post(
        const std::string& from, const std::string& to, const std::string& text) const
    {
        return Client().Post("/", RequestBody(from, to, text), "application/x-www-form-urlencoded");
    }

private:
    service::ServiceServer server_;
    std::thread thread_;
};

} // namespace service_test
