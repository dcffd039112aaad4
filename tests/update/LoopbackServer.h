// A web server on 127.0.0.1, on a free port and its own thread, that serves
// the files a test gives it and notes every path asked for. Anything else is
// answered with 404.
#pragma once

#include <chrono>
#include <httplib.h>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class LoopbackServer {
public:
    LoopbackServer()
    {
        server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            Answer(request, response);
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        if (port_ <= 0)
            throw std::runtime_error("cannot listen on 127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }

    ~LoopbackServer()
    {
        // Stopping before the accept loop runs would leave the loop running.
        for (int waited = 0; !server_.is_running() && waited < 5000; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        server_.stop();
        thread_.join();
    }

    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::string Address(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

    void Serve(const std::string& path, std::string body)
    {
        const std::lock_guard lock(mutex_);
        files_[path] = std::move(body);
    }

    void Redirect(const std::string& path, const std::string& target)
    {
        const std::lock_guard lock(mutex_);
        redirects_[path] = target;
    }

    // Sends the first part of body, then nothing for pause, then the rest.
    void ServeWithPause(const std::string& path, std::string body, std::size_t firstPart,
        std::chrono::milliseconds pause)
    {
        const std::lock_guard lock(mutex_);
        paused_[path] = { std::move(body), firstPart, pause };
    }

    std::vector<std::string> Requests() const
    {
        const std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    struct PausedFile {
        std::string body;
        std::size_t firstPart;
        std::chrono::milliseconds pause;
    };

    void Answer(const httplib::Request& request, httplib::Response& response)
    {
        const std::lock_guard lock(mutex_);
        requests_.push_back(request.path);
        if (const auto file = files_.find(request.path); file != files_.end())
            response.set_content(file->second, "text/plain");
        else if (const auto target = redirects_.find(request.path); target != redirects_.end())
            response.set_redirect(target->second);
        else if (const auto paused = paused_.find(request.path); paused != paused_.end())
            AnswerWithPause(paused->second, response);
        else
            response.status = 404;
    }

    static void AnswerWithPause(const PausedFile& file, httplib::Response& response)
    {
        response.set_content_provider(file.body.size(), "text/plain",
            [file](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                if (offset == 0) {
                    sink.write(file.body.data(), file.firstPart);
                    return true;
                }
                std::this_thread::sleep_for(file.pause);
                sink.write(file.body.data() + offset, file.body.size() - offset);
                return true;
            });
    }

    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::map<std::string, std::string> files_;
    std::map<std::string, std::string> redirects_;
    std::map<std::string, PausedFile> paused_;
    std::vector<std::string> requests_;
};
