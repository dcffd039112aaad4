// The transfer procedure's steps, shared by the files that carry them out.
// Internal to the HTTP request component.
#pragma once

#include "transfer/acHTTPTransfer.h"
#include "transfer/acURL.h"

#include <QFile>

inline bool IsSuccess(int status)
{
    return status == 200 || status == 206;
}

class TacHTTPTransferProcedure {
public:
    TacHTTPTransferProcedure(
        TacCustomHTTP& component, const std::shared_ptr<TacHTTPTransfer>& transfer)
        : component_(component), t_(*transfer), s_(transfer->settings),
          run_(*TacEventThread::Current())
    {
    }
    void Run();

private:
    void RunSteps();
    void KeepFailure();
    enum class Step { Next, End, Restart };
    enum class Opened { Yes, No, NotPositioned };

    void Check();
    [[noreturn]] void Stop();
    void ExitIfAbandoned() const;
    void HandOver(const TThreadMethod& method);

    bool Ranged() const { return t_.rangeStart != 0 || t_.rangeEnd != 0; }
    std::string Verb() const;
    std::string ExtraHeaders(bool wholeResource) const;
    platform::InternetRequestSettings RequestSettings() const;
    void OpenSession();
    void StatusChanged(platform::InternetStatus status, const std::string& information) const;
    void CloseRequest();
    Step ConnectAndSend();
    Step OpenRequest();
    Step SendLoop();
    bool SendOnce();
    bool SendUpload();
    Step WholeResourceAfterRangeRefused();
    void AskForPassword(bool& retry);
    void AskForProxyAuthentication(bool& retry);
    void TakeReplyHeaders();
    void HandOverHeaderInfo();
    void OpenLocalFile();
    Step ReceiveBody();
    Step ChooseReplyStream();
    Opened OpenOutputFile();
    void UseMemoryStream();
    Step ReadBody();
    bool VerifyFirstBlock();
    std::int64_t ReadBlock(const char*& block);
    bool SameAsOutputFile(const char* block, std::int64_t size);
    bool WriteBlock(const char* block, std::int64_t size);
    bool FlushOutput();
    Step EndWithOutputFileError();
    void HandOverProgress();
    void HandOverUploadProgress(std::int64_t sent);

    TacCustomHTTP& component_;
    TacHTTPTransfer& t_;
    const TacHTTPTransferSettings& s_;
    TacEventThread& run_;
    size_t blockSize_ = 4096;
    TacURLParts url_;
    // The address could not be read: no handle was opened to report why.
    bool urlRejected_ = false;
    std::string target_;
    std::string userName_;
    std::string password_;
    std::unique_ptr<platform::InternetSession> session_;
    std::unique_ptr<platform::InternetConnection> connection_;
    std::unique_ptr<platform::InternetRequest> request_;
    std::unique_ptr<QFile> localFile_;
    // A block read from a local file; a block from the network is read in
    // place, from the request's own buffer.
    std::vector<char> buffer_;
};
