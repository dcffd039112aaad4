#include "platform/InternetReply.h"

#include <gtest/gtest.h>

using platform::InternetReply;

class InternetReplyTest : public testing::Test {
protected:
    bool Feed(std::initializer_list<const char*> lines)
    {
        bool complete = false;
        for (const char* line : lines)
            complete = reply.AddLine(line);
        return complete;
    }

    InternetReply reply;
};

TEST_F(InternetReplyTest, EmptyLineClosesTheHeaders)
{
    EXPECT_FALSE(Feed({ "HTTP/1.1 200 OK\r\n", "Content-Type: text/html\r\n" }));
    EXPECT_FALSE(reply.Complete());
    EXPECT_TRUE(Feed({ "\r\n" }));
    EXPECT_TRUE(reply.Complete());
    EXPECT_EQ(reply.StatusCode(), 200);
    EXPECT_EQ(reply.Header("content-type"), "text/html");
}

TEST_F(InternetReplyTest, NewStatusLineStartsAfresh)
{
    Feed({ "HTTP/1.1 100 Continue\r\n", "X-Old: 1\r\n", "\r\n", "HTTP/1.1 404 Not Found\r\n",
        "\r\n" });
    EXPECT_EQ(reply.StatusCode(), 404);
    EXPECT_FALSE(reply.Header("X-Old"));
    EXPECT_EQ(reply.Raw(), "HTTP/1.1 404 Not Found\r\n\r\n");
}

TEST_F(InternetReplyTest, ValuesAreTrimmedAndEmptyOnesKept)
{
    Feed({ "HTTP/1.1 200 OK\r\n", "X-Padded:   value  \r\n", "X-Empty:\r\n", "\r\n" });
    EXPECT_EQ(reply.Header("X-Padded"), "value");
    EXPECT_EQ(reply.Header("X-Empty"), "");
    EXPECT_FALSE(reply.Header("X-Missing"));
}

TEST_F(InternetReplyTest, FirstOfRepeatedHeadersIsAnswered)
{
    Feed({ "HTTP/1.1 401 Unauthorized\r\n", "WWW-Authenticate: Basic realm=\"a\"\r\n",
        "WWW-Authenticate: Digest realm=\"b\"\r\n", "\r\n" });
    EXPECT_EQ(reply.Header("WWW-Authenticate"), "Basic realm=\"a\"");
}

TEST_F(InternetReplyTest, FoldedLineContinuesTheValue)
{
    Feed({ "HTTP/1.1 200 OK\r\n", "X-Long: first\r\n", "\t second\r\n", "\r\n" });
    EXPECT_EQ(reply.Header("X-Long"), "first second");
}

TEST_F(InternetReplyTest, StatusCodeThatIsNotANumberCountsAsZero)
{
    Feed({ "HTTP/1.1 2x0 Odd\r\n", "\r\n" });
    EXPECT_EQ(reply.StatusCodeText(), "2x0");
    EXPECT_EQ(reply.StatusCode(), 0);
}

TEST_F(InternetReplyTest, StatusLineWithoutReasonStillHasItsCode)
{
    Feed({ "HTTP/1.1 204\r\n", "\r\n" });
    EXPECT_EQ(reply.StatusCodeText(), "204");
    EXPECT_EQ(reply.StatusCode(), 204);
}

TEST_F(InternetReplyTest, NothingBeforeTheStatusLine)
{
    EXPECT_FALSE(reply.HasStatus());
    EXPECT_FALSE(reply.StatusCodeText());
    EXPECT_EQ(reply.Raw(), "");
    Feed({ "Stray: header\r\n", "\r\n" });
    EXPECT_FALSE(reply.Complete());
    EXPECT_FALSE(reply.Header("Stray"));
}

TEST_F(InternetReplyTest, RawHeadersEndEveryLineWithCrLf)
{
    Feed({ "HTTP/1.1 200 OK\n", "A: 1\n", "B: 2\r\n", "\n" });
    EXPECT_EQ(reply.Raw(), "HTTP/1.1 200 OK\r\nA: 1\r\nB: 2\r\n\r\n");
}
