// The reply side of the transfer procedure: choosing the reply stream and
// reading the body into it, block by block.
#include "transfer/acHTTPProcedure.h"

#include "platform/QtText.h"
#include "transfer/acFileAttributes.h"

#include <QBuffer>
#include <QCoreApplication>
#include <algorithm>
#include <cstring>

namespace {

// Beyond this a memory reply stream grows with the body instead of being
// allocated at the announced length, so that a lying server cannot make us
// claim gigabytes up front.
constexpr std::int64_t MemoryStreamPresizeLimit = 64 * 1024 * 1024;

} // namespace

void TacHTTPTransferProcedure::OpenLocalFile()
{
    localFile_ = std::make_unique<QFile>(platform::ToQString(url_.URLPath));
    if (!localFile_->open(QIODevice::ReadOnly)) {
        localFile_.reset();
        t_.status = 404;
        t_.dataSize = 0;
        t_.ok = false;
        return;
    }
    // The announced length is what lies between the range's ends, so that a
    // ranged read of a file completes like one over the network.
    const std::int64_t size = localFile_->size();
    const std::int64_t end
        = t_.rangeEnd != 0 ? std::min<std::int64_t>(size, t_.rangeEnd + std::int64_t(1)) : size;
    t_.status = 200;
    t_.dataSize = std::max<std::int64_t>(0, end - t_.rangeStart);
    if (t_.rangeStart != 0)
        localFile_->seek(t_.rangeStart);
    t_.ok = true;
}

TacHTTPTransferProcedure::Step TacHTTPTransferProcedure::ReceiveBody()
{
    Check();
    if (const Step chosen = ChooseReplyStream(); chosen != Step::Next)
        return chosen;
    return ReadBody();
}

TacHTTPTransferProcedure::Step TacHTTPTransferProcedure::ChooseReplyStream()
{
    std::lock_guard lock(t_.streamMutex);
    ExitIfAbandoned();
    if (!IsSuccess(t_.status) || s_.OutputFileName.empty()) {
        UseMemoryStream();
        return Step::Next;
    }
    switch (OpenOutputFile()) {
    case Opened::Yes:
        return Step::Next;
    case Opened::NotPositioned:
        t_.status = -1;
        CloseRequest();
        return Step::Restart;
    case Opened::No:
        break;
    }
    if (t_.ok)
        return Step::End;
    UseMemoryStream();
    return Step::Next;
}

TacHTTPTransferProcedure::Opened TacHTTPTransferProcedure::OpenOutputFile()
{
    const std::string& path = s_.OutputFileName;
    const TacFileAttributes former = GetOutputFileAttributes(path);
    const bool locked = former.testFlag(atrHidden) || former.testFlag(atrReadOnly);
    if (locked)
        SetOutputFileAttributes(path, { atrArchive });
    auto file = std::make_unique<QFile>(platform::ToQString(path));
    // Not truncated here: the file is cut to what was written once the
    // blocks are in (see TacHTTPTransfer::FlushStream).
    const bool opened = file->open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    if (locked)
        SetOutputFileAttributes(path, former);
    if (!opened)
        return Opened::No;
    file->moveToThread(QCoreApplication::instance()->thread());
    const bool positioned = file->seek(t_.rangeStart);
    t_.formerLength = t_.rangeStart == 0 ? file->size() : 0;
    t_.fileWriter.Start(*file);
    t_.stream = std::move(file);
    t_.outputFileInUse = true;
    const TacOutputFileAttributes& attributes = s_.OutputFileAttributes;
    if (attributes.Incomplete != TacFileAttributes { atrArchive })
        SetOutputFileAttributes(path, attributes.Incomplete);
    if (positioned)
        return Opened::Yes;
    t_.ReleaseStream(false);
    return Opened::NotPositioned;
}

void TacHTTPTransferProcedure::UseMemoryStream()
{
    auto buffer = std::make_unique<QBuffer>();
    if (t_.ok && t_.dataSize > 0 && t_.dataSize <= MemoryStreamPresizeLimit)
        buffer->buffer().resize(static_cast<qsizetype>(t_.dataSize));
    buffer->open(QIODevice::ReadWrite);
    buffer->moveToThread(QCoreApplication::instance()->thread());
    t_.stream = std::move(buffer);
}

TacHTTPTransferProcedure::Step TacHTTPTransferProcedure::ReadBody()
{
    bool verify = VerifyFirstBlock();
    t_.bytesRead = 0;
    if (localFile_)
        buffer_.resize(blockSize_);
    bool readFailed = false;
    for (;;) {
        Check();
        const char* block = nullptr;
        const std::int64_t size = ReadBlock(block);
        ExitIfAbandoned();
        readFailed = size < 0;
        if (size <= 0)
            break;
        t_.bytesRead += size;
        if (verify) {
            if (!SameAsOutputFile(block, size))
                break;
            verify = false;
            continue;
        }
        if (!WriteBlock(block, size))
            return EndWithOutputFileError();
        if (s_.ProgressAssigned)
            HandOverProgress();
    }
    buffer_ = {};
    if (verify) {
        // The server's data differs from the file: fetch the whole resource
        // again into a new file.
        t_.status = -1;
        t_.rangeStart = t_.rangeEnd = 0;
        CloseRequest();
        std::lock_guard lock(t_.streamMutex);
        ExitIfAbandoned();
        t_.ReleaseStream(false);
        return Step::Restart;
    }
    if (!FlushOutput())
        return EndWithOutputFileError();
    // A body that failed on its way (a time-out, a reply too large) is a lost
    // connection even without an announced length, which only a clean end
    // cannot be told from.
    t_.ok = IsSuccess(t_.status) && !readFailed;
    if (t_.ok && t_.dataSize != 0 && t_.stream)
        t_.ok = t_.dataSize == t_.bytesRead;
    return Step::End;
}

// Only a file that already holds bytes at the range start can be compared;
// a ranged read into a new or shorter file writes the range where it belongs.
bool TacHTTPTransferProcedure::VerifyFirstBlock()
{
    if (t_.rangeStart == 0 || !t_.outputFileInUse)
        return false;
    std::lock_guard lock(t_.streamMutex);
    ExitIfAbandoned();
    return t_.stream->size() > static_cast<qint64>(t_.rangeStart);
}

std::int64_t TacHTTPTransferProcedure::ReadBlock(const char*& block)
{
    if (localFile_) {
        block = buffer_.data();
        const std::int64_t left = t_.dataSize - t_.bytesRead;
        return left <= 0
            ? 0
            : localFile_->read(buffer_.data(), std::min<std::int64_t>(left, blockSize_));
    }
    if (!request_)
        return 0;
    return request_->ReadInPlace(block, blockSize_);
}

// Resuming: the first block must be what the file already holds there. A
// shorter block than the buffer is compared for the bytes it brought.
bool TacHTTPTransferProcedure::SameAsOutputFile(const char* block, std::int64_t size)
{
    std::lock_guard lock(t_.streamMutex);
    ExitIfAbandoned();
    const QByteArray existing = t_.stream->read(size);
    return existing.size() == size && std::memcmp(existing.constData(), block, size_t(size)) == 0;
}

bool TacHTTPTransferProcedure::WriteBlock(const char* block, std::int64_t size)
{
    std::lock_guard lock(t_.streamMutex);
    ExitIfAbandoned();
    return t_.WriteToStream(block, static_cast<size_t>(size));
}

bool TacHTTPTransferProcedure::FlushOutput()
{
    std::lock_guard lock(t_.streamMutex);
    ExitIfAbandoned();
    return t_.FlushStream();
}

// A file that refuses bytes (a full disk) ends the transfer as an output-file
// error, not as a success with a short file; the file keeps what it got.
TacHTTPTransferProcedure::Step TacHTTPTransferProcedure::EndWithOutputFileError()
{
    CloseRequest();
    std::lock_guard lock(t_.streamMutex);
    ExitIfAbandoned();
    t_.ReleaseStream(false);
    t_.ok = true;
    return Step::End;
}
