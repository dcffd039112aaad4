// What the benchmarks read of running processes from /proc: their
// proportional set size (shared pages counted once across processes) and
// each one's parent and process group.
#pragma once

#include "text/WholeFile.h"

#include <sys/types.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

inline std::string ReadAll(const std::string& path)
{
    return text::ReadWholeFile(path).value_or("");
}

// Of the process whose folder under /proc this is ("/proc/self" for this one).
inline long ProcessKilobytes(const std::string& processFolder)
{
    std::istringstream rollup(ReadAll(processFolder + "/smaps_rollup"));
    for (std::string line; std::getline(rollup, line);) {
        if (line.starts_with("Pss:"))
            return std::stol(line.substr(4));
    }
    return 0;
}

struct ProcessEntry {
    std::string folder;
    pid_t process = 0;
    pid_t parent = 0;
    pid_t group = 0;
};

inline std::vector<ProcessEntry> RunningProcesses()
{
    std::vector<ProcessEntry> processes;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string stat = ReadAll(entry.path().string() + "/stat");
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream fields(stat.substr(close + 2));
        std::string state;
        ProcessEntry process { entry.path().string(), std::stoi(name) };
        fields >> state >> process.parent >> process.group;
        processes.push_back(process);
    }
    return processes;
}
