// One transfer of the HTTP request component: the settings it was started
// with, the state the worker and the completion share, and the procedure
// that runs on the worker thread. Internal to the component.
#pragma once

#include "platform/InternetClient.h"
#include "transfer/GatheringFileWriter.h"
#include "transfer/acHTTP.h"

#include <atomic>
#include <mutex>

// The component's properties as they were when the transfer was started; the
// worker reads only these, never the component itself.
struct TacHTTPTransferSettings {
    std::string AcceptTypes;
    std::vector<std::string> AddHeaders;
    std::string Agent;
    TacHTTPProxy Proxy;
    std::string URL;
    std::string Username;
    std::string Password;
    TacCacheOptions CacheOptions;
    TacInternetOptions InternetOptions;
    std::string OutputFileName;
    TacOutputFileAttributes OutputFileAttributes;
    std::string POSTData;
    std::string Referer;
    TacHTTPRequestMethod RequestMethod = rmAutoDetect;
    TacHTTPTimeouts Timeouts;
    int TransferBufferSize = 4096;
    bool WorkOffline = false;
    std::int64_t MaximumReplySize = 0;
    std::string TrustedAuthorityFile;
    // Upload mode: the whole multipart body and its Content-Type line.
    bool Upload = false;
    std::string UploadBody;
    std::string UploadHeader;
    // Events called on the worker, and which main-thread events are worth
    // a hand-over.
    TacHTTPBeforeSendRequestEvent OnBeforeSendRequest;
    TacHTTPRedirectedEvent OnRedirected;
    TacHTTPStatusChanged OnStatusChanged;
    bool HeaderInfoAssigned = false;
    bool ProgressAssigned = false;
    bool UploadProgressAssigned = false;
    bool PasswordRequestAssigned = false;
    bool ProxyAuthenticationAssigned = false;
};

struct TacHTTPTransfer {
    TacHTTPTransferSettings settings;
    TObject* sender = nullptr;

    int status = -1;
    std::int64_t dataSize = 0;
    std::int64_t bytesRead = 0;
    std::uint32_t rangeStart = 0;
    std::uint32_t rangeEnd = 0;
    std::uint64_t startTick = 0;
    std::string contentType;
    bool ok = false;
    // Written by the worker as it ends, under streamMutex.
    platform::InternetFailure failure;
    bool continueDownload = true;
    bool uploadSent = false;
    bool deleteOutputFile = false;
    // Credentials a handler gave for the next try.
    std::string retryUsername;
    std::string retryPassword;
    std::string retryProxyUsername;
    std::string retryProxyPassword;

    std::atomic<bool> requestBusy { false };
    std::atomic<bool> transferBusy { false };
    std::atomic<bool> deleteOnAbort { false };
    std::atomic<bool> abandoned { false };
    platform::InternetInterruptFlag interrupt = std::make_shared<std::atomic<bool>>(false);

    // Guards the reply stream against the main thread taking the transfer
    // over while the worker is inside a blocking call.
    std::mutex streamMutex;
    std::unique_ptr<QIODevice> stream;
    bool outputFileInUse = false;
    // The output file's blocks on their way to it.
    GatheringFileWriter fileWriter;
    // What the output file held before a transfer that writes it from its
    // start; cut off once the new blocks are in.
    std::int64_t formerLength = 0;

    // Main thread: stop at once. The worker, whatever it is blocked in,
    // touches nothing shared after this and hands nothing over.
    void TakeOver(bool deleteFile);
    // Closes the reply stream; an output file keeps the Incomplete
    // attributes and is deleted when asked. Call with streamMutex held.
    void ReleaseStream(bool deleteFile);
    // A block of the body to the reply stream; false when the stream refused
    // it. Call with streamMutex held.
    bool WriteToStream(const char* data, std::size_t size);
    // Makes the output file hold every block written so far and nothing
    // else, before anyone else looks at it. Call with streamMutex held.
    bool FlushStream();
};

std::uint64_t TickCount();

// Runs the transfer on the worker thread.
void RunTransferProcedure(
    TacCustomHTTP& component, const std::shared_ptr<TacHTTPTransfer>& transfer);
