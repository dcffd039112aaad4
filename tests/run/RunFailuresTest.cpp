// What a failed step's message names, and what a reply page tells of its hop.
#include "run/RunFailures.h"
#include "run/HopDetails.h"

#include <gtest/gtest.h>

namespace {

using platform::InternetError;

struct FailureCase {
    const char* name;
    StepFailure step;
    std::string message;
};

void PrintTo(const FailureCase& failure, std::ostream* out)
{
    *out << failure.name;
}

StepFailure Step(int status, bool cutOff = false, InternetError code = InternetError::None,
    std::string text = {}, std::uint32_t receiveTimeout = 0)
{
    return { "http://localhost:8787", "en", "fr", status, cutOff, { code, std::move(text) },
        receiveTimeout, false, {} };
}

class StepFailureMessages : public testing::TestWithParam<FailureCase> { };

TEST_P(StepFailureMessages, NameTheirCause)
{
    EXPECT_EQ(StepFailureMessage(GetParam().step), GetParam().message);
}

const std::string EnglishToFrench = "English \u2192 French";

INSTANTIATE_TEST_SUITE_P(Causes, StepFailureMessages,
    testing::Values(FailureCase { "NothingKnown", Step(0), "Error." },
        FailureCase {
            "TooLong", Step(413), "Error: the text is too long for the translation service." },
        FailureCase { "NotFound", Step(404),
            "Error. " + EnglishToFrench + ": the service answered 404 Not Found." },
        FailureCase { "Busy", Step(503),
            "Error. " + EnglishToFrench + ": the service answered 503 Service Unavailable." },
        FailureCase { "CutOff", Step(200, true), "Error. The reply was cut off." },
        FailureCase { "TooLarge",
            Step(
                200, true, InternetError::ReplyTooLarge, "The reply is larger than 16777216 bytes"),
            "Error: the reply page is larger than 16 MiB; its download was stopped." },
        FailureCase { "Silent", Step(0, false, InternetError::TimedOut, "", 60000),
            "Error. No answer from the translation service for 60 seconds." },
        FailureCase { "SilentMidBody", Step(200, true, InternetError::TimedOut, "", 1000),
            "Error. No answer from the translation service for 1 second." },
        FailureCase { "Trickling",
            [] {
                StepFailure step = Step(200, false, InternetError::Other, "Aborted", 5000);
                step.tooSlow = true;
                return step;
            }(),
            "Error. The reply did not come whole within 5 seconds of its start." },
        FailureCase { "SelfSigned",
            Step(0, false, InternetError::CertificateUnknownAuthority,
                "Server certificate refused: self-signed certificate"),
            "Error. The server certificate was refused: self-signed certificate." },
        FailureCase { "Redirects", Step(0, false, InternetError::TooManyRedirects, "x"),
            "Error. Too many redirects." },
        FailureCase { "Refused", Step(0, false, InternetError::ConnectionRefused, "x"),
            "Error. No translation service answers at http://localhost:8787." },
        FailureCase { "Other", Step(0, false, InternetError::Other, "Something odd"),
            "Error. Something odd." },
        FailureCase { "BadAddress", Step(0, false, InternetError::InvalidUrl),
            "Error. The address \"http://localhost:8787\" is not a web address the program can "
            "use." },
        FailureCase { "ReasonGiven",
            [] {
                StepFailure step = Step(400);
                step.reason = "the text is not UTF-8";
                return step;
            }(),
            "Error. " + EnglishToFrench
                + ": the service answered 400 Bad Request: the text is not UTF-8." }),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST(ServiceReason, IsAShortLineOfPlainTextThatSaysMoreThanTheStatus)
{
    struct Case {
        std::string body;
        std::string reason;
    };
    for (const Case& c : std::initializer_list<Case> {
             { "the text is not UTF-8\n", "the text is not UTF-8" },
             { "  the form has no field \"pairs\"\r\n", "the form has no field \"pairs\"" },
             { "", "" },
             { "Bad Request\n", "" },
             { "<html><body>Bad request</body></html>", "" },
             { "one line\nand another", "" },
             { "a terminal \x1b[2J escape", "" },
             { std::string(LongestServiceValue + 1, 'a'), "" },
         })
        EXPECT_EQ(ServiceReason(c.body, 400), c.reason) << c.body;
}

TEST(HopDetails, AResultPageTellsTheWayAndARefusalItsReason)
{
    const HopDetails pivots = ReadHopDetails("<head><meta name=\"tornalo-engine\" "
                                             "content=\"apertium\">\n<meta name=\"tornalo-via\" "
                                             "content=\"hr,mk\"></head>");
    EXPECT_EQ(pivots.engine, "apertium");
    EXPECT_EQ(pivots.via, (std::vector<std::string> { "hr", "mk" }));
    EXPECT_EQ(RouteText(pivots), " (via Croatian, Macedonian)");
    const HopDetails direct
        = ReadHopDetails("<meta name=\"tornalo-engine\" content=\"apertium\"><meta "
                         "name=\"tornalo-via\" content=\"\">");
    EXPECT_EQ(RouteText(direct), "");
    const HopDetails other
        = ReadHopDetails("<meta name=\"tornalo-engine\" "
                         "content=\"libretranslate http://a.example/?k=1&amp;x\">");
    EXPECT_EQ(RouteText(other), " (LibreTranslate at http://a.example/?k=1&x)");
    const HopDetails refusal
        = ReadHopDetails("<p id=\"tornalo-reason\">no engine reaches &lt;German&gt;\x01</p>");
    EXPECT_EQ(refusal.reason, "no engine reaches <German> ");
    EXPECT_EQ(ReadHopDetails("<html>Translate</html>").engine, "");
    EXPECT_EQ(
        ReadHopDetails("<p id=\"tornalo-reason\">" + std::string(5000, 'a')).reason.size(), 300u);
}

} // namespace
