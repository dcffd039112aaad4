// The window follows the desktop's conventions: File > Quit and Control+Q,
// Control+Return to translate and Escape to abort from anywhere, Enter on a
// focused button, Shift+Enter as a plain new line, and a terminate signal
// that closes the window as its close box does.
#include "RunFixture.h"

#include "platform/Console.h"

#include <QListWidget>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Shortcuts of the window act only while it is the active one.
void Activate(QWidget* window)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

struct FocusCase {
    const char* name;
    std::function<QWidget*(TMainForm&)> focus;
};

class TranslateKeyTest : public RunFixture, public testing::WithParamInterface<FocusCase> { };

TEST_P(TranslateKeyTest, ControlReturnTranslatesFromAnywhereInTheWindow)
{
    TypeHelloTickFrenchAndGerman();
    Activate(form.get());
    QWidget* focus = GetParam().focus(*form);
    focus->setFocus();
    QTest::keyClick(focus, Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(WaitUntil([&] { return Idle() && service.RequestCount() == 4; })) << Status();
    EXPECT_EQ(Status(), "Ready.");
    EXPECT_EQ(form->OriginalTextMemo->Text(), "Hello\r\n") << "the key typed no line break";
}

INSTANTIATE_TEST_SUITE_P(Focus, TranslateKeyTest,
    testing::Values(
        FocusCase { "InputMemo", [](TMainForm& f) -> QWidget* { return f.OriginalTextMemo; } },
        FocusCase { "LanguageList", [](TMainForm& f) -> QWidget* { return f.CheckListBoxLangs; } },
        FocusCase { "OutputMemo", [](TMainForm& f) -> QWidget* { return f.TranslatedTextMemo; } },
        FocusCase { "DebugMemo", [](TMainForm& f) -> QWidget* { return f.MemoDebugInfo; } },
        FocusCase { "AnOption", [](TMainForm& f) -> QWidget* { return f.CheckBoxShowEach; } }),
    [](const testing::TestParamInfo<FocusCase>& info) { return info.param.name; });

class DesktopConventions : public RunFixture { };

TEST_F(DesktopConventions, EnterOnTheFocusedTranslateButtonPressesIt)
{
    TypeHelloTickFrenchAndGerman();
    form->ButtonTranslate->setFocus();
    QTest::keyClick(form->ButtonTranslate, Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return Idle() && service.RequestCount() == 4; })) << Status();
    QTest::keyClick(form->ButtonTranslate, Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_TRUE(WaitUntil([&] { return Idle() && service.RequestCount() == 8; })) << Status();
}

TEST_F(DesktopConventions, EscapeAbortsARunningRunAndDoesNothingOtherwise)
{
    TypeHelloTickFrenchAndGerman();
    Activate(form.get());
    QTest::keyClick(form->OriginalTextMemo, Qt::Key_Escape);
    EXPECT_TRUE(Idle());
    EXPECT_EQ(service.RequestCount(), 0u);
    service.HoldReplies(true);
    Click(form->ButtonTranslate);
    ASSERT_TRUE(WaitForRequests(1));
    form->CheckListBoxLangs->setFocus();
    QTest::keyClick(form->CheckListBoxLangs, Qt::Key_Escape);
    service.HoldReplies(false);
    service.ReleaseHeld();
    ASSERT_TRUE(WaitUntil([&] { return Idle(); })) << Status();
    EXPECT_EQ(Status(), "Ready.  Aborted.");
    EXPECT_EQ(service.RequestCount(), 1u);
}

TEST_F(DesktopConventions, ControlQQuitsThroughTheFileMenu)
{
    ASSERT_TRUE(form->isVisible());
    Activate(form.get());
    QTest::keyClick(form->OriginalTextMemo, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(DesktopConventions, ShiftEnterInAMemoStartsANewLineAsEnterDoes)
{
    Type("one");
    QTest::keyClick(form->OriginalTextMemo, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(form->OriginalTextMemo, QStringLiteral("two"));
    QTest::keyClick(form->OriginalTextMemo, Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
    QTest::keyClicks(form->OriginalTextMemo, QStringLiteral("three"));
    EXPECT_EQ(form->OriginalTextMemo->Lines(), (Lines { "one", "two", "three" }));
    EXPECT_FALSE(form->OriginalTextMemo->toPlainText().contains(QChar(0x2028)));
}

// The program entry sets the ending up as here; the first signal closes the
// window and the kept values, the typed text among them, reach the file.
TEST_F(DesktopConventions, TerminateSignalClosesTheWindowAndSavesTheTypedText)
{
    const std::vector<int> ending = platform::EndingSignals;
    for (const int signalNumber : ending)
        std::signal(signalNumber, SIG_IGN);
    {
        platform::InterruptBridge bridge([this] { form->CloseFromOutside(); }, ending);
        Type("typed before the logout");
        std::raise(SIGTERM);
        ASSERT_TRUE(WaitUntil([&] { return !form->isVisible(); }));
        for (const int signalNumber : ending) {
            struct sigaction action { };
            sigaction(signalNumber, nullptr, &action);
            EXPECT_EQ(action.sa_handler, SIG_DFL)
                << "a second signal " << signalNumber << " would not end the program at once";
        }
    }
    for (const int signalNumber : ending)
        std::signal(signalNumber, SIG_DFL);
    form.reset();
    std::ifstream file(folder.File("Tornalo.ini"), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_NE(text.str().find("OriginalTextMemo.Lines=\"typed before the logout\"\r\n"),
        std::string::npos)
        << text.str();
}

} // namespace
