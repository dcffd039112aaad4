// The service's ties to the files it runs from and tells of: the port it
// listens on, recorded for its user's programs, and its own executable, which
// an upgrade or removal replaces.
#pragma once

#include <sys/types.h>

#include <string>

namespace service {

// Records port in the file, in a folder only the user may enter (made so
// when missing); empty on success, else why not.
std::string RecordPort(const std::string& file, int port);
// Removes the record when it still names port: a later service may have
// written its own.
void ForgetPort(const std::string& file, int port);

// Whether the executable this process runs has been removed or replaced
// since the watch began.
class ExecutableWatch {
public:
    ExecutableWatch();
    bool Replaced() const;

private:
    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

} // namespace service
