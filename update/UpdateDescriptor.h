// The update descriptor installed beside the program (or in its data folder), the version file it
// points to and the what's-new file beside that. Each value sits on one line
// between an opening and a closing tag, for example
// <Version>1.10.01</Version>.
#pragma once

#include <string>

struct UpdateDescriptor {
    std::string WebPage;
    std::string VersionFileRemote;
    std::string Version;
};

// Reads the first "*.qvupdate" file (by name, in byte order) in programDir,
// or, when programDir holds none, in the installed data folder
// programDir/../share/tornalo/; every value is empty when there is none or it
// lacks the tag pair. The last line holding a tag pair wins.
UpdateDescriptor ReadUpdateDescriptor(const std::string& programDir);

struct TagValue {
    bool found = false;
    std::string value;
};

// Reads key from a local file; the first line holding its tag pair wins.
TagValue ReadTagValue(const std::string& path, const std::string& key);

// Where the what's-new file lies, given the address the version file was
// finally downloaded from and the version file's "WhatsNewFile" value; ""
// when that value is "none".
std::string WhatsNewAddress(const std::string& effective, const std::string& whatsNewFile);

// The part of a what's-new text that describes the versions after the
// installed one, whether the entries are listed newest or oldest first.
std::string ExtractWhatsNew(
    const std::string& text, const std::string& local, const std::string& remote);
