// The web half of the update check: downloading the published version file
// (following its overrides), comparing versions and fetching what is new.
// Every routine reports through its result and the status text; none throws.
#pragma once

#include <string>

enum VersionCheck : int {
    CheckFailed = -1, // the status text says why
    SameVersion = 0,
    NewerAvailable = 1, // a newer version is published
    InstalledNewer = 2, // the installed version is newer than the published one
};

// Downloads the version file at versionAddress, compares its "Program_Version"
// with localVersion and, when a newer version exists, fetches the what's-new
// text. An "Override_WebPage" in the version file replaces WebPage.
int CheckWebVersion(const std::string& productName, const std::string& versionAddress,
    const std::string& localVersion, std::string& WebPage, std::string& status,
    std::string& remoteVersion, std::string& whatsNew);

// Downloads address, following "Override_VersionFileRemote" up to ten times.
// effective is the address finally downloaded, localFile its local copy.
// Returns 1, or -1 with the status text set.
int DownloadVersionFile(const std::string& productName, const std::string& address,
    std::string& effective, std::string& status, std::string& localFile);

// Compares dotted versions component by component as numbers, so 1.9 is
// older than 1.10 and 1.10.01 equals 1.10.1.
int CompareVersions(const std::string& productName, const std::string& localVersion,
    const std::string& remoteVersion, std::string& status);

// Fills whatsNew with the entries newer than localVersion; leaves it alone
// when there is no what's-new file or it cannot be had.
void FetchWhatsNew(const std::string& productName, const std::string& effective,
    const std::string& whatsNewFile, const std::string& localVersion,
    const std::string& remoteVersion, std::string& whatsNew);

// Downloads a text file and returns at most limit bytes of it, up to the
// first NUL, in text. Returns 1, or -1 when the download failed.
int DownloadTextFile(const std::string& productName, const std::string& address, std::string& text,
    std::size_t limit, bool deleteAfter);
