#include "platform/Records.h"

#include "text/AsciiText.h"
#include "text/FileNames.h"

#include <fstream>
#include <utility>

namespace platform {

namespace {

std::string& ChosenFolder()
{
    static std::string folder;
    return folder;
}

// The record's file name: the key's last part. "." and ".." would name a
// folder, never a record.
std::string RecordFileName(std::string_view key)
{
    while (!key.empty() && text::IsFolderSeparator(key.back()))
        key.remove_suffix(1);
    const std::string_view name = text::FileNamePart(key);
    return (name == "." || name == "..") ? std::string() : std::string(name);
}

std::string WithoutCarriageReturn(std::string line)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

} // namespace

std::string RecordsDirectory()
{
    const std::string& folder = ChosenFolder();
    if (folder.empty())
        return "/etc/xdg/tornalo/records/";
    return text::IsFolderSeparator(folder.back()) ? folder : folder + "/";
}

std::string SetRecordsDirectory(std::string folder)
{
    return std::exchange(ChosenFolder(), std::move(folder));
}

std::string ReadRecordValue(const std::string& key, const std::string& name)
{
    const std::string fileName = RecordFileName(key);
    if (fileName.empty())
        return {};
    std::ifstream record(RecordsDirectory() + fileName, std::ios::binary);
    std::string line;
    while (std::getline(record, line)) {
        line = WithoutCarriageReturn(std::move(line));
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos && text::SameText(text::Trim(line.substr(0, equals)), name))
            return line.substr(equals + 1);
    }
    return {};
}

} // namespace platform
