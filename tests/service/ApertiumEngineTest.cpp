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

TEST_F(EngineOverFakes, LinesGoOneByOneWhenThePipelineMovesBreaks)
{
    modes.AddDirection("eng-spa", "sed -u 's/\\[\\\\n\\]/ /g'");
    ApertiumEngine engine = Engine();
    EXPECT_EQ(
        engine.Translate("en", "es", { "one", "  ", "three" }), (Lines { "one", "  ", "three" }));
}

TEST_F(EngineOverFakes, SurvivingUnknownWordMarksAreStripped)
{
    modes.AddDirection("eng-spa", "sed -u 's/w/*w/g; s/qux/#qux/'");
    ApertiumEngine engine = Engine();
    EXPECT_EQ(engine.Translate("en", "es", { "wug qux", "#tag" }), (Lines { "wug qux", "#tag" }));
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
