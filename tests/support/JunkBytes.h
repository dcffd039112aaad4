// Bytes of every value, NUL and other control bytes among them, the same in
// every run: what a damaged or foreign file may hold in place of text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline std::string JunkBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245 + 12345;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}
