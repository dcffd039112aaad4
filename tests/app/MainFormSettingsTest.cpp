#include "app/MainFormSettings.h"
#include "app/CheckListBox.h"
#include "platform/UserInterface.h"
#include "platform/WindowHooks.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TemporaryFolder.h"

#include <QCheckBox>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

namespace {

std::string ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Just enough of the main window for its kept values: the language list and
// one check box.
class StandInWindow : public QWidget {
public:
    StandInWindow()
    {
        setObjectName(QStringLiteral("MainForm"));
        languages->setObjectName(QStringLiteral("CheckListBoxLangs"));
        pause->setObjectName(QStringLiteral("CheckBoxPause"));
        pause->setChecked(true);
        languages->SetItems(std::vector<std::string>(41, "language"));
    }
    TCheckListBox* languages = new TCheckListBox(this);
    QCheckBox* pause = new QCheckBox(this);
};

class MainFormSettingsTest : public testing::Test {
protected:
    MainFormSettingsTest()
    {
        previousHandler = platform::SetMessageBoxHandler([this](const platform::MessageRequest& r) {
            messages.push_back(r.text);
            return platform::IdOk;
        });
    }
    ~MainFormSettingsTest() override { platform::SetMessageBoxHandler(previousHandler); }

    // Creates the settings as the window does, then fires its creation event.
    void Open()
    {
        settings = std::make_unique<TMainFormSettings>(window, *window.languages, folder.Path());
        platform::WindowEvents::Of(&window)->NotifyCreated();
    }

    std::string ChecklistString()
    {
        Variant value;
        settings->rsPropSaver1GetUserProperty(settings->rsPropSaver1, "ChecklistString", value);
        return value.Text();
    }

    void ApplyChecklistString(const Variant& text)
    {
        Variant value = text;
        settings->rsPropSaver1SetUserProperty(settings->rsPropSaver1, "ChecklistString", value);
    }

    std::vector<int> TickedRows() const
    {
        std::vector<int> rows;
        for (int row = 0; row < window.languages->Count(); ++row) {
            if (window.languages->Checked(row))
                rows.push_back(row);
        }
        return rows;
    }

    TemporaryFolder folder;
    StandInWindow window;
    std::unique_ptr<TMainFormSettings> settings;
    std::vector<std::string> messages;
    platform::MessageBoxHandler previousHandler;
};

TEST_F(MainFormSettingsTest, TickedRowsAreListedInAscendingOrder)
{
    Open();
    EXPECT_EQ(ChecklistString(), "");
    for (int row : { 40, 0, 13 })
        window.languages->SetChecked(row, true);
    EXPECT_EQ(ChecklistString(), "0,13,40");
}

TEST_F(MainFormSettingsTest, MalformedListTicksOnlyTheRowsItNames)
{
    Open();
    ApplyChecklistString("13,,x,99,15");
    EXPECT_EQ(TickedRows(), (std::vector<int> { 13, 15 }));
}

TEST_F(MainFormSettingsTest, LoadedListNeverUnticks)
{
    Open();
    window.languages->SetChecked(15, true);
    ApplyChecklistString("13");
    EXPECT_EQ(TickedRows(), (std::vector<int> { 13, 15 }));
}

TEST_F(MainFormSettingsTest, ListStoredAsANumberIsTakenAsText)
{
    Open();
    ApplyChecklistString(Variant(int32_t { 7 }));
    ApplyChecklistString(" 2 , -1,41");
    EXPECT_EQ(TickedRows(), (std::vector<int> { 2, 7 }));
}

TEST_F(MainFormSettingsTest, OtherNamesAreLeftAlone)
{
    Open();
    window.languages->SetChecked(3, true);
    Variant value("untouched");
    settings->rsPropSaver1GetUserProperty(settings->rsPropSaver1, "checkliststring", value);
    EXPECT_EQ(value, Variant("untouched"));
    value = "5";
    settings->rsPropSaver1SetUserProperty(settings->rsPropSaver1, "Other", value);
    EXPECT_EQ(TickedRows(), (std::vector<int> { 3 }));
}

TEST_F(MainFormSettingsTest, ListGoesThroughTheFileAndComesBack)
{
    Open();
    for (int row : { 0, 13, 40 })
        window.languages->SetChecked(row, true);
    window.pause->setChecked(false);
    window.show();
    ASSERT_TRUE(window.close());
    settings.reset();
    const std::string text = ReadBytes(folder.File("Tornalo.ini"));
    EXPECT_NE(text.find("ChecklistString=\"0,13,40\"\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("CheckBoxPause.Checked=\"False\"\r\n"), std::string::npos) << text;

    StandInWindow again;
    TMainFormSettings reopened(again, *again.languages, folder.Path());
    platform::WindowEvents::Of(&again)->NotifyCreated();
    EXPECT_TRUE(again.languages->Checked(13));
    EXPECT_TRUE(again.languages->Checked(40));
    EXPECT_FALSE(again.languages->Checked(14));
    EXPECT_FALSE(again.pause->isChecked());
}

TEST_F(MainFormSettingsTest, NothingIsWrittenBeforeTheWindowGoes)
{
    Open();
    window.show();
    window.close();
    EXPECT_FALSE(std::filesystem::exists(folder.File("Tornalo.ini")));
    settings.reset();
    EXPECT_TRUE(std::filesystem::exists(folder.File("Tornalo.ini")));
}

TEST_F(MainFormSettingsTest, DamagedFileIsReportedKeptAndReplaced)
{
    const std::string damaged = "[MainForm.rsPropSaver1]\r\nCheckBoxPause.Checked=\"False\"\r\n"
                                "ChecklistString=\"4\"\r\nLeft=curr:abc\r\nTop=5\r\n\r\n";
    WriteBytes(folder.File("Tornalo.ini"), damaged);
    Open();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("abc"), std::string::npos) << messages[0];
    EXPECT_FALSE(window.pause->isChecked());
    EXPECT_EQ(TickedRows(), (std::vector<int> { 4 }));
    window.show();
    window.close();
    settings.reset();
    EXPECT_EQ(ReadBytes(folder.File("Tornalo.ini.bak")), damaged);
    const std::string written = ReadBytes(folder.File("Tornalo.ini"));
    EXPECT_EQ(written.find("curr:abc"), std::string::npos);
    EXPECT_NE(written.find("ChecklistString=\"4\"\r\n"), std::string::npos) << written;
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(MainFormSettingsTest, DamagedFileIsKeptEvenWhenTheWindowNeverTookItsValues)
{
    const std::string damaged = "[MainForm.rsPropSaver1]\r\nTop=5\r\nstray\r\n\r\n";
    WriteBytes(folder.File("Tornalo.ini"), damaged);
    settings = std::make_unique<TMainFormSettings>(window, *window.languages, folder.Path());
    settings.reset();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(ReadBytes(folder.File("Tornalo.ini.bak")), damaged);
    EXPECT_EQ(ReadBytes(folder.File("Tornalo.ini")), "[MainForm.rsPropSaver1]\r\nTop=5\r\n\r\n");
}

TEST_F(MainFormSettingsTest, SoundFileLeavesNoCopy)
{
    WriteBytes(folder.File("Tornalo.ini"), "[MainForm.rsPropSaver1]\r\nTop=5\r\n\r\n");
    Open();
    settings.reset();
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(std::filesystem::exists(folder.File("Tornalo.ini.bak")));
}

TEST(SettingsFileLocationTest, WritableProgramFolderHoldsTheFile)
{
    TemporaryFolder folder;
    EXPECT_EQ(SettingsFilePath(folder.Path()), folder.Path() + "Tornalo.ini");
}

TEST(SettingsFileLocationTest, OtherwiseTheUsersConfigurationFolderDoes)
{
    TemporaryFolder config;
    const char* previous = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = previous ? previous : "";
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    const std::string missing = config.Path() + "no/such/folder/";
    EXPECT_EQ(SettingsFilePath(missing), config.Path() + "Tornalo/Tornalo.ini");
    {
        StandInWindow window;
        TMainFormSettings settings(window, *window.languages, missing);
    }
    EXPECT_TRUE(std::filesystem::exists(config.Path() + "Tornalo/Tornalo.ini"));
    if (previous)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

} // namespace
