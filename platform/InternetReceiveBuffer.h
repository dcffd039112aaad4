// The body bytes that curl has handed over and the reader has not taken yet.
// Bytes are taken from the front without moving the rest; what is left moves
// to the front only when new bytes would not fit behind it, and the buffer
// grows only when they would not fit at all.
#pragma once

#include <cstddef>
#include <memory>

namespace platform {

class InternetReceiveBuffer {
public:
    std::size_t Size() const { return end_ - start_; }
    const char* Data() const { return bytes_.get() + start_; }
    void Append(const char* data, std::size_t size);
    // The bytes taken stay where they are until the next Append.
    void Consume(std::size_t count);
    void Clear() { start_ = end_ = 0; }

private:
    std::unique_ptr<char[]> bytes_;
    std::size_t capacity_ = 0;
    std::size_t start_ = 0;
    std::size_t end_ = 0;
};

} // namespace platform
