#include "app/ProgramArguments.h"

#include "ProgramVersion.h"
#include "update/UpdateDescriptor.h"

#include <algorithm>

namespace {

const char* const Usage = "Usage: tornalo [--help | --version]\n"
                          "Opens Tornalo's window: round-trip translation through the languages\n"
                          "you tick. tornalo-cli runs the same plans from a terminal; see\n"
                          "tornalo(1) and tornalo-cli(1).\n";

bool Holds(const std::vector<std::string>& arguments, const char* option)
{
    return std::find(arguments.begin(), arguments.end(), option) != arguments.end();
}

ArgumentAnswer VersionAnswer(const std::string& programDirectory)
{
    const std::string version = ReadUpdateDescriptor(programDirectory).Version;
    if (version.empty())
        return { 1, {},
            "tornalo: no version known: no update descriptor (*.qvupdate) with a <Version> "
            "line lies beside the program or in ../share/tornalo/\n" };
    return { 0, "tornalo " + version + "\n" TORNALO_LICENSE "\n" TORNALO_WARRANTY "\n", {} };
}

} // namespace

std::optional<ArgumentAnswer> AnswerArguments(
    const std::vector<std::string>& arguments, const std::string& programDirectory)
{
    if (Holds(arguments, "--help") || Holds(arguments, "-h"))
        return ArgumentAnswer { 0, Usage, {} };
    if (Holds(arguments, "--version"))
        return VersionAnswer(programDirectory);
    return std::nullopt;
}
