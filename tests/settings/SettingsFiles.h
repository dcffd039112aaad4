// Helpers of the settings tests: a storage joined to an INI back-end whose
// file lies in the test's own temporary folder.
#pragma once

#include "settings/rsIniData.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

inline std::string ReadFileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
}

// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder()
    {
        char pattern[] = "/tmp/settings-test-XXXXXX";
        path_ = mkdtemp(pattern);
        path_ += "/";
    }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

struct IniFile {
    explicit IniFile(const std::string& path)
    {
        ini.FileName = path;
        ini.FileDir = fdCustom;
        ini.Options = 0;
        storage.SetStorageData(&ini);
    }
    // The image the back-end writes for the storage's tree.
    std::string Image()
    {
        std::string image;
        ini.SetStorage(&storage);
        ini.SaveToStream(image);
        return image;
    }
    // Replaces the tree with what the image holds.
    void LoadImage(const std::string& image)
    {
        storage.ClearAll();
        ini.SetStorage(&storage);
        ini.LoadFromStream(image);
        storage.SetRootSection("");
    }
    TrsIniData ini;
    TrsStorage storage;
};
