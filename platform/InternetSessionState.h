// What a session shares with its requests: the settings, the notification
// callback, the cookie and name cache, and one driver per certificate policy
// (connections are only reused between requests that check certificates
// alike). Only the internet client's own sources include this.
#pragma once

#include "platform/InternetClient.h"

#include <curl/curl.h>
#include <map>

namespace platform {

struct InternetSession::Private {
    explicit Private(InternetSessionSettings settings);
    ~Private();

    CURLM* MultiFor(int certificatePolicy);
    bool Interrupted() const;
    // Silent once interrupted: whoever abandoned the transfer expects no call.
    void Notify(InternetStatus status, const std::string& information = {}) const;

    InternetSessionSettings settings;
    InternetStatusCallback callback;
    InternetFailure failure;
    CURLSH* share = nullptr;
    std::map<int, CURLM*> multis;
};

} // namespace platform
