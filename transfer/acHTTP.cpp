#include "transfer/acHTTP.h"

#include "platform/QtText.h"
#include "transfer/acFileAttributes.h"
#include "transfer/acHTTPTransfer.h"
#include "transfer/acURL.h"

#include <QFileInfo>
#include <QPointer>
#include <mutex>

namespace {

std::mutex authorityMutex;
std::string trustedAuthorityFile;

std::string TrustedAuthorityFile()
{
    std::lock_guard lock(authorityMutex);
    return trustedAuthorityFile;
}

template <typename Event, typename... Arguments>
void Raise(const Event& event, Arguments&&... arguments)
{
    if (event)
        event(std::forward<Arguments>(arguments)...);
}

bool IsSuccess(int status)
{
    return status == 200 || status == 206;
}

} // namespace

void TacHTTPProxy::Assign(const TacHTTPProxy* Source)
{
    *this = Source ? *Source : TacHTTPProxy();
}

void TacHTTPRange::Assign(const TacHTTPRange* Source)
{
    *this = Source ? *Source : TacHTTPRange();
}

void TacHTTPTimeouts::Assign(const TacHTTPTimeouts* Source)
{
    *this = Source ? *Source : TacHTTPTimeouts();
}

void TacOutputFileAttributes::Assign(const TacOutputFileAttributes* Source)
{
    *this = Source ? *Source : TacOutputFileAttributes();
}

// ---------------------------------------------------------------------------

TacCustomHTTP::TacCustomHTTP(QObject* owner)
    : TacLoginComponent(owner), thread_(new TacCustomThread(this))
{
    thread_->HandleExceptions = true;
}

TacCustomHTTP::~TacCustomHTTP()
{
    MarkDestroying();
    if (transfer_ && (transfer_->requestBusy.load() || thread_->Running())) {
        thread_->Terminate(true);
        transfer_->TakeOver(false);
    }
    delete thread_;
}

void TacCustomHTTP::SetTrustedAuthorityFile(const std::string& fileName)
{
    std::lock_guard lock(authorityMutex);
    trustedAuthorityFile = fileName;
}

int TacCustomHTTP::GetWaitTimeout() const
{
    return static_cast<int>(thread_->GetWaitTimeout());
}

void TacCustomHTTP::SetWaitTimeout(int value)
{
    thread_->SetWaitTimeout(static_cast<std::uint32_t>(std::max(0, value)));
}

platform::InternetFailure TacCustomHTTP::GetLastFailure() const
{
    if (!transfer_)
        return {};
    std::lock_guard lock(transfer_->streamMutex);
    return transfer_->failure;
}

std::string TacCustomHTTP::GetFileName() const
{
    return URLToFileName(URL);
}

std::string TacCustomHTTP::GetHostName() const
{
    return URLToHostName(URL);
}

bool TacCustomHTTP::GetRequestBusy() const
{
    return transfer_ && transfer_->requestBusy.load();
}

bool TacCustomHTTP::Read(bool Wait)
{
    return ReadRange(0, 0, Wait);
}

bool TacCustomHTTP::ReadRange(std::uint32_t StartPos, std::uint32_t EndPos, bool Wait)
{
    if (GetRequestBusy())
        return false;
    preparingUpload_ = false;
    return StartTransfer(NewTransfer(StartPos, EndPos), Wait);
}

std::shared_ptr<TacHTTPTransfer> TacCustomHTTP::NewTransfer(
    std::uint32_t start, std::uint32_t end) const
{
    auto transfer = std::make_shared<TacHTTPTransfer>();
    TacHTTPTransferSettings& settings = transfer->settings;
    settings.AcceptTypes = AcceptTypes;
    settings.AddHeaders = AddHeaders;
    settings.Agent = Agent;
    settings.Proxy = Proxy;
    settings.URL = URL;
    settings.Username = Username;
    settings.Password = Password;
    settings.CacheOptions = CacheOptions;
    settings.InternetOptions = InternetOptions;
    settings.OutputFileName = OutputFileName;
    settings.OutputFileAttributes = OutputFileAttributes;
    settings.POSTData = POSTData;
    settings.Referer = Referer;
    settings.RequestMethod = RequestMethod;
    settings.Timeouts = Timeouts;
    settings.TransferBufferSize = TransferBufferSize;
    settings.WorkOffline = WorkOffline;
    settings.MaximumReplySize = MaximumReplySize;
    settings.TrustedAuthorityFile = TrustedAuthorityFile();
    settings.OnBeforeSendRequest = OnBeforeSendRequest;
    settings.OnRedirected = OnRedirected;
    settings.OnStatusChanged = OnStatusChanged;
    settings.HeaderInfoAssigned = static_cast<bool>(OnHeaderInfo);
    settings.ProgressAssigned = static_cast<bool>(OnProgress);
    settings.UploadProgressAssigned = static_cast<bool>(OnUploadProgress);
    settings.PasswordRequestAssigned = static_cast<bool>(OnPasswordRequest);
    settings.ProxyAuthenticationAssigned = static_cast<bool>(OnProxyAuthenticationRequest);
    transfer->sender = const_cast<TacCustomHTTP*>(this);
    if (start == 0 && end == 0) {
        start = Range.StartRange;
        end = Range.EndRange;
    }
    if (end != 0 && end < start)
        start = 0;
    transfer->rangeStart = start;
    transfer->rangeEnd = end;
    return transfer;
}

bool TacCustomHTTP::StartTransfer(const std::shared_ptr<TacHTTPTransfer>& transfer, bool wait)
{
    transfer->requestBusy.store(true);
    transfer->transferBusy.store(true);
    transfer_ = transfer;
    thread_->OnExecute = [this, transfer](TObject*) { RunTransferProcedure(*this, transfer); };
    thread_->OnTerminate = [this, transfer](TObject*) { Complete(*transfer); };
    thread_->OnException = [this](TObject*) { ReportAnyError(); };
    thread_->OnWaitTimeoutExpired = [this, transfer](TObject*, bool& terminateThread) {
        WaitTimeoutExpired(*transfer, terminateThread);
    };
    const bool waitThread = thread_->GetWaitThread();
    if (wait)
        thread_->SetWaitThread(true);
    QPointer<TacCustomHTTP> alive(this);
    const bool result = thread_->Execute();
    if (alive && wait)
        thread_->SetWaitThread(waitThread);
    return result;
}

void TacCustomHTTP::Pause()
{
    Abort(false, false);
}

bool TacCustomHTTP::Resume()
{
    const QFileInfo file(platform::ToQString(OutputFileName));
    const std::int64_t size = file.exists() ? file.size() : 0;
    const std::int64_t block = std::max(255, TransferBufferSize);
    const std::int64_t start = size > block ? size - block : 0;
    return ReadRange(static_cast<std::uint32_t>(start), 0, false);
}

void TacCustomHTTP::Abort(bool DeleteOutputFile, bool Immediate)
{
    if (!GetThreadBusy() || !GetRequestBusy())
        return;
    const auto transfer = transfer_;
    transfer->deleteOnAbort.store(DeleteOutputFile);
    if (!Immediate) {
        // The worker stops at its next check; a blocking call it is inside
        // is cut short, so that a stalled server cannot hold the stop off.
        thread_->Terminate(false);
        transfer->interrupt->store(true);
        return;
    }
    thread_->Terminate(true);
    transfer->TakeOver(DeleteOutputFile);
    try {
        Raise(OnAborted, this);
    } catch (...) {
    }
}

void TacCustomHTTP::ReportAnyError()
{
    try {
        Raise(OnAnyError, this);
    } catch (...) {
    }
}

void TacCustomHTTP::WaitTimeoutExpired(TacHTTPTransfer& transfer, bool& terminateThread)
{
    try {
        Raise(OnWaitTimeoutExpired, this, terminateThread);
    } catch (...) {
    }
    if (terminateThread)
        transfer.TakeOver(false);
}

// The completion runs on the main thread once the worker's procedure has
// returned. It touches only its own transfer: a handler may already have
// started the next one.
void TacCustomHTTP::Complete(TacHTTPTransfer& transfer)
{
    if (transfer.stream)
        transfer.stream->seek(0);
    transfer.transferBusy.store(false);
    const bool interrupted = !transfer.continueDownload;
    try {
        if (!interrupted)
            CompleteEvents(transfer);
    } catch (...) {
        ReportAnyError();
    }
    {
        std::lock_guard lock(transfer.streamMutex);
        transfer.ReleaseStream(false);
    }
    transfer.requestBusy.store(false);
    if (transfer.deleteOutputFile)
        DeleteOutputFile(transfer.settings.OutputFileName);
    if (!interrupted)
        return;
    try {
        Raise(OnDoneInterrupted, this);
    } catch (...) {
        ReportAnyError();
    }
}

void TacCustomHTTP::CompleteEvents(TacHTTPTransfer& transfer)
{
    if (transfer.ok) {
        if (!transfer.stream) {
            transfer.requestBusy.store(false);
            Raise(OnAnyError, this);
            Raise(OnOutputFileError, this);
            return;
        }
        TStream* stream = transfer.stream.get();
        if (transfer.outputFileInUse) {
            // The file is closed and the busy state over before OnDone, so
            // that its handler may read the file and start the next request.
            {
                std::lock_guard lock(transfer.streamMutex);
                transfer.stream.reset();
                transfer.outputFileInUse = false;
            }
            transfer.requestBusy.store(false);
            const TacOutputFileAttributes& attributes = transfer.settings.OutputFileAttributes;
            if (attributes.Complete != attributes.Incomplete)
                SetOutputFileAttributes(transfer.settings.OutputFileName, attributes.Complete);
            stream = nullptr;
        }
        Raise(OnDone, this, transfer.contentType,
            static_cast<int>(transfer.bytesRead + transfer.rangeStart), stream);
        return;
    }
    if (IsSuccess(transfer.status)) {
        Raise(OnConnLost, this, transfer.contentType, static_cast<int>(transfer.dataSize),
            static_cast<int>(transfer.bytesRead), transfer.stream.get());
    } else if (transfer.status == -1) {
        Raise(transfer.uploadSent ? OnUploadCGITimeoutFailed : OnHostUnreachable, this);
    } else {
        Raise(OnHTTPError, this, transfer.status, transfer.stream.get());
        transfer.deleteOutputFile = transfer.outputFileInUse;
    }
    Raise(OnAnyError, this);
}

// ---------------------------------------------------------------------------

TacHTTPPragmaNoCache::TacHTTPPragmaNoCache(QObject* owner) : TacCustomHTTP(owner)
{
    CacheOptions = { coReloadIfNoExpireInformation, coReloadUpdatedObjects, coPragmaNoCache };
}
