// The state behind one request: its curl handle, the reply headers as they
// come in, the body pulled block by block, and the loop that drives the
// session's curl multi handle until what the caller waits for is there.
#pragma once

#include "platform/InternetCertificates.h"
#include "platform/InternetConnectionPool.h"
#include "platform/InternetReceiveBuffer.h"
#include "platform/InternetReply.h"
#include "platform/InternetSessionState.h"

#include <chrono>
#include <functional>

namespace platform {

struct TransferTarget {
    std::string host;
    std::uint16_t port = 0;
    std::string userName;
    std::string password;
};

struct InternetRequest::Private {
    Private(
        InternetSession::Private& session, TransferTarget target, InternetRequestSettings settings);
    ~Private();
    Private(const Private&) = delete;
    Private& operator=(const Private&) = delete;

    bool Send(const std::string& headers, const std::string& body);
    bool BeginUpload(const std::string& headers, std::uint64_t totalLength);
    std::int64_t Write(const char* data, std::size_t size);
    bool EndUpload();
    std::int64_t Read(char* buffer, std::size_t size);
    std::int64_t ReadInPlace(const char*& data, std::size_t size);

    // Called by curl on the driving thread.
    std::size_t OnHeader(const char* data, std::size_t size);
    std::size_t OnBody(const char* data, std::size_t size);
    std::size_t OnUploadRead(char* buffer, std::size_t size);
    bool OnProgress(std::int64_t received, std::int64_t sent);
    void OnResolving();
    void OnSocket(const std::string& address);
    void OnConnected(const std::string& address);

    InternetSession::Private& session;
    TransferTarget target;
    InternetRequestSettings settings;
    InternetFailure failure;

    std::uint32_t connectTimeout = 0;
    std::uint32_t sendTimeout = 0;
    std::uint32_t receiveTimeout = 0;
    std::string userName;
    std::string password;
    std::string proxyUserName;
    std::string proxyPassword;
    bool ignoreUnknownAuthority = false;
    std::vector<std::string> extraHeaders;

    BorrowedEasyHandle easyHandle = BorrowEasyHandle();
    CURL* const easy = easyHandle.get();
    // Borrowed by the first send, for the connection options it has.
    BorrowedConnections connections;
    curl_slist* headerList = nullptr;
    std::string url;
    std::string verb;
    std::string sendHeaders;
    std::string body;
    int redirects = 0;
    bool credentialsDropped = false;
    CertificatePolicy policy;
    std::shared_ptr<CertificateVerdict> certificateVerdict = std::make_shared<CertificateVerdict>();
    char errorText[CURL_ERROR_SIZE] = {};

    bool running = false;
    bool finished = false;
    CURLcode result = CURLE_OK;
    InternetReply reply;
    bool replyReady = false;

private:
    using Clock = std::chrono::steady_clock;
    enum class Outcome { Reached, Finished, Failed };
    // Sending counts the send time-out, Receiving the receive time-out, and a
    // wait for the reply the one or the other as long as the body is going out.
    enum class Wait { Sending, Receiving, Reply };

    bool Fail(InternetError code, std::string text);
    bool FailFromResult();
    bool FailSecure(const std::string& text);
    void Configure();
    void ApplyProxy();
    void ApplyCredentials();
    bool CredentialsGiven() const;
    void ApplyMethod();
    bool ApplyHeaders();
    void ResetReply();
    std::string ConnectionKey() const;
    bool Start();
    void Stop();
    std::uint32_t IdleLimit(Wait wait) const;
    Outcome Drive(const std::function<bool()>& reached, Wait wait);
    void Collect();
    void ResumeTransfer();
    bool WaitForReply();
    bool MaySendAgainOnFreshConnection() const;
    std::int64_t Available(std::size_t size);
    bool FollowRedirect();
    void AnnounceRequestSent();
    void OnHeadersComplete();
    void Touch() { lastActivity = Clock::now(); }

    bool discardBody = false;
    bool redirectPending = false;
    InternetReceiveBuffer pending;
    std::size_t wanted = 0;
    bool sentAgain = false;
    bool receivePaused = false;

    bool uploading = false;
    bool uploadAsked = false;
    std::uint64_t uploadTotal = 0;
    std::uint64_t uploadTaken = 0;
    std::string uploadBuffer;
    bool sendPaused = false;

    bool connected = false;
    bool resolveAnnounced = false;
    bool newConnection = false;
    bool requestSentAnnounced = false;
    std::int64_t bodyTaken = 0;
    bool bodyTooLarge = false;
    std::int64_t lastReceived = 0;
    std::int64_t lastSent = 0;
    Clock::time_point lastActivity = Clock::now();
};

} // namespace platform
