// The menu commands: the favorites file, the read-me file, the forum page,
// the update check and the about box.
#include "app/CheckListBox.h"
#include "app/FavoritesFile.h"
#include "app/MainFormUnit.h"
#include "app/Memo.h"
#include "platform/QtText.h"
#include "platform/Records.h"
#include "platform/Shell.h"
#include "platform/UserInterface.h"
#include "update/UpdateDialog.h"
#include "widgets/acQuickAboutBox.h"
#include "widgets/acURLLabel.h"

#include "tests/support/Child.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/TemporaryFolder.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

class MainFormCommands : public testing::Test {
protected:
    MainFormCommands()
    {
        previousFolder = QDir::currentPath();
        QDir::setCurrent(platform::ToQString(workFolder.Path()));
        previousShell = platform::SetShellHandler([this](const platform::ShellRequest& request) {
            opened.push_back(request);
            return true;
        });
        previousMessageBox
            = platform::SetMessageBoxHandler([this](const platform::MessageRequest& request) {
                  messages.push_back(request);
                  return platform::IdOk;
              });
        previousRecords = platform::SetRecordsDirectory(recordsFolder.Path());
    }

    ~MainFormCommands() override
    {
        platform::SetShellHandler(previousShell);
        platform::SetMessageBoxHandler(previousMessageBox);
        platform::SetRecordsDirectory(previousRecords);
        QDir::setCurrent(previousFolder);
    }

    std::string Favorites() const
    {
        std::ifstream file(workFolder.File("Favorites.txt"), std::ios::binary);
        return { std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>() };
    }

    static std::string Rule() { return "//" + std::string(75, '-') + "\n"; }
    static std::string Equals() { return std::string(48, '=') + "\n"; }

    TemporaryFolder programFolder;
    TemporaryFolder workFolder;
    TemporaryFolder recordsFolder;
    TMainForm form { programFolder.Path() };
    std::vector<platform::ShellRequest> opened;
    std::vector<platform::MessageRequest> messages;

private:
    QString previousFolder;
    platform::ShellHandler previousShell;
    platform::MessageBoxHandler previousMessageBox;
    std::string previousRecords;
};

TEST_F(MainFormCommands, FavoritesBeforeAnyPlanHaveAnEmptyRouteLine)
{
    Child<TMemo>(form, "OriginalTextMemo").SetText("Hello\nworld");
    Child<TMemo>(form, "TranslatedTextMemo").SetText("Bonjour");
    Child<QAction>(form, "AddEditFavorites1").trigger();
    EXPECT_EQ(
        Favorites(), Rule() + "Hello\nworld\n\n\n" + Equals() + "Bonjour\n\n" + Rule() + "\n\n");
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainFormCommands, FavoritesRecordTheRouteOfTheLastPlan)
{
    Child<TMemo>(form, "OriginalTextMemo").SetText("Hello");
    Child<TCheckListBox>(form, "CheckListBoxLangs").SetChecked(13, true);
    Child<TCheckListBox>(form, "CheckListBoxLangs").SetChecked(15, true);
    form.BuildPlan();
    Child<TMemo>(form, "TranslatedTextMemo").Clear();
    Child<QAction>(form, "AddEditFavorites1").trigger();
    EXPECT_EQ(
        Favorites(), Rule() + "Hello\n\nFrench->German\n" + Equals() + "\n" + Rule() + "\n\n");
}

TEST_F(MainFormCommands, TwoFavoritesInARowGiveTwoBlocks)
{
    Child<TMemo>(form, "OriginalTextMemo").SetText("one");
    Child<TMemo>(form, "TranslatedTextMemo").SetText("un");
    Child<QAction>(form, "AddEditFavorites1").trigger();
    Child<TMemo>(form, "OriginalTextMemo").SetText("two");
    Child<TMemo>(form, "TranslatedTextMemo").SetText("deux");
    Child<QAction>(form, "AddEditFavorites1").trigger();
    const std::string first = Rule() + "one\n\n\n" + Equals() + "un\n\n" + Rule() + "\n\n";
    const std::string second = Rule() + "two\n\n\n" + Equals() + "deux\n\n" + Rule() + "\n\n";
    EXPECT_EQ(Favorites(), first + second);
    ASSERT_EQ(opened.size(), 2u);
}

TEST_F(MainFormCommands, FavoritesFileIsOpenedByTheShell)
{
    Child<QAction>(form, "AddEditFavorites1").trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target, workFolder.File("Favorites.txt"));
    EXPECT_EQ(opened[0].parameters, "");
}

// The message keeps its first line and adds the system's reason and the
// folder: first a folder that cannot be written, then a folder in the way.
TEST_F(MainFormCommands, FavoritesFileThatCannotBeCreatedShowsTheReasonAndTheFolder)
{
    {
        ReadOnlyFolder readOnly(workFolder.Path());
        Child<QAction>(form, "AddEditFavorites1").trigger();
    }
    ASSERT_TRUE(QDir().mkdir(platform::ToQString(workFolder.File("Favorites.txt"))));
    Child<QAction>(form, "AddEditFavorites1").trigger();
    std::string folder = workFolder.Path();
    folder.pop_back();
    const std::string first = "Error: could not open or create Favorites.txt file.\n";
    const std::string last = ", in the folder " + folder + ".";
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, first + "Permission denied" + last);
    const std::string& inTheWay = messages[1].text;
    ASSERT_GT(inTheWay.size(), first.size() + last.size()) << inTheWay;
    EXPECT_EQ(inTheWay.substr(0, first.size()), first);
    EXPECT_EQ(inTheWay.substr(inTheWay.size() - last.size()), last);
    EXPECT_TRUE(opened.empty());
}

TEST_F(MainFormCommands, ContentsOpensTheReadMeInTheProgramFolder)
{
    Child<QAction>(form, "ContentsMenuItem").trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target, programFolder.File("ReadMe.txt"));
    EXPECT_EQ(opened[0].parameters, "");
    EXPECT_EQ(opened[0].directory, "");
}

TEST_F(MainFormCommands, ForumOpensTheProjectForumPage)
{
    Child<QAction>(form, "VisitInternetForumItem").trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target, "https://tornalo.example/forum/");
}

TEST_F(MainFormCommands, UpdateCheckHandsTheProgramFolderAndShowOptionToTheUpdater)
{
    std::ofstream(programFolder.File("qvupdater.exe")) << "updater";
    Child<QAction>(form, "ItemCheckforUpdates").trigger();
    ASSERT_EQ(opened.size(), 1u);
    const QString updater = platform::ToQString(programFolder.File("qvupdater.exe"));
    EXPECT_EQ(QFileInfo(platform::ToQString(opened[0].target)).canonicalFilePath(),
        QFileInfo(updater).canonicalFilePath());
    const std::string folder
        = platform::ToBytes(QDir(platform::ToQString(programFolder.Path())).absolutePath());
    EXPECT_EQ(opened[0].parameters, "-show -check -closexits \"-scandir=" + folder + "\"");
}

TEST_F(MainFormCommands, UpdateCheckWithoutUpdaterNamesTheProductInItsCaption)
{
    std::vector<std::string> captions;
    const UpdateDialogHandler previous
        = SetUpdateDialogHandler([&](const UpdateDialogTexts& texts) {
              captions.push_back(texts.caption);
              return 1;
          });
    Child<QAction>(form, "ItemCheckforUpdates").trigger();
    SetUpdateDialogHandler(previous);
    for (const platform::MessageRequest& message : messages)
        captions.push_back(message.caption);
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions.front(), "Update Check for: Tornalo");
    EXPECT_TRUE(opened.empty());
}

TEST_F(MainFormCommands, AboutBoxIsSetUpForTornalo)
{
    TacQuickAboutBox* about = form.findChild<TacQuickAboutBox*>(QStringLiteral("AboutBox"));
    ASSERT_EQ(about, form.Commands().AboutBox);
    EXPECT_EQ(about->Caption, QStringLiteral("Tornalo"));
    EXPECT_EQ(about->Width, 460);
    EXPECT_FALSE(about->AnimationOnShow);
    EXPECT_FALSE(about->AnimationOnHide);
    EXPECT_TRUE(about->EmailIsWWW);
    EXPECT_EQ(about->Email, QStringLiteral("https://quorvex.example/"));
    EXPECT_EQ(about->EmailText, about->Email);
    EXPECT_EQ(about->WebSite, QStringLiteral("https://tornalo.example/"));
    EXPECT_FALSE(about->Icon.isNull());
    EXPECT_TRUE(about->Description.startsWith(QStringLiteral("\r\n")));
    EXPECT_TRUE(about->Description.contains(QStringLiteral("[B]Quorvex\r\n\r\n[]")));
    EXPECT_TRUE(about->Description.endsWith(QStringLiteral("\r\n ")));
}

TEST_F(MainFormCommands, AboutShowsTheAboutWindowModallyUntilClosed)
{
    QString title;
    QTimer::singleShot(0, &form, [&] {
        if (QWidget* window = QApplication::activeModalWidget()) {
            title = window->windowTitle();
            window->close();
        }
    });
    Child<QAction>(form, "AboutItem").trigger();
    EXPECT_EQ(title, QStringLiteral("About Tornalo. . ."));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainFormCommands, WindowCarriesTheProgramIcon)
{
    EXPECT_FALSE(form.windowIcon().isNull());
}
