// The file back-end base: TrsStreamData finds the file, reads it whole and
// replaces it whole, and buffers the text the formats derived from it write.
#pragma once

#include "settings/rsStorageData.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

enum TrsStreamFileDir { fdCustom, fdApplication, fdWindows, fdUserProfile };
enum TrsStreamDataOption : unsigned { doAutoName = 1, doAutoCreateDir = 2 };
enum TrsInternalFileLoad { iflNone, iflAlways, iflNoRealFile };

// Raised when the file exists but cannot be read.
class FileOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised when the file cannot be created or replaced, or may not be (see
// SaveRefusal); the old file is kept.
class FileCreateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Lets the owner supply or take the file image; DoStandard asks for the
// file to be read or written as well.
using TrsStreamEvent
    = std::function<void(TrsComponent* Sender, std::string& Image, bool& DoStandard)>;

class TrsStreamData : public TrsStorageData {
public:
    std::string FileName;
    TrsStreamFileDir FileDir = fdApplication;
    unsigned Options = doAutoName;
    // The embedded copy of a file: this port has no stored design, so the
    // copy is supplied in code as the file's bytes.
    std::string InternalFile;
    TrsInternalFileLoad InternalFileLoad = iflNone;
    TrsStreamEvent OnLoadFromStream;
    TrsStreamEvent OnSaveToStream;

    // The full file path.
    std::string GetFileName() const;
    // Why a save could not replace the file now, as sentences ending in a
    // full stop: a link that another user made or that leads to a file of
    // another user's, a folder or device in the file's place, a read-only
    // file, a folder that cannot be written or, when it is missing, made.
    // Empty when it could.
    std::string SaveRefusal() const;
    // Creates every missing folder on the path. Returns why one could not be
    // made, as a sentence that names the whole folder; empty when all are
    // there.
    static std::string CheckCreateDirs(std::string_view folder);

    virtual void LoadFromStream(std::string_view image);
    virtual void SaveToStream(std::string& image);

protected:
    explicit TrsStreamData(std::string defaultExtension);
    void InternalLoad() override;
    void InternalSave() override;

    // The buffered writer of the derived formats.
    void BufferClear();
    void BufferWrite(const char* bytes, std::size_t count);
    void BufferWriteStr(std::string_view text);
    void BufferWriteEOL();
    void BufferFlush();

private:
    std::string defaultExtension_;
    std::string* output_ = nullptr;
    std::string buffer_;
};
