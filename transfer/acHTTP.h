// The HTTP request component: one request (or one read of a "file" address)
// at a time on a worker thread, its outcome reported by events on the main
// thread, the body written to an output file or kept in memory.
#pragma once

#include "transfer/acHTTPTypes.h"
#include "transfer/acHTTPValues.h"
#include "transfer/acThread.h"

#include <QBuffer>
#include <QIODevice>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using TStream = QIODevice;
using TMemoryStream = QBuffer;

namespace platform {
struct InternetFailure;
}

class TacHTTPProxy {
public:
    TacHTTPAccessType AccessType = atPreconfig;
    int ProxyPort = 8080;
    std::string ProxyServer;
    std::string ProxyBypass = "127.0.0.1;";
    std::string ProxyUsername;
    std::string ProxyPassword;

    // Copies every field; a null source resets them to their defaults.
    void Assign(const TacHTTPProxy* Source);
};

class TacHTTPRange {
public:
    std::uint32_t StartRange = 0;
    std::uint32_t EndRange = 0;

    void Assign(const TacHTTPRange* Source);
};

class TacHTTPTimeouts {
public:
    std::uint32_t ConnectTimeout = 0;
    std::uint32_t ReceiveTimeout = 0;
    std::uint32_t SendTimeout = 0;

    void Assign(const TacHTTPTimeouts* Source);
};

class TacOutputFileAttributes {
public:
    TacFileAttributes Complete { atrArchive };
    TacFileAttributes Incomplete { atrArchive, atrTemporary };

    void Assign(const TacOutputFileAttributes* Source);
};

using TacHTTPBeforeSendRequestEvent = std::function<void(TObject* Sender, void* hRequest)>;
using TacHTTPHeaderInfoEvent = std::function<void(TObject* Sender, int ErrorCode,
    const std::string& RawHeadersCRLF, const std::string& ContentType,
    const std::string& ContentLanguage, const std::string& ContentEncoding, int ContentLength,
    const std::string& Location, TDateTime Date, TDateTime LastModified, TDateTime Expires,
    const std::string& ETag, bool& ContinueDownload)>;
using TacHTTPDoneEvent = std::function<void(
    TObject* Sender, const std::string& ContentType, int FileSize, TStream* Stream)>;
using TacHTTPProgressEvent = std::function<void(TObject* Sender, const std::string& ContentType,
    int DataSize, int BytesRead, int ElapsedTime, int EstimatedTimeLeft, std::uint8_t PercentsDone,
    float TransferRate, TStream* Stream)>;
using TacHTTPRedirectedEvent = std::function<void(TObject* Sender, const std::string& NewURL)>;
using TacHTTPUploadProgressEvent
    = std::function<void(TObject* Sender, int DataSize, int BytesTransferred, int ElapsedTime,
        int EstimatedTimeLeft, std::uint8_t PercentsDone, float TransferRate)>;
using TacHTTPUploadFieldRequestEvent = std::function<void(TObject* Sender, std::uint16_t FileIndex,
    TMemoryStream* UploadStream, std::string& FieldName, std::string& FileName)>;
using TacHTTPConnLostEvent = std::function<void(
    TObject* Sender, const std::string& ContentType, int FileSize, int BytesRead, TStream* Stream)>;
using TacHTTPErrorEvent = std::function<void(TObject* Sender, int ErrorCode, TStream* Stream)>;
using TacHTTPPasswordRequestEvent
    = std::function<void(TObject* Sender, const std::string& Realm, bool& TryAgain)>;
using TacHTTPProxyAuthenticationEvent = std::function<void(
    TObject* Sender, std::string& ProxyUsername, std::string& ProxyPassword, bool& TryAgain)>;
using TacHTTPStatusChanged
    = std::function<void(TObject* Sender, std::uint32_t StatusID, const std::string& StatusStr)>;

class TacLoginComponent : public TacComponent {
    Q_OBJECT
public:
    using TacComponent::TacComponent;

    std::string Username;
    std::string Password;
};

struct TacHTTPTransfer;
class TacHTTPTransferProcedure;

class TacCustomHTTP : public TacLoginComponent {
    Q_OBJECT
public:
    explicit TacCustomHTTP(QObject* owner = nullptr);
    ~TacCustomHTTP() override;

    std::string AcceptTypes = "text/html, */*";
    std::vector<std::string> AddHeaders;
    std::string Agent = "TacHTTP internet transfer component";
    TacHTTPProxy Proxy;
    std::string URL;
    TacCacheOptions CacheOptions { coReloadIfNoExpireInformation, coReloadUpdatedObjects,
        coCreateTempFilesIfCantCache };
    TacInternetOptions InternetOptions { ioKeepConnection };
    std::string OutputFileName;
    TacOutputFileAttributes OutputFileAttributes;
    std::string POSTData;
    TacHTTPRange Range;
    std::string Referer;
    TacHTTPRequestMethod RequestMethod = rmAutoDetect;
    bool ShowGoOnlineMessage = false;
    TacHTTPTimeouts Timeouts;
    // Taken as 255 when smaller.
    int TransferBufferSize = 4096;
    bool WorkOffline = false;
    // The most bytes of a reply's body that are taken: past it the transfer
    // stops and ends as a lost connection, the output file holding no more
    // than this. 0 takes any length.
    std::int64_t MaximumReplySize = 0;

    TacHTTPBeforeSendRequestEvent OnBeforeSendRequest;
    TacHTTPHeaderInfoEvent OnHeaderInfo;
    TacHTTPDoneEvent OnDone;
    TNotifyEvent OnDoneInterrupted;
    TNotifyEvent OnOutputFileError;
    TacHTTPProgressEvent OnProgress;
    TacHTTPRedirectedEvent OnRedirected;
    TacHTTPUploadProgressEvent OnUploadProgress;
    TacHTTPUploadFieldRequestEvent OnUploadFieldRequest;
    TNotifyEvent OnUploadCGITimeoutFailed;
    TNotifyEvent OnAnyError;
    TNotifyEvent OnAborted;
    TacHTTPConnLostEvent OnConnLost;
    TacHTTPErrorEvent OnHTTPError;
    TNotifyEvent OnHostUnreachable;
    TacHTTPPasswordRequestEvent OnPasswordRequest;
    TacHTTPProxyAuthenticationEvent OnProxyAuthenticationRequest;
    TacThreadWaitTimeoutExpired OnWaitTimeoutExpired;
    // Not published; called on the worker thread.
    TacHTTPStatusChanged OnStatusChanged;

    TThreadPriority GetThreadPriority() const { return thread_->GetPriority(); }
    void SetThreadPriority(TThreadPriority priority) { thread_->SetPriority(priority); }
    bool GetWaitThread() const { return thread_->GetWaitThread(); }
    void SetWaitThread(bool value) { thread_->SetWaitThread(value); }
    int GetWaitTimeout() const;
    void SetWaitTimeout(int value);

    bool Read(bool Wait = false);
    bool ReadRange(std::uint32_t StartPos, std::uint32_t EndPos, bool Wait = false);
    void Pause();
    bool Resume();
    void Abort(bool DeleteOutputFile = false, bool Immediate = false);

    // Asks OnUploadFieldRequest for each of the parts and posts them.
    bool Upload(std::uint16_t FileCount, bool Wait = false);
    void BeginPrepareUpload();
    void UploadString(const std::string& FieldName, const std::string& Value);
    void UploadInteger(const std::string& FieldName, int Value);
    void UploadBoolean(const std::string& FieldName, bool Value);
    void UploadStream(const std::string& FieldName, const std::string& FileName, TStream* Stream);
    // The picture file as it is, or scaled down to fit the given size.
    bool UploadPicture(const std::string& FieldName, const std::string& PictureFileName);
    bool UploadThumbnailedPicture(const std::string& FieldName, const std::string& PictureFileName,
        int MaxWidth, int MaxHeight);
    bool EndPrepareUpload(bool Wait = false);

    bool GetThreadBusy() const { return thread_->Running(); }
    // Set by an accepted Read, cleared when the transfer's resources are
    // released; while it is set, Read is refused.
    bool GetRequestBusy() const;
    bool GetSuspended() const { return thread_->GetSuspended(); }
    void SetSuspended(bool value) { thread_->SetSuspended(value); }
    bool GetFreeOnTerminate() const { return thread_->GetFreeOnTerminate(); }
    void SetFreeOnTerminate(bool value) { thread_->SetFreeOnTerminate(value); }
    std::string GetFileName() const;
    std::string GetHostName() const;
    // Why the latest transfer failed before an HTTP status settled it (no
    // connection, a refused certificate, a cut or too large reply...), as the
    // internet client put it; no code after a success or an HTTP error.
    platform::InternetFailure GetLastFailure() const;
    bool IsGlobalOffline() const { return false; }

    // Authorities trusted besides the system's, for every transfer of the
    // process (a PEM file; empty = the system's only).
    static void SetTrustedAuthorityFile(const std::string& fileName);

private:
    friend class TacHTTPTransferProcedure;
    struct UploadPart {
        std::string fieldName;
        std::string fileName;
        std::string data;
    };

    std::shared_ptr<TacHTTPTransfer> NewTransfer(std::uint32_t start, std::uint32_t end) const;
    bool StartTransfer(const std::shared_ptr<TacHTTPTransfer>& transfer, bool wait);
    void Complete(TacHTTPTransfer& transfer);
    void CompleteEvents(TacHTTPTransfer& transfer);
    void WaitTimeoutExpired(TacHTTPTransfer& transfer, bool& terminateThread);
    void ReportAnyError();
    void AddUploadPart(
        const std::string& FieldName, const std::string& FileName, const std::string& data);
    std::string UploadBody(std::string& boundary) const;

    TacCustomThread* thread_;
    std::shared_ptr<TacHTTPTransfer> transfer_;
    std::vector<UploadPart> uploadParts_;
    bool preparingUpload_ = false;
};

// The published form; the one the program uses.
class TacHTTP : public TacCustomHTTP {
    Q_OBJECT
    Q_PROPERTY(std::string AcceptTypes MEMBER AcceptTypes)
    Q_PROPERTY(std::string Agent MEMBER Agent)
    Q_PROPERTY(std::string URL MEMBER URL)
    Q_PROPERTY(acHTTPTypes::TacCacheOptions CacheOptions MEMBER CacheOptions)
    Q_PROPERTY(acHTTPTypes::TacInternetOptions InternetOptions MEMBER InternetOptions)
    Q_PROPERTY(std::string OutputFileName MEMBER OutputFileName)
    Q_PROPERTY(std::string POSTData MEMBER POSTData)
    Q_PROPERTY(std::string Referer MEMBER Referer)
    Q_PROPERTY(acHTTPTypes::TacHTTPRequestMethod RequestMethod MEMBER RequestMethod)
    Q_PROPERTY(bool ShowGoOnlineMessage MEMBER ShowGoOnlineMessage)
    Q_PROPERTY(int TransferBufferSize MEMBER TransferBufferSize)
    Q_PROPERTY(bool WaitThread READ GetWaitThread WRITE SetWaitThread)
    Q_PROPERTY(int WaitTimeout READ GetWaitTimeout WRITE SetWaitTimeout)
    Q_PROPERTY(bool WorkOffline MEMBER WorkOffline)
public:
    using TacCustomHTTP::TacCustomHTTP;
};

class TacHTTPPragmaNoCache : public TacCustomHTTP {
    Q_OBJECT
public:
    explicit TacHTTPPragmaNoCache(QObject* owner = nullptr);
};
