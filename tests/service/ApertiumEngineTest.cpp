#include "service/ApertiumEngine.h"

#include "FakeModes.h"

#include <gtest/gtest.h>

#include <signal.h>

using namespace std::chrono_literals;
using service::ApertiumEngine;
using service::ApertiumSettings;
using Lines = std::vector<std::string>;

namespace {

bool GroupIsAlive(pid_t group)
{
    return group > 0 && kill(-group, 0) == 0;
}

} // namespace

// Engines over stand-in pipelines, so that what each hop does is known.
class EngineOverFakes : public testing::Test {
protected:
    ApertiumEngine Engine()
    {
        ApertiumSettings settings;
        settings.modeFolders = { modes.Folder() };
        settings.timeout = 2s;
        settings.pipelineIdle = 0s;
        return ApertiumEngine(settings);
    }

    service_test::FakeModes modes;
};

TEST_F(EngineOverFakes, APivotRouteRunsEveryHop)
{
    modes.AddDirection("eng-spa", "sed -u 's/a/b/g'");
    modes.AddDirection("spa-fra", "sed -u 's/b/c/g'");
    ApertiumEngine engine = Engine();
    EXPECT_EQ(engine.Translate("en", "fr", { "banana", "" }), (Lines { "ccncnc", "" }));
    EXPECT_TRUE(GroupIsAlive(engine.PipelineProcessGroup({ "en", "es" })));
    EXPECT_TRUE(GroupIsAlive(engine.PipelineProcessGroup({ "es", "fr" })));
    EXPECT_FALSE(engine.CanTranslate("fr", "en"));
    EXPECT_FALSE(engine.Translate("fr", "en", { "x" }));
}

// Whatever a pipeline does with blanks and breaks, each line comes back as
// one line, with its own edges and no blank it did not have.
TEST_F(EngineOverFakes, EachLineComesBackOnceWithItsOwnBlanks)
{
    modes.AddDirection("eng-spa", "sed -u 's/^/ \\n/; s/e /e  /; s/\\[\\]$/ \\r\\n&/'");
    ApertiumEngine engine = Engine();
    EXPECT_EQ(engine.Translate("en", "es", { "one two", "", "  three \t", "a  b" }),
        (Lines { "one two", "", "  three \t", "a  b" }));
}

// Marks on words the pipeline translates are the user's: they stay.
TEST_F(EngineOverFakes, TheUsersMarksComeBackOnTheTranslatedWords)
{
    modes.AddDirection("eng-spa", "sed -u 's/house/casa/g; s/friends/amigos/; s/home/hogar/'");
    ApertiumEngine engine = Engine();
    EXPECT_EQ(
        engine.Translate("en", "es", { "my #house, @home and *friends* ^ $ [x] a\\b c/d <e> {f}" }),
        (Lines { "my #casa, @hogar and *amigos* ^ $ [x] a\\b c/d <e> {f}" }));
}

// The fake capitalises each segment's start, as Apertium does at the start
// of a sentence: a continued line stays in lower case.
TEST_F(EngineOverFakes, TheLinesOfAParagraphAreTranslatedTogether)
{
    modes.AddDirection("eng-spa", "sed -u 's/^./\\U&/'");
    ApertiumEngine engine = Engine();
    EXPECT_EQ(engine.Translate("en", "es", { "the freedom to", "share and", " ", "change it" }),
        (Lines { "The freedom to", "share and", " ", "Change it" }));
}

TEST_F(EngineOverFakes, ABreakMovedWithAWordStaysBetweenTheSameWords)
{
    modes.AddDirection("eng-spa", "sed -u 's/red\\(\\[.[0-9]*\\]\\)car/car\\1red/'");
    ApertiumEngine engine = Engine();
    EXPECT_EQ(engine.Translate("en", "es", { "the red", "car is", "mine" }),
        (Lines { "the car", "red is", "mine" }));
}

// A paragraph whose breaks come back lost, doubled or out of order, or with
// a line left empty, goes again a line at a time; the others keep their flow.
TEST_F(EngineOverFakes, AParagraphWhoseBreaksDoNotComeBackGoesLineByLine)
{
    for (const std::string change : { "s/one\\[.1\\]/one /", "s/one\\[.1\\]/&[\\n1]/",
             "s/\\[.1\\]and\\[.2\\]/[\\n2]and[\\n1]/", "s/\\[.2\\]it/[\\n2]/" }) {
        modes.AddDirection("eng-spa", "sed -u '" + change + "; s/^./\\U&/'");
        ApertiumEngine engine = Engine();
        EXPECT_EQ(engine.Translate("en", "es", { "one", "and", "it", "", "more", "lines" }),
            (Lines { "One", "And", "It", "", "More", "lines" }))
            << change;
    }
}

TEST_F(EngineOverFakes, BlankTextsNeedNoPipeline)
{
    modes.AddDirection("eng-spa", "sed -u -n ''");
    ApertiumEngine engine = Engine();
    EXPECT_EQ(engine.Translate("en", "es", { " ", "" }), (Lines { " ", "" }));
    EXPECT_EQ(engine.PipelineProcessGroup({ "en", "es" }), 0);
}

TEST_F(EngineOverFakes, IdlePipelinesAreStopped)
{
    modes.AddDirection("eng-spa", "sed -u ''");
    ApertiumEngine engine = Engine();
    ASSERT_TRUE(engine.Translate("en", "es", { "x" }));
    const pid_t group = engine.PipelineProcessGroup({ "en", "es" });
    ASSERT_TRUE(GroupIsAlive(group));
    engine.StopIdlePipelines();
    EXPECT_EQ(engine.PipelineProcessGroup({ "en", "es" }), 0);
    EXPECT_FALSE(GroupIsAlive(group));
    EXPECT_EQ(engine.Translate("en", "es", { "again" }), (Lines { "again" }));
}

TEST_F(EngineOverFakes, TheLeastRecentlyUsedPipelineMakesRoom)
{
    for (const std::string name : { "eng-spa", "eng-fra", "eng-por" })
        modes.AddDirection(name, "sed -u ''");
    ApertiumSettings settings;
    settings.modeFolders = { modes.Folder() };
    settings.maximumLivePipelines = 2;
    ApertiumEngine engine(settings);
    ASSERT_TRUE(engine.Translate("en", "es", { "one" }));
    ASSERT_TRUE(engine.Translate("en", "fr", { "two" }));
    ASSERT_TRUE(engine.Translate("en", "es", { "three" }));
    ASSERT_TRUE(engine.Translate("en", "pt", { "four" }));
    EXPECT_NE(engine.PipelineProcessGroup({ "en", "es" }), 0);
    EXPECT_EQ(engine.PipelineProcessGroup({ "en", "fr" }), 0);
    EXPECT_NE(engine.PipelineProcessGroup({ "en", "pt" }), 0);
}

TEST_F(EngineOverFakes, PairsListEveryReachableTarget)
{
    modes.AddDirection("eng-spa", "sed -u ''");
    modes.AddDirection("spa-eng", "sed -u ''");
    modes.AddDirection("spa-por", "sed -u ''");
    ApertiumEngine engine = Engine();
    const service::LanguagePairs expected = { { "en", { "es", "pt" } }, { "es", { "en", "pt" } } };
    EXPECT_EQ(engine.Pairs(), expected);
}

TEST_F(EngineOverFakes, BulgarianIsReachedThroughCroatianAndMacedonian)
{
    modes.AddDirection("eng-hbs_HR", "sed -u 's/a/b/'");
    modes.AddDirection("eng-hbs_SR", "sed -u ''");
    modes.AddDirection("hbs-mkd", "sed -u 's/b/c/'");
    modes.AddDirection("mkd-bul", "sed -u 's/c/d/'");
    modes.AddDirection("bul-mkd", "sed -u 's/d/e/'");
    modes.AddDirection("mkd-eng", "sed -u 's/e/f/'");
    ApertiumEngine engine = Engine();
    EXPECT_EQ(engine.Route("en", "bg"), (Lines { "en", "hr", "mk", "bg" }));
    EXPECT_EQ(engine.Route("bg", "en"), (Lines { "bg", "mk", "en" }));
    EXPECT_EQ(engine.Translate("en", "bg", { "a" }), (Lines { "d" }));
    EXPECT_EQ(engine.Translate("bg", "en", { "d" }), (Lines { "f" }));
    EXPECT_FALSE(engine.Pairs().contains("mk"));
    EXPECT_FALSE(engine.Pairs().at("en").contains("mk"));
}

TEST_F(EngineOverFakes, DirectionsOfOneModeShareItsPipeline)
{
    modes.AddDirection("hbs-mkd", "sed -u 's/x/y/'");
    modes.AddDirection("mkd-bul", "sed -u ''");
    ApertiumEngine engine = Engine();
    ASSERT_EQ(engine.Translate("hr", "bg", { "x" }), (Lines { "y" }));
    ASSERT_EQ(engine.Translate("sr", "bg", { "x" }), (Lines { "y" }));
    EXPECT_EQ(
        engine.PipelineProcessGroup({ "hr", "mk" }), engine.PipelineProcessGroup({ "sr", "mk" }));
    EXPECT_EQ(engine.PipelineStarts(), 2u);
}

TEST(PipelinesForMemory, ASmallMachineStillRunsARoundTripWithPivots)
{
    constexpr std::uint64_t GiB = 1ull << 30;
    EXPECT_GE(service::PipelinesForMemory(0), 6u);
    EXPECT_GE(service::PipelinesForMemory(8 * GiB), 24u);
    EXPECT_LE(service::PipelinesForMemory(1024 * GiB), 64u);
    EXPECT_GT(service::AvailableMemory(), 0u);
}
