// Mode files for stand-in pipelines built from sed, which the service runs
// with -z, so that they flush at each NUL like Apertium's programs do: one
// that echoes, one that never answers, one that answers nothing.
#pragma once

#include "tests/support/TemporaryFolder.h"

#include <fstream>
#include <string>

namespace service_test {

class FakeModes {
public:
    FakeModes()
    {
        AddDirection("echo", "sed -u ''");
        AddDirection("silent", "sed -u -n ''");
        AddDirection("empty", "sed -u 's/.*//'");
    }

    std::string Folder() const { return folder_.Path(); }
    std::string Echo() const { return File("echo"); }
    std::string Silent() const { return File("silent"); }
    std::string Empty() const { return File("empty"); }
    std::string File(const std::string& name) const { return folder_.File(name + ".mode"); }

    // Adds a mode file named for a direction, for example "eng-spa".
    void AddDirection(const std::string& name, const std::string& command) const
    {
        std::ofstream(File(name)) << command << "\n";
    }

private:
    TemporaryFolder folder_;
};

} // namespace service_test
