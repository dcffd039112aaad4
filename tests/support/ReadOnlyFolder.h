// A folder that cannot be written while this object lives, also when the
// tests run as root: the file-access override of the calling thread is set
// aside meanwhile, and threads it starts in that time (a transfer's worker)
// inherit that. Linux only.
#pragma once

#include <cstring>
#include <linux/capability.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(std::string path) : path(std::move(path))
    {
        chmod(this->path.c_str(), 0555);
        header.version = _LINUX_CAPABILITY_VERSION_3;
        header.pid = 0;
        syscall(SYS_capget, &header, saved);
        __user_cap_data_struct reduced[2];
        std::memcpy(reduced, saved, sizeof saved);
        for (const int capability : { CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER })
            reduced[capability / 32].effective &= ~(1u << (capability % 32));
        syscall(SYS_capset, &header, reduced);
    }

    ~ReadOnlyFolder()
    {
        syscall(SYS_capset, &header, saved);
        chmod(path.c_str(), 0755);
    }

    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

private:
    std::string path;
    __user_cap_header_struct header {};
    __user_cap_data_struct saved[2] {};
};
