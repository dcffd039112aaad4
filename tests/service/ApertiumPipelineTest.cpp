#include "service/ApertiumPipeline.h"

#include "FakeModes.h"

#include <gtest/gtest.h>

#include <signal.h>

using namespace std::chrono_literals;
using service::ApertiumPipeline;

namespace {

bool GroupIsAlive(pid_t group)
{
    return group > 0 && kill(-group, 0) == 0;
}

} // namespace

class Pipeline : public testing::Test {
protected:
    service_test::FakeModes modes;
};

TEST_F(Pipeline, StartsOnFirstUseAndStaysForTheNext)
{
    ApertiumPipeline pipeline(modes.Echo());
    EXPECT_EQ(pipeline.ProcessGroup(), 0);
    EXPECT_EQ(pipeline.Translate("first[]", 5s), "first[]");
    const pid_t group = pipeline.ProcessGroup();
    EXPECT_TRUE(GroupIsAlive(group));
    EXPECT_EQ(pipeline.Translate("second[]", 5s), "second[]");
    EXPECT_EQ(pipeline.ProcessGroup(), group);
}

TEST_F(Pipeline, ALongRequestDoesNotDeadlockOnTheReplyPipe)
{
    ApertiumPipeline pipeline(modes.Echo());
    const std::string stream = std::string(3 * 1024 * 1024, 'x') + "[]";
    const auto reply = pipeline.Translate(stream, 20s);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->size(), stream.size());
}

TEST_F(Pipeline, ASilentPipelineTimesOutAndIsKilled)
{
    ApertiumPipeline pipeline(modes.Silent());
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(pipeline.Translate("anything[]", 300ms));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
    EXPECT_EQ(pipeline.ProcessGroup(), 0);
}

TEST_F(Pipeline, AnEmptyAnswerCountsAsFailure)
{
    ApertiumPipeline pipeline(modes.Empty());
    EXPECT_FALSE(pipeline.Translate("anything[]", 5s));
    EXPECT_EQ(pipeline.ProcessGroup(), 0);
}

TEST_F(Pipeline, AKilledPipelineIsStartedAgainForTheNextRequest)
{
    ApertiumPipeline pipeline(modes.Echo());
    ASSERT_TRUE(pipeline.Translate("one[]", 5s));
    const pid_t group = pipeline.ProcessGroup();
    ASSERT_EQ(kill(-group, SIGKILL), 0);
    EXPECT_EQ(pipeline.Translate("two[]", 5s), "two[]");
    EXPECT_NE(pipeline.ProcessGroup(), group);
}

TEST_F(Pipeline, APipelineThatDiesAfterAnsweringServesEveryRequest)
{
    ApertiumPipeline pipeline(modes.Once());
    for (const std::string request : { "a[]", "b[]", "c[]" })
        EXPECT_EQ(pipeline.Translate(request, 5s), request);
}

TEST_F(Pipeline, AMissingModeFileFailsWithoutHanging)
{
    ApertiumPipeline pipeline(modes.Folder() + "missing.mode");
    EXPECT_FALSE(pipeline.Translate("a[]", 5s));
}

TEST_F(Pipeline, IdleStopEndsOnlyAnUnusedPipeline)
{
    ApertiumPipeline pipeline(modes.Echo());
    ASSERT_TRUE(pipeline.Translate("a[]", 5s));
    const pid_t group = pipeline.ProcessGroup();
    pipeline.StopIfIdle(1h);
    EXPECT_EQ(pipeline.ProcessGroup(), group);
    pipeline.StopIfIdle(0s);
    EXPECT_EQ(pipeline.ProcessGroup(), 0);
    EXPECT_FALSE(GroupIsAlive(group));
}

TEST_F(Pipeline, StoppingKillsEveryProgramOfTheGroup)
{
    ApertiumPipeline pipeline(modes.Echo());
    ASSERT_TRUE(pipeline.Translate("a[]", 5s));
    const pid_t group = pipeline.ProcessGroup();
    pipeline.Stop();
    EXPECT_FALSE(GroupIsAlive(group));
}
