// The HTTP side of the service: loopback only, the form at "/", the language
// list at "/languages", and an exit after a quiet spell.
#pragma once

#include "service/TranslationService.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace httplib {
class Server;
struct Response;
} // namespace httplib

namespace service {

struct ServerSettings {
    // 0 picks a free port.
    int port = 8787;
    // 0 keeps the service running until it is stopped.
    std::chrono::milliseconds idleExit { 0 };
    std::size_t maximumBody = 1024 * 1024;
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
    // Serves until Stop or the idle exit.
    void Run();
    // Safe from any thread and from a signal handler; Run returns soon after.
    void Stop();

private:
    void Route();
    void WatchIdle();
    void Serve(const std::function<ServiceReply()>& answer, httplib::Response& response);

    TranslationService& service_;
    const ServerSettings settings_;
    std::function<void()> housekeeping_;
    std::unique_ptr<httplib::Server> server_;
    int port_ = 0;
    std::string bindError_;
    std::atomic<int> busy_ = 0;
    std::atomic<std::chrono::steady_clock::rep> lastActivity_;
    std::atomic<bool> stopRequested_ = false;
    std::atomic<bool> finished_ = false;
};

} // namespace service
