// The binary forms of the storage write numbers as the machine holds them
// (little-endian on every platform the program runs on), byte by byte.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

namespace rsBinary {

template <typename T> void Append(std::string& bytes, T value)
{
    char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    bytes.append(raw, sizeof(T));
}

// Takes a T from the front of bytes; false, taking nothing, when they are
// too few.
template <typename T> bool Take(std::string_view& bytes, T& value)
{
    if (bytes.size() < sizeof(T))
        return false;
    std::memcpy(&value, bytes.data(), sizeof(T));
    bytes.remove_prefix(sizeof(T));
    return true;
}

} // namespace rsBinary
