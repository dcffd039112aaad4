#include "tests/support/TemporaryFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

TemporaryFolder::TemporaryFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tornalo-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern + "/";
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TemporaryFolder::Script(const std::string& name, const std::string& body) const
{
    const std::string path = File(name);
    std::ofstream file(path);
    file << "#!/bin/sh\n" << body;
    file.close();
    if (file.fail())
        return {};
    namespace fs = std::filesystem;
    std::error_code failed;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::replace, failed);
    return failed ? std::string() : path;
}
