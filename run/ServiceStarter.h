// Starts the local translation service from the program's own folder when a
// run is about to talk to it and nothing accepts connections at its address,
// then waits, without holding up the window, until the service answers. A
// service started this way ends by itself after a while without requests.
#pragma once

#include "run/ServiceAddress.h"

#include <QObject>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QTimer;

// Whether url names the service of defaultUrl: the same scheme and port on a
// loopback host name, with no path beyond "/".
bool IsDefaultServiceAddress(const std::string& url, const std::string& defaultUrl = ServiceURL);

class ServiceStarter : public QObject {
public:
    // programDirectory ends in "/"; defaultUrl is the one address this
    // starter looks after.
    ServiceStarter(
        std::string programDirectory, QObject* parent, std::string defaultUrl = ServiceURL);
    ~ServiceStarter() override;

    // Calls ready once requests to url may go out: at once when url is not
    // the default address, when something already accepts connections there
    // or when the service could not be started; otherwise once the started
    // service answers or WaitLimit has passed. Returns whether it waits, in
    // which case ready is called later from the event loop (never when the
    // starter is destroyed first).
    bool Prepare(const std::string& url, std::function<void()> ready);

    std::chrono::milliseconds WaitLimit { 5000 };

private:
    bool Start();
    void Poll();
    void Finish();

    std::string programDirectory;
    std::string defaultUrl;
    std::uint16_t port = 0;
    QTimer* pollTimer = nullptr;
    std::chrono::steady_clock::time_point waitEnd;
    std::vector<std::function<void()>> waiting;
};
