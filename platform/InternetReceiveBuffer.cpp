#include "platform/InternetReceiveBuffer.h"

#include <algorithm>
#include <cstring>

namespace platform {

void InternetReceiveBuffer::Append(const char* data, std::size_t size)
{
    if (size == 0)
        return;
    if (start_ == end_)
        start_ = end_ = 0;
    if (capacity_ - end_ < size) {
        const std::size_t kept = Size();
        if (capacity_ - kept < size) {
            const std::size_t capacity = std::max(capacity_ * 2, kept + size);
            auto bytes = std::make_unique_for_overwrite<char[]>(capacity);
            if (kept > 0)
                std::memcpy(bytes.get(), Data(), kept);
            bytes_ = std::move(bytes);
            capacity_ = capacity;
        } else {
            std::memmove(bytes_.get(), Data(), kept);
        }
        start_ = 0;
        end_ = kept;
    }
    std::memcpy(bytes_.get() + end_, data, size);
    end_ += size;
}

void InternetReceiveBuffer::Consume(std::size_t count)
{
    start_ += std::min(count, Size());
}

} // namespace platform
