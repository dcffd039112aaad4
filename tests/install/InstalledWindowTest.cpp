// The window started from an installed copy: Help > Contents opens the
// user's guide in the data folder, "Translate Now" starts the service beside
// the installed executable and translates with it, and the settings go to the
// user's configuration folder although the program's folder is writable.
#include "tests/install/InstalledCopy.h"

#include "app/CheckListBox.h"
#include "app/MainFormUnit.h"
#include "app/Memo.h"
#include "app/StatusBar.h"
#include "platform/Shell.h"
#include "platform/UserInterface.h"
#include "run/LanguageTable.h"
#include "run/ServiceStarter.h"
#include "transfer/acHTTP.h"

#include "tests/support/Child.h"
#include "tests/support/ProgramRecorder.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/RealService.h"

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

std::string LocalUrl(std::uint16_t port)
{
    return "http://localhost:" + std::to_string(port);
}

int RowOf(const char* language)
{
    for (int row = 0; row < LanguageCount; ++row)
        if (std::string(LanguageNames[row]) == language)
            return row;
    return -1;
}

} // namespace

class InstalledWindow : public testing::Test {
protected:
    InstalledWindow()
    {
        previousFolder = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(work.Path()));
        previousConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path()));
        previousData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(config.Path() + "data"));
        previousShell = platform::SetShellHandler([this](const platform::ShellRequest& request) {
            opened.push_back(request);
            return true;
        });
        previousMessageBox = platform::SetMessageBoxHandler(
            [](const platform::MessageRequest&) { return platform::IdOk; });
    }

    ~InstalledWindow() override
    {
        form.reset();
        platform::SetMessageBoxHandler(previousMessageBox);
        platform::SetShellHandler(previousShell);
        qputenv("XDG_CONFIG_HOME", previousConfig);
        qputenv("XDG_DATA_HOME", previousData);
        QDir::setCurrent(previousFolder);
    }

    void SetUp() override
    {
        ASSERT_EQ(copy.Error(), "");
        form = std::make_unique<TMainForm>(copy.Bin());
        // A port of the test's own, so that nothing depends on who holds the
        // service's usual one.
        delete form->serviceStarter;
        form->serviceStarter = new ServiceStarter(copy.Bin(), form.get(), LocalUrl(port));
        form->serviceStarter->WaitLimit = std::chrono::seconds(10);
        form->achtp->URL = LocalUrl(port);
        Child<QCheckBox>(*form, "CheckBoxPause").setChecked(false);
        form->show();
    }

    bool Idle() const
    {
        return Child<QPushButton>(*form, "ButtonTranslate").isEnabled()
            && !Child<QPushButton>(*form, "ButtonStop").isEnabled();
    }

    InstalledCopy copy;
    TemporaryFolder work;
    TemporaryFolder config;
    std::uint16_t port = FreePort();
    std::vector<platform::ShellRequest> opened;
    std::unique_ptr<TMainForm> form;

private:
    QString previousFolder;
    QByteArray previousConfig;
    QByteArray previousData;
    platform::ShellHandler previousShell;
    platform::MessageBoxHandler previousMessageBox;
};

TEST_F(InstalledWindow, ContentsOpensTheUserGuideInTheDataFolder)
{
    Child<QAction>(*form, "ContentsMenuItem").trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target, copy.Data() + "ReadMe.txt");
    EXPECT_TRUE(std::filesystem::is_regular_file(opened[0].target));
}

TEST_F(InstalledWindow, TranslateNowStartsTheInstalledServiceAndTranslatesWithIt)
{
    ProgramRecorder programs(ProgramRecorder::ForReal);
    Child<TMemo>(*form, "OriginalTextMemo").SetText("The cat sleeps in the house.");
    Child<TCheckListBox>(*form, "CheckListBoxLangs").SetChecked(RowOf("Spanish"), true);
    QTest::mouseClick(&Child<QPushButton>(*form, "ButtonTranslate"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Idle(); }, 60000))
        << Child<TStatusBar>(*form, "StatusBar").Text();
    ASSERT_EQ(programs.commands.size(), 1u);
    EXPECT_EQ(programs.commands[0].program, copy.Bin() + "tornalo-service");
    EXPECT_EQ(Child<TStatusBar>(*form, "StatusBar").Text(), "Ready.");
    const std::string result = Child<TMemo>(*form, "TranslatedTextMemo").Text();
    EXPECT_NE(result.find("cat"), std::string::npos) << result;
}

TEST_F(InstalledWindow, SettingsGoToTheUserFolderNotBesideTheProgram)
{
    Child<TCheckListBox>(*form, "CheckListBoxLangs").SetChecked(RowOf("Italian"), true);
    form->close();
    form.reset();
    EXPECT_FALSE(std::filesystem::exists(copy.Bin() + "Tornalo.ini"));
    EXPECT_TRUE(std::filesystem::is_regular_file(config.File("Tornalo/Tornalo.ini")));
}

TEST_F(InstalledWindow, FavoritesGoToTheUsersDataFolderNotTheCurrentOne)
{
    Child<QAction>(*form, "AddEditFavorites1").trigger();
    const std::string favorites = config.Path() + "data/Tornalo/Favorites.txt";
    EXPECT_TRUE(std::filesystem::is_regular_file(favorites));
    EXPECT_FALSE(std::filesystem::exists(work.Path() + "Favorites.txt"));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target, favorites);
}
