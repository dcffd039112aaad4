// Process-wide set-up of the internet library: one scope object lives in the
// program entry (and in the test main) for as long as anything may transfer.
// Its end closes the connections kept open between requests.
#pragma once

namespace platform {

class InternetLibraryScope {
public:
    InternetLibraryScope();
    ~InternetLibraryScope();
    InternetLibraryScope(const InternetLibraryScope&) = delete;
    InternetLibraryScope& operator=(const InternetLibraryScope&) = delete;
};

} // namespace platform
