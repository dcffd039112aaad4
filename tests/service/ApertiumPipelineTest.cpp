#include "service/ApertiumPipeline.h"

#include "FakeModes.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>

using namespace std::chrono_literals;
using service::ApertiumPipeline;
using Segments = std::vector<std::string>;

namespace {

// A process, or with a negative number a process group.
bool IsAlive(pid_t process)
{
    return process != 0 && kill(process, 0) == 0;
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
    EXPECT_EQ(pipeline.Translate({ "first[]" }, 5s), (Segments { "first[]" }));
    const pid_t group = pipeline.ProcessGroup();
    EXPECT_TRUE(IsAlive(-group));
    EXPECT_EQ(
        pipeline.Translate({ "second[]", "third[]" }, 5s), (Segments { "second[]", "third[]" }));
    EXPECT_EQ(pipeline.ProcessGroup(), group);
    EXPECT_EQ(pipeline.Starts(), 1u);
}

// Apertium holds back a segment's last word until the formatting after it.
TEST_F(Pipeline, ARealPipelineAnswersItsWarmUpText)
{
    const std::string mode = "/usr/share/apertium/modes/eng-spa.mode";
    if (!std::filesystem::exists(mode))
        GTEST_SKIP() << "no Apertium pair eng-spa here";
    ApertiumPipeline pipeline(mode, 30s);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(pipeline.WarmUp());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
    EXPECT_EQ(pipeline.Starts(), 1u);
}

TEST_F(Pipeline, EveryProgramOfTheModeRunsInOrder)
{
    modes.AddDirection("eng-spa", "sed -u 's/a/b/g' | sed -u 's/b/c/g' | sed -u 's/c/[&]/g'");
    ApertiumPipeline pipeline(modes.File("eng-spa"));
    EXPECT_EQ(pipeline.Translate({ "abc", "xyz" }, 5s), (Segments { "[c][c][c]", "xyz" }));
    EXPECT_EQ(pipeline.Processes().size(), 3u);
}

TEST_F(Pipeline, ALongRequestDoesNotDeadlockOnTheReplyPipe)
{
    ApertiumPipeline pipeline(modes.Echo());
    const Segments segments(3, std::string(100 * 1024, 'x') + "[]");
    const auto reply = pipeline.Translate(segments, 60s);
    ASSERT_TRUE(reply);
    EXPECT_EQ(*reply, segments);
}

TEST_F(Pipeline, ASilentPipelineTimesOutAndIsKilled)
{
    ApertiumPipeline pipeline(modes.Silent());
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(pipeline.Translate({ "anything[]" }, 300ms));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
    EXPECT_EQ(pipeline.ProcessGroup(), 0);
}

TEST_F(Pipeline, AFreshPipelineHasTimeToLoadBeforeItsFirstAnswer)
{
    modes.AddDirection("slow-start", "sed -u '1e sleep 1'");
    EXPECT_FALSE(ApertiumPipeline(modes.File("slow-start")).Translate({ "first[]" }, 300ms));
    ApertiumPipeline pipeline(modes.File("slow-start"), 5s);
    EXPECT_EQ(pipeline.Translate({ "first[]" }, 300ms), (Segments { "first[]" }));
    EXPECT_EQ(pipeline.Translate({ "warm[]" }, 300ms), (Segments { "warm[]" }));
}

TEST_F(Pipeline, AnEmptyAnswerCountsAsFailure)
{
    ApertiumPipeline pipeline(modes.Empty());
    EXPECT_FALSE(pipeline.Translate({ "anything[]" }, 5s));
    EXPECT_EQ(pipeline.ProcessGroup(), 0);
}

// Each program killed while the pipeline waits for work, or just before the
// request: the request is still answered, by a pipeline started afresh.
TEST_F(Pipeline, ADeadProgramAnywhereIsReplacedWithinTheRequest)
{
    modes.AddDirection("eng-spa", "sed -u 's/a/b/' | sed -u '' | sed -u 's/b/c/'");
    ApertiumPipeline pipeline(modes.File("eng-spa"));
    for (const auto pause : { 100ms, 0ms }) {
        for (std::size_t program = 0; program < 3; ++program) {
            ASSERT_EQ(pipeline.Translate({ "warm" }, 5s), (Segments { "wcrm" }));
            const std::vector<pid_t> processes = pipeline.Processes();
            ASSERT_EQ(processes.size(), 3u);
            ASSERT_EQ(kill(processes[program], SIGKILL), 0);
            std::this_thread::sleep_for(pause);
            EXPECT_EQ(pipeline.Translate({ "a", "ab" }, 5s), (Segments { "c", "cb" }))
                << "program " << program << " killed";
            EXPECT_FALSE(IsAlive(processes[program == 0 ? 1 : 0]));
        }
    }
}

// The programs after one that dies end their output at once, each with a
// NUL of its own: that is no reply.
TEST_F(Pipeline, OutputEndedByADyingProgramIsNoReply)
{
    modes.AddDirection("eng-spa", "sed -u '/die/q' | sed -u '$s/$/\\x00/'");
    ApertiumPipeline pipeline(modes.File("eng-spa"));
    EXPECT_FALSE(pipeline.Translate({ "die now", "second" }, 5s));
    EXPECT_EQ(pipeline.ProcessGroup(), 0);
}

TEST_F(Pipeline, AMissingModeFileFailsWithoutHanging)
{
    ApertiumPipeline pipeline(modes.Folder() + "missing.mode");
    EXPECT_FALSE(pipeline.Translate({ "a[]" }, 5s));
}

TEST_F(Pipeline, AModeNamingAMissingProgramFailsAndLeavesNothingRunning)
{
    modes.AddDirection("eng-spa", "sed -u '' | no-such-program-here | sed -u ''");
    ApertiumPipeline pipeline(modes.File("eng-spa"));
    EXPECT_FALSE(pipeline.Translate({ "a[]" }, 5s));
    EXPECT_EQ(pipeline.ProcessGroup(), 0);
    EXPECT_TRUE(pipeline.Processes().empty());
}

TEST_F(Pipeline, IdleStopEndsOnlyAnUnusedPipeline)
{
    ApertiumPipeline pipeline(modes.Echo());
    ASSERT_TRUE(pipeline.Translate({ "a[]" }, 5s));
    const pid_t group = pipeline.ProcessGroup();
    pipeline.StopIfIdle(1h);
    EXPECT_EQ(pipeline.ProcessGroup(), group);
    pipeline.StopIfIdle(0s);
    EXPECT_EQ(pipeline.ProcessGroup(), 0);
    EXPECT_FALSE(IsAlive(-group));
}

TEST_F(Pipeline, StoppingKillsEveryProgramOfTheGroup)
{
    modes.AddDirection("eng-spa", "sed -u '' | sed -u ''");
    ApertiumPipeline pipeline(modes.File("eng-spa"));
    ASSERT_TRUE(pipeline.Translate({ "a[]" }, 5s));
    const std::vector<pid_t> processes = pipeline.Processes();
    pipeline.Stop();
    for (const pid_t process : processes)
        EXPECT_FALSE(IsAlive(process));
}
