// TrsStreamData: where the file lives, reading it whole and replacing it
// whole, and the buffered writer of the text formats.
#include "settings/rsStreamData.h"

#include "platform/OwnFiles.h"
#include "text/FileNames.h"
#include "text/WholeFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t WriteBufferSize = 4096;

std::string FolderPart(std::string_view path)
{
    return std::string(text::FolderPart(path));
}

std::string FilePart(std::string_view path)
{
    return std::string(text::FileNamePart(path));
}

void EndWithSeparator(std::string& folder)
{
    if (!folder.empty() && !text::IsFolderSeparator(folder.back()))
        folder += '/';
}

std::string ExecutablePath()
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, length) : std::string();
}

std::string UserConfigFolder()
{
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        return config;
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.config";
    return {};
}

std::string ErrorText(int error)
{
    return std::strerror(error);
}

bool FileExists(const std::string& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

std::string ReadWholeFile(const std::string& path)
{
    std::optional<std::string> image = text::ReadWholeFile(path);
    if (!image)
        throw FileOpenError("Cannot open file \"" + path + "\". " + ErrorText(errno));
    return std::move(*image);
}

mode_t NewFileMode(const std::string& path)
{
    struct stat status;
    if (stat(path.c_str(), &status) == 0)
        return status.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// A symbolic link keeps pointing at the settings: its target is replaced, as
// long as the link and its target are the user's own.
std::string ResolvedTarget(const std::string& path)
{
    struct stat status;
    if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
        return path;
    return platform::FinalTarget(path);
}

[[noreturn]] void RaiseCreate(const std::string& path, const std::string& reason)
{
    throw FileCreateError("Cannot create file \"" + path + "\". " + reason);
}

[[noreturn]] void RaiseCreate(const std::string& path, int error)
{
    RaiseCreate(path, ErrorText(error));
}

// Read-only as its owner or its group would see it; the file-access override
// of root does not count, since it would replace a file that was made
// read-only on purpose.
bool IsReadOnly(const std::string& path)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return false;
    return (status.st_mode & 0222) == 0 || faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

std::string WithoutFinalSeparator(std::string folder)
{
    if (folder.empty())
        return ".";
    if (folder.size() > 1 && text::IsFolderSeparator(folder.back()))
        folder.pop_back();
    return folder;
}

bool MayWriteIn(const std::string& folder)
{
    return faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::string CreationRefusal(const std::string& folder, int error)
{
    return "The folder " + folder + " cannot be created (" + ErrorText(error) + ").";
}

// A folder that does not exist yet is made before the file is written, which
// its nearest existing parent must allow.
std::string MissingFolderRefusal(const std::string& folder)
{
    std::string parent = folder;
    for (;;) {
        const std::string next = WithoutFinalSeparator(FolderPart(parent));
        if (next == parent)
            return {};
        parent = next;
        if (MayWriteIn(parent))
            return {};
        if (errno != ENOENT)
            return CreationRefusal(folder, errno);
    }
}

std::string FolderRefusal(const std::string& folder)
{
    const std::string name = WithoutFinalSeparator(folder);
    if (MayWriteIn(name))
        return {};
    if (errno == ENOENT)
        return MissingFolderRefusal(name);
    return "The folder " + name + " cannot be written to (" + ErrorText(errno) + ").";
}

// Only a regular file is replaced: a folder or a device in its place would
// be lost, and would not take the settings anyway.
std::string KindRefusal(const std::string& path)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || S_ISREG(status.st_mode))
        return {};
    if (S_ISDIR(status.st_mode))
        return "It is a folder, not a file, so it is left as it is.";
    return "It is not an ordinary file, so it is left as it is.";
}

std::string ReplaceRefusal(const std::string& requested)
{
    if (const std::string link = platform::ForeignLinkReason(requested); !link.empty())
        return link + ", so it is left as it is.";
    const std::string path = ResolvedTarget(requested);
    if (const std::string kind = KindRefusal(path); !kind.empty())
        return kind;
    if (IsReadOnly(path))
        return "The file is read-only, so it is left as it is.";
    return FolderRefusal(FolderPart(path));
}

// The new image goes to a temporary file beside the old one, which is
// flushed to disk and renamed over it: a crash or a full disk during the
// save leaves the old file as it was.
void ReplaceFile(const std::string& requested, std::string_view image)
{
    if (const std::string refusal = ReplaceRefusal(requested); !refusal.empty())
        RaiseCreate(requested, refusal);
    const std::string path = ResolvedTarget(requested);
    std::string temporary = path + ".XXXXXX";
    const int file = mkostemp(temporary.data(), O_CLOEXEC);
    if (file < 0)
        RaiseCreate(requested, errno);
    const bool written = fchmod(file, NewFileMode(path)) == 0 && platform::WriteWhole(file, image)
        && fsync(file) == 0;
    const int error = errno;
    if (close(file) != 0 || !written) {
        unlink(temporary.c_str());
        RaiseCreate(requested, written ? errno : error);
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        unlink(temporary.c_str());
        RaiseCreate(requested, renameError);
    }
    std::string folder = FolderPart(path);
    const int directory
        = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        fsync(directory);
        close(directory);
    }
}

} // namespace

TrsStreamData::TrsStreamData(std::string defaultExtension)
    : defaultExtension_(std::move(defaultExtension))
{
}

std::string TrsStreamData::GetFileName() const
{
    std::string base;
    switch (FileDir) {
    case fdCustom:
        base = FolderPart(FileName);
        break;
    case fdApplication:
        base = FolderPart(ExecutablePath());
        break;
    case fdWindows:
        base = "/etc";
        break;
    case fdUserProfile:
        base = UserConfigFolder();
        break;
    }
    EndWithSeparator(base);
    // A file name from the root ("/...") gives only its file part.
    const bool fromRoot = !FileName.empty() && text::IsFolderSeparator(FileName[0]);
    if (FileDir != fdCustom && !FileName.empty() && !fromRoot) {
        base += FolderPart(FileName);
        EndWithSeparator(base);
    }
    std::string file = (Options & doAutoName) ? FilePart(ExecutablePath()) : FilePart(FileName);
    file.erase(0, file.find_first_not_of('\\'));
    const std::string extension(text::ExtensionPart(FileName));
    std::string path
        = text::ChangeExtension(base + file, extension.empty() ? defaultExtension_ : extension);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

std::string TrsStreamData::SaveRefusal() const
{
    return ReplaceRefusal(GetFileName());
}

std::string TrsStreamData::CheckCreateDirs(std::string_view folder)
{
    for (std::size_t i = 1; i <= folder.size(); ++i) {
        if (i < folder.size() && !text::IsFolderSeparator(folder[i]))
            continue;
        if (mkdir(std::string(folder.substr(0, i)).c_str(), 0777) != 0 && errno != EEXIST)
            return CreationRefusal(WithoutFinalSeparator(std::string(folder)), errno);
    }
    return {};
}

void TrsStreamData::InternalLoad()
{
    std::string image;
    bool doStandard = true;
    if (OnLoadFromStream) {
        doStandard = false;
        OnLoadFromStream(this, image, doStandard);
    }
    if (doStandard) {
        const std::string path = GetFileName();
        const bool exists = FileExists(path);
        if (InternalFileLoad == iflAlways || (InternalFileLoad == iflNoRealFile && !exists))
            image = InternalFile;
        else if (exists)
            image = ReadWholeFile(path);
    }
    if (!image.empty())
        LoadFromStream(image);
}

void TrsStreamData::InternalSave()
{
    std::string image;
    SaveToStream(image);
    output_ = nullptr;
    bool doStandard = true;
    if (OnSaveToStream) {
        doStandard = false;
        OnSaveToStream(this, image, doStandard);
    }
    if (!doStandard)
        return;
    const std::string path = GetFileName();
    if (Options & doAutoCreateDir) {
        if (const std::string failure = CheckCreateDirs(FolderPart(path)); !failure.empty())
            RaiseCreate(path, failure);
    }
    ReplaceFile(path, image);
}

void TrsStreamData::LoadFromStream(std::string_view) { }

void TrsStreamData::SaveToStream(std::string& image)
{
    output_ = &image;
}

void TrsStreamData::BufferClear()
{
    buffer_.clear();
    buffer_.reserve(WriteBufferSize);
}

void TrsStreamData::BufferWrite(const char* bytes, std::size_t count)
{
    if (buffer_.size() + count > WriteBufferSize)
        BufferFlush();
    if (count >= WriteBufferSize)
        output_->append(bytes, count);
    else
        buffer_.append(bytes, count);
}

void TrsStreamData::BufferWriteStr(std::string_view text)
{
    BufferWrite(text.data(), text.size());
}

void TrsStreamData::BufferWriteEOL()
{
    BufferWrite("\r\n", 2);
}

void TrsStreamData::BufferFlush()
{
    if (output_)
        output_->append(buffer_);
    buffer_.clear();
}
