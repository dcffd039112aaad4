// One question to the translation service (a GET, or a POST of a form), made on a thread of its own
// so that the thread that asks (the window's) never waits for it, however long a listener that does
// not answer holds the question. The answer comes back on the asking thread, from its event loop.
#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

enum class ServiceListener {
    Nobody, // the connection was refused
    Answering, // an HTTP answer came
    Other, // something took the connection but gave no HTTP answer in time
};

struct ServiceAnswer {
    ServiceListener listener = ServiceListener::Nobody;
    int status = 0;
    std::string body;
};

// Asks at once, blocking: within about a second and a half whatever the
// listener does, sooner once interrupt is set. "localhost" is asked at
// 127.0.0.1, where the service listens.
ServiceAnswer GetFromService(const std::string& host, std::uint16_t port, const std::string& target,
    const std::shared_ptr<std::atomic<bool>>& interrupt);
// The same for a POST of the form body.
ServiceAnswer PostToService(const std::string& host, std::uint16_t port, const std::string& target,
    const std::string& form, const std::shared_ptr<std::atomic<bool>>& interrupt);

class ServiceQuery : public QObject {
public:
    explicit ServiceQuery(QObject* parent = nullptr);
    // Abandons a question still out, waiting for its thread about a tenth of
    // a second at most; its answer is never delivered.
    ~ServiceQuery() override;

    // Asks for target at url's host and port; done is called later from the
    // event loop. Returns false, asking nothing, while an earlier question is
    // still out or when url cannot be read.
    bool Get(const std::string& url, const std::string& target,
        std::function<void(const ServiceAnswer&)> done);
    // The same, posting the form body.
    bool Post(const std::string& url, const std::string& target, const std::string& form,
        std::function<void(const ServiceAnswer&)> done);
    bool Busy() const { return worker.joinable(); }

private:
    using Question = std::function<ServiceAnswer(
        const std::string&, std::uint16_t, const std::shared_ptr<std::atomic<bool>>&)>;
    bool Ask(
        const std::string& url, Question question, std::function<void(const ServiceAnswer&)> done);

    std::thread worker;
    std::shared_ptr<std::atomic<bool>> interrupt;
};
