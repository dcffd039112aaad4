// What a session shares with its requests: the settings, the notification
// callback and the cookies. The connections its requests open are kept for
// the whole process (see InternetConnectionPool). Only the internet client's
// own sources include this.
#pragma once

#include "platform/InternetClient.h"

#include <curl/curl.h>

namespace platform {

struct InternetSession::Private {
    explicit Private(InternetSessionSettings settings);
    ~Private();

    bool Interrupted() const;
    // Silent once interrupted: whoever abandoned the transfer expects no call.
    void Notify(InternetStatus status, const std::string& information = {}) const;

    InternetSessionSettings settings;
    InternetStatusCallback callback;
    InternetFailure failure;
    CURLSH* share = nullptr;
};

} // namespace platform
