// Scopes that point the update check's surroundings at a test: its download
// cache, its records folder, and recorders for the message boxes, dialogs and
// shell requests it would have shown or made.
#pragma once

#include "platform/Records.h"
#include "platform/Shell.h"
#include "platform/UserInterface.h"
#include "tests/support/TemporaryFolder.h"
#include "update/UpdateDialog.h"

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Downloads land in a folder of the test's own instead of the user's cache.
class CacheFolderScope {
public:
    CacheFolderScope()
    {
        if (const char* value = std::getenv("XDG_CACHE_HOME"))
            previous_ = value;
        setenv("XDG_CACHE_HOME", folder_.Path().c_str(), 1);
    }
    ~CacheFolderScope()
    {
        if (previous_)
            setenv("XDG_CACHE_HOME", previous_->c_str(), 1);
        else
            unsetenv("XDG_CACHE_HOME");
    }
    CacheFolderScope(const CacheFolderScope&) = delete;
    CacheFolderScope& operator=(const CacheFolderScope&) = delete;

    std::string Folder() const { return folder_.Path() + "tornalo/"; }

private:
    TemporaryFolder folder_;
    std::optional<std::string> previous_;
};

class RecordsFolderScope {
public:
    RecordsFolderScope() : previous_(platform::SetRecordsDirectory(folder_.Path())) { }
    ~RecordsFolderScope() { platform::SetRecordsDirectory(previous_); }
    RecordsFolderScope(const RecordsFolderScope&) = delete;
    RecordsFolderScope& operator=(const RecordsFolderScope&) = delete;

    void Write(const std::string& name, const std::string& text) const
    {
        WriteFile(folder_.File(name), text);
    }

private:
    TemporaryFolder folder_;
    std::string previous_;
};

class MessageBoxRecorder {
public:
    MessageBoxRecorder()
        : previous_(platform::SetMessageBoxHandler([this](const platform::MessageRequest& request) {
              shown.push_back(request);
              return platform::IdOk;
          }))
    {
    }
    ~MessageBoxRecorder() { platform::SetMessageBoxHandler(previous_); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    std::vector<platform::MessageRequest> shown;

private:
    platform::MessageBoxHandler previous_;
};

class DialogRecorder {
public:
    DialogRecorder()
        : previous_(SetUpdateDialogHandler([this](const UpdateDialogTexts& texts) {
              shown.push_back(texts);
              return static_cast<int>(endByDone);
          }))
    {
    }
    ~DialogRecorder() { SetUpdateDialogHandler(previous_); }
    DialogRecorder(const DialogRecorder&) = delete;
    DialogRecorder& operator=(const DialogRecorder&) = delete;

    std::vector<UpdateDialogTexts> shown;

private:
    UpdateDialogHandler previous_;
};

class ShellRecorder {
public:
    ShellRecorder()
        : previous_(platform::SetShellHandler([this](const platform::ShellRequest& request) {
              opened.push_back(request);
              return true;
          }))
    {
    }
    ~ShellRecorder() { platform::SetShellHandler(previous_); }
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;

    std::vector<platform::ShellRequest> opened;

private:
    platform::ShellHandler previous_;
};
