// What the output file holds while and after the body is written to it.
#include "tests/transfer/HttpFixture.h"

#include <csignal>
#include <sys/resource.h>

namespace {

using Events = std::vector<std::string>;

class OutputFileTest : public HttpFixture {
protected:
    void SetUp() override
    {
        HttpFixture::SetUp();
        http->URL = server.Url("/");
        http->TransferBufferSize = 32000;
        LogCompletionEvents();
    }

    static std::string Done(std::size_t size)
    {
        return "Done(application/octet-stream," + std::to_string(size) + ",null)";
    }
};

// Sizes around the pieces the file is written in; the file held more before.
TEST_F(OutputFileTest, TheBodyReplacesALongerFileExactly)
{
    for (const std::size_t size : { std::size_t(1), std::size_t(32000), std::size_t(262143),
             std::size_t(262145), std::size_t(3 * 1024 * 1024 + 7) }) {
        SCOPED_TRACE(size);
        WriteFileBytes(output, std::string(4 * 1024 * 1024 + 3, 'z'));
        server.Respond(ScriptedResponse::Ok(PatternBytes(size), "application/octet-stream"));
        log.clear();
        EXPECT_EQ(RunToEnd(), (Events { Done(size) }));
        EXPECT_TRUE(ReadFileBytes(output) == PatternBytes(size));
    }
}

TEST_F(OutputFileTest, AtEachProgressTheFileHoldsTheBytesReadSoFar)
{
    const std::string body = PatternBytes(600000);
    server.Respond(ScriptedResponse::Ok(body, "application/octet-stream"));
    WriteFileBytes(output, std::string(700000, 'z'));
    std::vector<std::pair<int, std::string>> seen;
    http->OnProgress
        = [&](TObject*, const std::string&, int, int bytesRead, int, int, std::uint8_t, float,
              TStream*) { seen.emplace_back(bytesRead, ReadFileBytes(output)); };
    EXPECT_EQ(RunToEnd(), (Events { Done(body.size()) }));
    ASSERT_GT(seen.size(), 2u);
    for (const auto& [bytesRead, content] : seen)
        EXPECT_TRUE(content == body.substr(0, std::size_t(bytesRead))) << bytesRead;
}

// A file system that refuses bytes (here a file size limit, as a full disk
// would) ends the transfer as an output-file error, not as a short success.
TEST_F(OutputFileTest, AFileThatRefusesBytesIsAnOutputFileError)
{
    server.Respond(ScriptedResponse::Ok(PatternBytes(2 * 1024 * 1024), "application/octet-stream"));
    rlimit former {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &former), 0);
    const auto formerSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = former;
    limited.rlim_cur = 100000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const Events events = RunToEnd();
    setrlimit(RLIMIT_FSIZE, &former);
    std::signal(SIGXFSZ, formerSignal);
    EXPECT_EQ(events, (Events { "AnyError", "OutputFileError" }));
    EXPECT_LE(ReadFileBytes(output).size(), 100000u);
}

} // namespace
