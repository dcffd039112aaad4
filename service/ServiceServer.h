// The HTTP side of the service: loopback only and this machine's programs
// only, the form at "/", the language list at "/languages", the preparing of
// routes at "/prepare", and an exit after a quiet spell.
#pragma once

#include "service/HttpConnections.h"
#include "service/TranslationService.h"
#include "service/WindowHolders.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace service {

struct ServerSettings {
    // 0 picks a free port.
    int port = 8787;
    // 0 keeps the service running until it is stopped.
    std::chrono::milliseconds idleExit { 0 };
    std::size_t maximumBody = 1024 * 1024;
    // How long a connection may wait for a request, and a request take to
    // arrive whole (HttpConnections).
    std::chrono::milliseconds requestDeadline { 5000 };
    // With the idle exit, how long the service stays after the last window
    // that held it has gone, unless tornalo-cli used it within the idle exit.
    std::chrono::milliseconds afterLastWindow { 30000 };
};

class ServiceServer {
public:
    // housekeeping runs every few seconds while the server runs.
    ServiceServer(TranslationService& service, ServerSettings settings,
        std::function<void()> housekeeping = {});
    ~ServiceServer();

    // Binds 127.0.0.1 and the port, which no other listener may share; false
    // when that is not possible, with BindError saying why.
    bool Bind();
    const std::string& BindError() const { return bindError_; }
    int Port() const { return port_; }
    // Serves until Stop or the idle exit, then closes the port.
    void Run();
    // The version its index page names, for a program to tell it from a
    // service of another version.
    void SetVersion(std::string version) { version_ = std::move(version); }
    // Safe from any thread and from a signal handler; Run returns soon after.
    void Stop();

private:
    std::optional<HttpReply> Screen(const HttpRequest& request) const;
    HttpReply Answer(const HttpRequest& request);
    ServiceReply Reply(const HttpRequest& request);
    ServiceReply Hold(const std::string& body);
    ServiceReply StopOnRequest();
    bool IdleLongEnough(std::chrono::steady_clock::time_point now) const;
    void WatchIdle();

    TranslationService& service_;
    const ServerSettings settings_;
    std::function<void()> housekeeping_;
    std::unique_ptr<HttpConnections> connections_;
    int listener_ = -1;
    int port_ = 0;
    std::string bindError_;
    std::atomic<int> busy_ = 0;
    std::atomic<bool> servedSinceTrim_ = false;
    std::atomic<std::chrono::steady_clock::rep> lastActivity_;
    // The last translation that came from no window: tornalo-cli's.
    std::atomic<std::chrono::steady_clock::rep> lastOtherUse_;
    WindowHolders windows_;
    std::string version_;
    std::atomic<bool> stopRequested_ = false;
    std::atomic<bool> finished_ = false;
};

} // namespace service
