// Another user than the one running the tests, to plant files as someone
// else would in a folder that everyone may write to. Only root can give a
// file to another user; run by root, the tests make that user themselves
// when it does not exist yet. Elsewhere Reason() says why there is none.
#pragma once

#include <cstdlib>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

class ForeignUser {
public:
    ForeignUser()
    {
        if (geteuid() != 0) {
            reason_
                = "the tests do not run as root, and only root can plant a file as another user";
            return;
        }
        const passwd* entry = getpwnam(Name);
        if (!entry
            && std::system("useradd --system --no-create-home --shell /usr/sbin/nologin "
                           "tornalo-probe >/dev/null 2>&1")
                == 0)
            entry = getpwnam(Name);
        if (!entry) {
            reason_ = "the user tornalo-probe could not be made with useradd";
            return;
        }
        uid_ = entry->pw_uid;
        gid_ = entry->pw_gid;
    }

    bool Available() const { return reason_.empty(); }
    const std::string& Reason() const { return reason_; }

    // The command line that runs program as this user: setpriv with the
    // user's ids and no other groups.
    std::vector<std::string> AsThisUser(const std::string& program) const
    {
        return { "setpriv", "--reuid=" + std::to_string(uid_), "--regid=" + std::to_string(gid_),
            "--clear-groups", program };
    }

    // Gives the file, or the link itself, to this user.
    bool Owns(const std::string& path) const { return lchown(path.c_str(), uid_, gid_) == 0; }

    // Makes folder one that everyone may write to, in which only the owner
    // of a file may remove it: what /tmp is.
    static bool MakeShared(const std::string& folder) { return chmod(folder.c_str(), 01777) == 0; }

private:
    static constexpr const char* Name = "tornalo-probe";
    std::string reason_;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
};
