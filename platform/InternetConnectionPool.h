// The connections kept open between requests, for the whole process, and the
// curl handles that requests borrow instead of setting up their own.
//
// A kept connection lives in the curl multi handle that opened it, so the
// pool keeps multi handles: one request borrows one at a time, under a key
// that names every connection option curl does not compare itself (how
// certificates are checked, which proxy with which credentials), and gives it
// back when it is done; the next request under the same key then finds the
// connection the last one left open. A handle is lent to one request, and so
// to one thread, at a time: curl is never asked to share anything between
// threads. Only the internet client's own sources include this.
#pragma once

#include "platform/InternetSessionState.h"

#include <curl/curl.h>
#include <memory>
#include <string>

namespace platform {

class KeptConnections {
public:
    explicit KeptConnections(std::string key);
    ~KeptConnections();
    KeptConnections(const KeptConnections&) = delete;
    KeptConnections& operator=(const KeptConnections&) = delete;

    const std::string& Key() const { return key_; }
    CURLM* Multi() const { return multi_; }

    // The session that hears of its connections closing while the handle is
    // lent to one of its requests; none while the handle waits in the pool.
    void SetListener(const InternetSession::Private* session) { listener_ = session; }
    const InternetSession::Private* Listener() const { return listener_; }

private:
    std::string key_;
    CURLM* multi_;
    const InternetSession::Private* listener_ = nullptr;
};

struct KeptConnectionsReturner {
    void operator()(KeptConnections* connections) const;
};
using BorrowedConnections = std::unique_ptr<KeptConnections, KeptConnectionsReturner>;

struct EasyHandleReturner {
    void operator()(CURL* easy) const;
};
using BorrowedEasyHandle = std::unique_ptr<CURL, EasyHandleReturner>;

// A multi handle that no other request holds, with the connections kept under
// this key (none for a key not seen before). Giving it back keeps it for the
// next request; the pool holds a few and closes the least recently used.
BorrowedConnections BorrowConnections(const std::string& key);

// An easy handle with curl's defaults; given back, it is reset for the next
// request.
BorrowedEasyHandle BorrowEasyHandle();

// Closes every kept connection and handle. Called once, before curl's own
// clean-up at the end of the process; handles given back later are closed
// at once.
void CloseKeptConnections();

} // namespace platform
