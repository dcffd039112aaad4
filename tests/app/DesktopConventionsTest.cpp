// The window follows the desktop's conventions: File > Quit and Control+Q,
// Control+Return to translate and Escape to abort from anywhere, Enter on a
// focused button, Shift+Enter as a plain new line, and a terminate signal
// that closes the window as its close box does.
#include "RunFixture.h"

#include "platform/Console.h"
#include "platform/WindowEnding.h"

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
    const char* focus; // the control's object name
};

class TranslateKeyTest : public RunFixture, public testing::WithParamInterface<FocusCase> { };

TEST_P(TranslateKeyTest, ControlReturnTranslatesFromAnywhereInTheWindow)
{
    TypeHelloTickFrenchAndGerman();
    Activate(form.get());
    QWidget* focus = &Widget<QWidget>(GetParam().focus);
    focus->setFocus();
    QTest::keyClick(focus, Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(WaitUntil([&] { return Idle() && service.RequestCount() == 4; })) << Status();
    EXPECT_EQ(Status(), "Ready.");
    EXPECT_EQ(Widget<TMemo>("OriginalTextMemo").Text(), "Hello\r\n")
        << "the key typed no line break";
}

INSTANTIATE_TEST_SUITE_P(Focus, TranslateKeyTest,
    testing::Values(FocusCase { "InputMemo", "OriginalTextMemo" },
        FocusCase { "LanguageList", "CheckListBoxLangs" },
        FocusCase { "OutputMemo", "TranslatedTextMemo" },
        FocusCase { "DebugMemo", "MemoDebugInfo" }, FocusCase { "AnOption", "CheckBoxShowEach" }),
    [](const testing::TestParamInfo<FocusCase>& info) { return info.param.name; });

class DesktopConventions : public RunFixture { };

TEST_F(DesktopConventions, EnterOnTheFocusedTranslateButtonPressesIt)
{
    TypeHelloTickFrenchAndGerman();
    Widget<QPushButton>("ButtonTranslate").setFocus();
    QTest::keyClick(&Widget<QPushButton>("ButtonTranslate"), Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return Idle() && service.RequestCount() == 4; })) << Status();
    QTest::keyClick(&Widget<QPushButton>("ButtonTranslate"), Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_TRUE(WaitUntil([&] { return Idle() && service.RequestCount() == 8; })) << Status();
}

TEST_F(DesktopConventions, EscapeAbortsARunningRunAndDoesNothingOtherwise)
{
    TypeHelloTickFrenchAndGerman();
    Activate(form.get());
    QTest::keyClick(&Widget<TMemo>("OriginalTextMemo"), Qt::Key_Escape);
    EXPECT_TRUE(Idle());
    EXPECT_EQ(service.RequestCount(), 0u);
    service.HoldReplies(true);
    Click("ButtonTranslate");
    ASSERT_TRUE(WaitForRequests(1));
    Widget<TCheckListBox>("CheckListBoxLangs").setFocus();
    QTest::keyClick(&Widget<TCheckListBox>("CheckListBoxLangs"), Qt::Key_Escape);
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
    QTest::keyClick(&Widget<TMemo>("OriginalTextMemo"), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(DesktopConventions, ShiftEnterInAMemoStartsANewLineAsEnterDoes)
{
    Type("one");
    TMemo& input = Widget<TMemo>("OriginalTextMemo");
    QTest::keyClick(&input, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(&input, QStringLiteral("two"));
    QTest::keyClick(&input, Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
    QTest::keyClicks(&input, QStringLiteral("three"));
    EXPECT_EQ(input.Lines(), (Lines { "one", "two", "three" }));
    EXPECT_FALSE(input.toPlainText().contains(QChar(0x2028)));
}

// The program entry sets the ending up as here; the first signal closes the
// window and the kept values, the typed text among them, reach the file.
TEST_F(DesktopConventions, TerminateSignalClosesTheWindowAndSavesTheTypedText)
{
    const std::vector<int> ending = platform::EndingSignals;
    for (const int signalNumber : ending)
        std::signal(signalNumber, SIG_IGN);
    {
        platform::WindowEnding windowEnding;
        ASSERT_TRUE(windowEnding.Attach(*form));
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
