#include "service/ServiceOptions.h"

#include <gtest/gtest.h>

using service::ParseServiceOptions;

namespace {

std::optional<service::ServiceOptions> Parse(const std::vector<std::string>& arguments)
{
    std::string error;
    auto options = ParseServiceOptions(arguments, error);
    EXPECT_EQ(options.has_value(), error.empty()) << error;
    return options;
}

} // namespace

TEST(ServiceOptions, DefaultsToPort8787WithoutIdleExit)
{
    const auto options = Parse({});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->port, 8787);
    EXPECT_EQ(options->idleExitSeconds, 0);
    EXPECT_EQ(options->maxPipelines, 0);
    EXPECT_EQ(options->pipelineIdleSeconds, 240);
    EXPECT_TRUE(options->libreTranslateUrl.empty());
}

TEST(ServiceOptions, ReadsEveryOption)
{
    const auto options = Parse(
        { "--port", "9000", "--idle-exit", "600", "--max-pipelines", "12", "--pipeline-idle", "30",
            "--libretranslate", "http://127.0.0.1:5000", "--libretranslate-key", "k" });
    ASSERT_TRUE(options);
    EXPECT_EQ(options->port, 9000);
    EXPECT_EQ(options->idleExitSeconds, 600);
    EXPECT_EQ(options->maxPipelines, 12);
    EXPECT_EQ(options->pipelineIdleSeconds, 30);
    EXPECT_EQ(options->libreTranslateUrl, "http://127.0.0.1:5000");
    EXPECT_EQ(options->libreTranslateKey, "k");
}

TEST(ServiceOptions, RefusesBadNumbersUnknownOptionsAndMissingValues)
{
    for (const auto& arguments :
        std::vector<std::vector<std::string>> { { "--port", "-1" }, { "--port", "65536" },
            { "--port", "80x" }, { "--idle-exit", "-1" }, { "--max-pipelines", "0" },
            { "--pipeline-idle", "0" }, { "--port" }, { "--verbose" }, { "8787" } })
        EXPECT_FALSE(Parse(arguments)) << arguments[0];
}
