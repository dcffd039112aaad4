#include "service/PipelineScript.h"

#include <gtest/gtest.h>

using service::Command;
using service::CommandsOfPipelineScript;
using Commands = std::vector<Command>;

namespace {

const std::vector<std::string> Arguments = { "-n", "" };

} // namespace

TEST(PipelineScript, SplitsAModesPipelineIntoPrograms)
{
    const std::string script = "lt-proc -z '/usr/share/a b/x.bin' | apertium-tagger -z -g $2 "
                               "'/p/x.prob' | lt-proc -z $1 '/p/gen.bin'\n";
    EXPECT_EQ(CommandsOfPipelineScript(script, Arguments),
        (Commands { { "lt-proc", "-z", "/usr/share/a b/x.bin" },
            { "apertium-tagger", "-z", "-g", "/p/x.prob" },
            { "lt-proc", "-z", "-n", "/p/gen.bin" } }));
}

TEST(PipelineScript, QuotesAndEscapesReadAsTheShellReadsThem)
{
    EXPECT_EQ(
        CommandsOfPipelineScript("sed -z -u '' | sed \"s/\\\"|x/$1/\" a\\ b\"$2\"", Arguments),
        (Commands { { "sed", "-z", "-u", "" }, { "sed", "s/\"|x/-n/", "a b" } }));
    EXPECT_EQ(CommandsOfPipelineScript("cat $3 x$2y", Arguments), (Commands { { "cat", "xy" } }));
}

TEST(PipelineScript, AnythingBeyondAPlainPipelineIsRefused)
{
    for (const std::string script : { "", "a |", "| a", "a || b", "a; rm x", "a > file", "a & b",
             "a $(b)", "a `b`", "a $HOME", "a 'open", "a \"open", "# comment", "a $0", "a \\" })
        EXPECT_FALSE(CommandsOfPipelineScript(script, Arguments)) << script;
}
