// Where the translation service is reached. Tornalo talks to a service on
// this machine; the address, the referrer and the start-up notice that names
// the service are kept together so that they cannot disagree.
#pragma once

inline constexpr const char* ServiceURL = "http://localhost:8787";
inline constexpr const char* ServiceReferer = "http://localhost:8787/language_tools";
inline constexpr const char* ServiceNotice = "  Tornalo uses the localhost translation service.";
