#include "transfer/GatheringFileWriter.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr std::size_t GatherSize = 256 * 1024;

std::size_t PreferredWriteSize(QFileDevice& file)
{
    struct stat status { };
    if (fstat(file.handle(), &status) != 0 || status.st_blksize <= 0)
        return 4096;
    return static_cast<std::size_t>(status.st_blksize);
}

} // namespace

void GatheringFileWriter::Start(QFileDevice& file)
{
    size_ = 0;
    unit_ = std::min(PreferredWriteSize(file), GatherSize);
    capacity_ = GatherSize + unit_;
    bytes_ = std::make_unique_for_overwrite<char[]>(capacity_);
}

bool GatheringFileWriter::Write(QIODevice& file, const char* data, std::size_t size)
{
    if (capacity_ == 0)
        return file.write(data, static_cast<qint64>(size)) == static_cast<qint64>(size);
    while (size > 0) {
        const std::size_t taken = std::min(size, capacity_ - size_);
        std::memcpy(bytes_.get() + size_, data, taken);
        size_ += taken;
        data += taken;
        size -= taken;
        if (size_ >= GatherSize && !WriteOut(file, size_ - size_ % unit_))
            return false;
    }
    return true;
}

bool GatheringFileWriter::Flush(QIODevice& file)
{
    return WriteOut(file, size_);
}

// Writes the first count bytes; the rest, less than a unit, moves to the front.
bool GatheringFileWriter::WriteOut(QIODevice& file, std::size_t count)
{
    if (count == 0)
        return true;
    const qint64 written = file.write(bytes_.get(), static_cast<qint64>(count));
    const std::size_t left = size_ - count;
    std::memmove(bytes_.get(), bytes_.get() + count, left);
    size_ = left;
    return written == static_cast<qint64>(count);
}
