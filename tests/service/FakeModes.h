// Mode files for stand-in pipelines built from sed, which flush at each NUL
// like Apertium's programs do: one that echoes, one that never answers, one
// that answers nothing, one that dies after its first answer.
#pragma once

#include "tests/support/TemporaryFolder.h"

#include <fstream>
#include <string>

namespace service_test {

class FakeModes {
public:
    FakeModes()
    {
        Write("echo", "sed -u ''");
        Write("silent", "sed -u -n ''");
        Write("empty", "sed -u 's/.*//'");
        Write("once", "sed -u q");
    }

    std::string Folder() const { return folder_.Path(); }
    std::string Echo() const { return folder_.File("echo.mode"); }
    std::string Silent() const { return folder_.File("silent.mode"); }
    std::string Empty() const { return folder_.File("empty.mode"); }
    std::string Once() const { return folder_.File("once.mode"); }

    // Adds a mode file named for a direction, for example "eng-spa".
    void AddDirection(const std::string& name, const std::string& command) const
    {
        std::ofstream(folder_.File(name + ".mode")) << command << "\n";
    }

private:
    void Write(const std::string& name, const std::string& command) const
    {
        std::ofstream(folder_.File(name + ".mode")) << command << "\n";
    }

    TemporaryFolder folder_;
};

} // namespace service_test
