// Address helpers of the HTTP request component: splitting an address into
// its parts, escaping the extra part for the wire, and the host and file
// names an address names.
#pragma once

#include <cstdint>
#include <string>

struct TacURLParts {
    std::string Scheme;
    std::string HostName;
    std::string URLPath;
    std::string UserName;
    std::string Password;
    std::string ExtraInfo;
    std::uint16_t Port = 0;
};

// "http://" is put in front of an address without "://". Escapes are undone.
// False, leaving Parts unchanged, when the address cannot be read or a part
// is longer than the splitter's buffers take.
bool ParseURL(const std::string& URL, TacURLParts& Parts);

// Control bytes, bytes from 0x80 up, blank, "#", "%", "*", "+", "<" and ">"
// become "%" and two upper-case hex digits; all other bytes stay.
std::string URLEncode(const std::string& Text);

std::string URLToHostName(const std::string& URL);

// The text after the last "/" or "\" of the address's path.
std::string URLToFileName(const std::string& URL);
