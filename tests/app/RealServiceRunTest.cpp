// The window against the real translation service of the build, with its
// real engine: the service's language pairs must be installed (the set-up
// script installs them), and their absence fails these tests.
#include "run/ServiceStarter.h"

#include "platform/Shell.h"

#include "tests/app/RunFixture.h"
#include "tests/support/RealService.h"

#include <QFileInfo>

namespace {

// Within the test's own time limit, so that a stuck run fails here.
const int RunTimeLimit = 45000;
const char* const InputText = "The old man walks his dog in the park every morning.\n"
                              "My brother reads a good book.";

std::string ServiceFolder()
{
    return QFileInfo(QStringLiteral(SERVICE_PROGRAM)).absolutePath().toStdString() + "/";
}

} // namespace

class RealService : public RunFixture {
protected:
    void StartServiceOn(std::uint16_t port)
    {
        ASSERT_TRUE(service.StartOn(QStringLiteral(SERVICE_PROGRAM), port)) << SERVICE_PROGRAM;
    }

    void RunToTheEnd()
    {
        Click(form->ButtonTranslate);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Idle(); }, RunTimeLimit)) << Status();
    }

    // The output memo holds the input, the separator and the final text.
    void ExpectATranslatedText()
    {
        const Lines output = form->TranslatedTextMemo->Lines();
        ASSERT_EQ(output.size(), 6u) << form->TranslatedTextMemo->Text();
        EXPECT_EQ(output[3], Equals());
        const Lines result(output.begin() + 4, output.end());
        EXPECT_EQ(form->OriginalTextMemo->Lines(), Lines(output.begin(), output.begin() + 2));
        EXPECT_NE(result, Lines(output.begin(), output.begin() + 2));
        for (const std::string& line : result) {
            EXPECT_FALSE(line.empty());
            EXPECT_EQ(line.find_first_of("*#@"), std::string::npos) << line;
        }
    }

    ServiceProcess service;
};

TEST_F(RealService, FrenchAndSpanishRoundTripsEndReadyWithATranslatedText)
{
    const std::uint16_t port = FreePort();
    StartServiceOn(port);
    ExpectOfflineTargets(port, { "fr", "es" });
    form->achtp->URL = "http://127.0.0.1:" + std::to_string(port);
    form->OriginalTextMemo->SetText(InputText);
    Tick("French");
    Tick("Spanish");
    RunToTheEnd();
    EXPECT_EQ(Status(), "Ready.");
    ExpectATranslatedText();
}

// The window's own start of the service, carried out for real: the command
// it hands to the shell brings up a service that its first run then uses.
TEST_F(RealService, TheWindowStartsTheServiceWhenNothingAnswers)
{
    const std::uint16_t port = FreePort();
    const std::string url = "http://localhost:" + std::to_string(port);
    delete form->serviceStarter;
    form->serviceStarter = new ServiceStarter(ServiceFolder(), form.get(), url);
    form->serviceStarter->WaitLimit = std::chrono::seconds(10);
    form->achtp->URL = url;
    int starts = 0;
    const platform::ShellHandler previous
        = platform::SetShellHandler([&](const platform::ShellRequest& request) {
              ++starts;
              service.Start(platform::ToQString(request.target),
                  QProcess::splitCommand(platform::ToQString(request.parameters)));
              return service.WaitForStarted();
          });
    form->OriginalTextMemo->SetText(InputText);
    Tick("Spanish");
    RunToTheEnd();
    platform::SetShellHandler(previous);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(Status(), "Ready.");
    ExpectATranslatedText();
    ExpectOfflineTargets(port, { "es" });
}
