// Starts the local translation service from the program's own folder when a
// run is about to talk to it and no service of this user answers, then
// waits, without holding up the window, until it answers. Each user has a
// service of their own: one that another user's program holds the address
// for is never used; this user's then listens on a port of its own, which
// it records where this user's programs look first. A service of another
// version is asked to stop and replaced. A service started this way ends by
// itself after a while without requests; what it prints is kept aside and
// shown only when it does not come up.
#pragma once

#include "run/ServiceAddress.h"

#include <QObject>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QTimer;
class ServiceQuery;
struct ServiceAnswer;

namespace platform {
class BackgroundProgram;
}

// Whether url names the service of defaultUrl: the same scheme and port on a
// loopback host name, with no path beyond "/".
bool IsDefaultServiceAddress(const std::string& url, const std::string& defaultUrl = ServiceURL);

// Whether url names a host of this machine by a loopback name.
bool IsLoopbackAddress(const std::string& url);

// What came of the wait: requests may go out, or the service that was
// started did not come up.
struct ServiceReadiness {
    bool failed = false;
    // When failed: the command that was started and what it printed, or why
    // it could not be started.
    std::string report;
    // Whether the address is the one the starter looks after, the service of
    // this program on this machine.
    bool ownService = false;
    // For ownService: where this user's service answers, which is the
    // address asked for unless another user holds it.
    std::string url;
};

// The file in which a service records the port it listens on for the
// programs of its user that look after defaultUrl: in the user's runtime
// folder ($XDG_RUNTIME_DIR/tornalo/), else in the cache folder.
std::string ServicePortFile(const std::string& defaultUrl = ServiceURL);

class ServiceStarter : public QObject {
public:
    using ReadyCallback = std::function<void(const ServiceReadiness&)>;

    // programDirectory ends in "/"; defaultUrl is the one address this
    // starter looks after.
    ServiceStarter(
        std::string programDirectory, QObject* parent, std::string defaultUrl = ServiceURL);
    ~ServiceStarter() override;

    // Calls ready once requests to url may go out, or once it is clear that
    // they cannot: at once when url is not the default address; otherwise,
    // from the event loop, when something answers there, or when the service
    // it started answers, ends, or has not answered within WaitLimit.
    // starting is called when it starts the service. Returns whether it
    // waits. Nothing is called once the starter is destroyed.
    bool Prepare(const std::string& url, ReadyCallback ready, std::function<void()> starting = {});

    // Whether url is the address this starter brings a service up at.
    bool LooksAfter(const std::string& url) const;
    // Where requests for url go: this user's service for the address it
    // looks after, once found; url itself otherwise.
    std::string ResolvedUrl(const std::string& url) const;

    std::chrono::milliseconds WaitLimit { 5000 };

private:
    enum class Phase { Idle, Asking, Stopping, Waiting };

    void AskNext();
    void Ask(std::uint16_t candidate, const ServiceAnswer& answer);
    void StopOtherVersion(std::uint16_t candidate);
    void Start(std::uint16_t listenPort);
    void Poll();
    void Check(const ServiceAnswer& answer);
    std::uint16_t StartedPort() const;
    std::string Report(const std::string& why) const;
    void Finish(const ServiceReadiness& readiness);

    struct Waiter {
        ReadyCallback ready;
        std::function<void()> starting;
    };

    std::string programDirectory;
    std::string defaultUrl;
    std::string portFile;
    std::uint16_t port = 0;
    // Ports still to ask, first the one recorded, then the default one.
    std::vector<std::uint16_t> candidates;
    std::uint16_t startPort = 0;
    std::uint16_t foundPort = 0;
    Phase phase = Phase::Idle;
    ServiceQuery* query;
    QTimer* pollTimer;
    std::chrono::steady_clock::time_point waitEnd;
    std::unique_ptr<platform::BackgroundProgram> program;
    std::string command;
    std::vector<Waiter> waiting;
};
