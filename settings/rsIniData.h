// The file back-ends: TrsStreamData finds the file, reads it whole and
// replaces it whole; TrsIniData defines the INI text format whose values
// show their type in the way they are written.
#pragma once

#include "settings/rsLoadFaults.h"
#include "settings/rsStorage.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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
    // another user's, a read-only file, a folder that cannot be written.
    // Empty when it could.
    std::string SaveRefusal() const;
    // Creates every missing folder on the path; failures are ignored.
    static void CheckCreateDirs(std::string_view folder);

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

enum TrsIniCompactOption : unsigned { coHexStr = 1 };

class TrsIniData : public TrsStreamData {
public:
    TrsIniData();

    unsigned CompactOptions = 0;
    std::vector<std::string> Template { "%BODY%" };
    bool FixedDateTimeFormat = false;

    void LoadFromStream(std::string_view image) override;
    void SaveToStream(std::string& image) override;
    // Whether the template differs from its default and so belongs in a
    // stored design.
    bool IsTemplateStored() const;

    static std::string EncodeText(std::string_view text);
    static std::string DecodeText(std::string_view value);

    // What the last load met that it could not use. A line it cannot use is
    // left out, a value that does not parse is not stored (its key keeps
    // whatever default its reader has), and reading goes on.
    const TrsLoadFaults& LoadFaults() const { return loadFaults_; }
    // The line from which the last load read a key, by the key's full name
    // ("\Section\Key", any case); 0 when the load did not read it.
    int KeyLine(std::string_view fullName) const;

protected:
    void InternalLoad() override;

private:
    std::string TemplateText() const;
    bool HasTemplatePrefix() const;
    void WriteSection(const TrsStorage& storage, int sectionIndex);
    void WriteValue(const TrsKeyRecord& key);

    TrsLoadFaults loadFaults_;
    std::unordered_map<std::string, int> keyLines_;
};
