// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>

class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    // The folder's path, ending in "/".
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + name; }
    // Writes a shell script of that name, body after its "#!/bin/sh" line,
    // that its owner may run; returns its path, empty when it could not be
    // written.
    std::string Script(const std::string& name, const std::string& body) const;

private:
    std::string path_;
};
