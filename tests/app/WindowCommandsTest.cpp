// The window's commands as the user meets them: the arguments of the update
// check, the about window drawn from the window's settings, the favorites
// file's bytes, and the files the build places beside the executable.
#include "app/MainFormUnit.h"
#include "app/Memo.h"
#include "app/ProjectAddresses.h"
#include "app/UpdateCheckEntry.h"
#include "platform/QtText.h"
#include "platform/Shell.h"
#include "platform/UserInterface.h"
#include "update/UpdateDescriptor.h"
#include "update/UpdateDialog.h"
#include "widgets/RichTextMarkup.h"
#include "widgets/acAttachedLabel.h"
#include "widgets/acLabel.h"
#include "widgets/acQuickAboutBox.h"
#include "widgets/acRichLabel.h"
#include "widgets/acURLLabel.h"

#include "tests/support/Child.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TemporaryFolder.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>
#include <fstream>
#include <gtest/gtest.h>

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>() };
}

void AddWidgetTexts(QWidget* widget, QStringList& texts)
{
    texts << widget->windowTitle() << widget->toolTip() << widget->statusTip()
          << widget->whatsThis();
    if (auto* label = qobject_cast<QLabel*>(widget))
        texts << label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        texts << button->text();
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        texts << line->text() << line->placeholderText();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget))
        texts << plain->toPlainText();
    if (auto* rich = qobject_cast<QTextEdit*>(widget))
        texts << rich->toPlainText();
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        for (int i = 0; i < combo->count(); ++i)
            texts << combo->itemText(i);
    if (auto* list = qobject_cast<QListWidget*>(widget))
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text() << list->item(i)->toolTip();
    if (auto* tabs = qobject_cast<QTabWidget*>(widget))
        for (int i = 0; i < tabs->count(); ++i)
            texts << tabs->tabText(i) << tabs->tabToolTip(i);
    if (auto* menu = qobject_cast<QMenu*>(widget))
        texts << menu->title();
    if (auto* rich = dynamic_cast<TacRichLabel*>(widget))
        texts << rich->Caption();
    if (auto* attached = dynamic_cast<TacAttachedLabel*>(widget))
        texts << attached->Caption();
}

// Every caption, text and tool-tip that a window and what it holds show.
QStringList ShownTexts(QWidget* window)
{
    QStringList texts;
    AddWidgetTexts(window, texts);
    for (QWidget* widget : window->findChildren<QWidget*>())
        AddWidgetTexts(widget, texts);
    for (const QAction* action : window->findChildren<QAction*>())
        texts << action->text() << action->toolTip() << action->statusTip();
    return texts;
}

} // namespace

class WindowCommands : public testing::Test {
protected:
    WindowCommands()
    {
        previousFolder = QDir::currentPath();
        QDir::setCurrent(platform::ToQString(workFolder.Path()));
        previousShell = platform::SetShellHandler([this](const platform::ShellRequest& request) {
            opened.push_back(request);
            return shellAnswer;
        });
        previousMessageBox
            = platform::SetMessageBoxHandler([this](const platform::MessageRequest& request) {
                  messages.push_back(request);
                  return platform::IdOk;
              });
        previousUpdateCheck = SetUpdateCheckFunction([this](const UpdateCheckArguments& arguments) {
            updateChecks.push_back(arguments);
            return false;
        });
    }

    ~WindowCommands() override
    {
        SetUpdateCheckFunction(previousUpdateCheck);
        platform::SetShellHandler(previousShell);
        platform::SetMessageBoxHandler(previousMessageBox);
        QDir::setCurrent(previousFolder);
    }

    std::string Favorites() const { return ReadFile(workFolder.File("Favorites.txt")); }

    TemporaryFolder programFolder;
    TemporaryFolder workFolder;
    TMainForm form { programFolder.Path() };
    bool shellAnswer = true;
    std::vector<platform::ShellRequest> opened;
    std::vector<platform::MessageRequest> messages;
    std::vector<UpdateCheckArguments> updateChecks;

private:
    QString previousFolder;
    platform::ShellHandler previousShell;
    platform::MessageBoxHandler previousMessageBox;
    UpdateCheckFunction previousUpdateCheck;
};

TEST_F(WindowCommands, UpdateCheckGetsItsSevenArgumentsInOrder)
{
    Child<QAction>(form, "ItemCheckforUpdates").trigger();
    ASSERT_EQ(updateChecks.size(), 1u);
    const UpdateCheckArguments& check = updateChecks[0];
    EXPECT_EQ(check.productName, "Tornalo");
    EXPECT_EQ(check.ownerWindow, &form);
    EXPECT_EQ(check.programDir, programFolder.Path());
    EXPECT_EQ(check.updaterLocation, "");
    EXPECT_EQ(check.options, "-show");
    EXPECT_EQ(check.title, "a");
    EXPECT_EQ(check.skipUpdater, 0);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(messages.empty());
}

TEST_F(WindowCommands, EachUpdateCheckCommandRunsOneCheck)
{
    Child<QAction>(form, "ItemCheckforUpdates").trigger();
    Child<QAction>(form, "ItemCheckforUpdates").trigger();
    EXPECT_EQ(updateChecks.size(), 2u);
}

// The entry a packaged build puts in place answers the menu itself.
TEST_F(WindowCommands, PackagedUpdateCheckSendsTheUserToThePackageManager)
{
    SetUpdateCheckFunction(LeaveUpdatesToPackageManager);
    Child<QAction>(form, "ItemCheckforUpdates").trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Update Check for: Tornalo");
    EXPECT_NE(messages[0].text.find("use your package manager"), std::string::npos);
    EXPECT_TRUE(opened.empty());
}

TEST_F(WindowCommands, ContentsRecomputesTheProgramFolder)
{
    form.Commands().ExeDir = "/somewhere/else/";
    Child<QAction>(form, "ContentsMenuItem").trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target, programFolder.File("ReadMe.txt"));
    EXPECT_EQ(form.Commands().ExeDir, programFolder.Path());
}

TEST_F(WindowCommands, FavoritesWriteThisPlatformsLineEnds)
{
    Child<TMemo>(form, "OriginalTextMemo").SetText("first\r\nsecond\rthird");
    Child<TMemo>(form, "TranslatedTextMemo").SetText("out\r\n");
    Child<QAction>(form, "AddEditFavorites1").trigger();
    const std::string text = Favorites();
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_NE(text.find("\nfirst\nsecond\nthird\n\n\n"), std::string::npos);
    EXPECT_NE(text.find("=\nout\n\n//"), std::string::npos);
}

TEST_F(WindowCommands, FavoritesKeepTheBytesOfTheText)
{
    Child<TMemo>(form, "OriginalTextMemo").SetText("Caf\xC3\xA9 na\xC3\xAFve \xE2\x82\xAC");
    Child<QAction>(form, "AddEditFavorites1").trigger();
    EXPECT_NE(Favorites().find("\nCaf\xC3\xA9 na\xC3\xAFve \xE2\x82\xAC\n"), std::string::npos);
}

TEST_F(WindowCommands, FavoritesAreAppendedAfterWhatTheFileHolds)
{
    std::ofstream(workFolder.File("Favorites.txt"), std::ios::binary) << "my own notes\n";
    Child<TMemo>(form, "OriginalTextMemo").SetText("Hello");
    Child<TMemo>(form, "TranslatedTextMemo").SetText("Bonjour");
    Child<QAction>(form, "AddEditFavorites1").trigger();
    const std::string rule = "//" + std::string(75, '-') + "\n";
    EXPECT_EQ(Favorites(),
        "my own notes\n" + rule + "Hello\n\n\n" + std::string(48, '=') + "\nBonjour\n\n" + rule
            + "\n\n");
}

TEST_F(WindowCommands, FavoritesIgnoreTheShellsAnswer)
{
    shellAnswer = false;
    Child<QAction>(form, "AddEditFavorites1").trigger();
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(Favorites().empty());
}

TEST_F(WindowCommands, FavoritesInAFolderThatIsGoneShowTheMessage)
{
    {
        TemporaryFolder vanishing;
        QDir::setCurrent(platform::ToQString(vanishing.Path()));
    }
    Child<QAction>(form, "AddEditFavorites1").trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
        "Error: could not open or create Favorites.txt file.\nNo such file or directory, in the "
        "current folder.");
    EXPECT_TRUE(opened.empty());
}

TEST_F(WindowCommands, ForumPageLiesOnTheProjectSite)
{
    Child<QAction>(form, "VisitInternetForumItem").trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target.rfind(ProjectWebPage, 0), 0u);
    EXPECT_GT(opened[0].target.size(), std::string(ProjectWebPage).size());
}

// When the desktop cannot open what a command asks for, a message names it.
struct OpenerFailureCase {
    const char* name;
    const char* command; // the action's object name
    // From the program's folder and the current folder.
    std::function<std::string(const std::string&, const std::string&)> target;
};

class OpenerFailure : public WindowCommands,
                      public testing::WithParamInterface<OpenerFailureCase> { };

TEST_P(OpenerFailure, MessageNamesTheFileOrAddressAndTheReason)
{
    Child<QAction>(form, GetParam().command).trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(messages.empty());
    ASSERT_TRUE(opened[0].onFailure);
    opened[0].onFailure("The desktop has no program set up for this kind of file or address");
    ASSERT_EQ(messages.size(), 1u);
    const std::string target = GetParam().target(programFolder.Path(), workFolder.Path());
    EXPECT_EQ(opened[0].target, target);
    EXPECT_EQ(messages[0].text,
        "Error: could not open " + target
            + ".\nThe desktop has no program set up for this kind of file or address.");
    EXPECT_EQ(messages[0].icon, platform::MessageIcon::Error);
}

INSTANTIATE_TEST_SUITE_P(Commands, OpenerFailure,
    testing::Values(
        OpenerFailureCase { "Contents", "ContentsMenuItem",
            [](const std::string& program, const std::string&) { return program + "ReadMe.txt"; } },
        OpenerFailureCase { "Favorites", "AddEditFavorites1",
            [](const std::string&, const std::string& work) { return work + "Favorites.txt"; } },
        OpenerFailureCase { "Forum", "VisitInternetForumItem",
            [](const std::string&, const std::string&) { return std::string(ProjectForumPage); } }),
    [](const testing::TestParamInfo<OpenerFailureCase>& info) { return info.param.name; });

// The program translates offline with its own service and sends nothing to
// a translation company; nothing it shows may say otherwise.
TEST_F(WindowCommands, NoTextTheProgramShowsNamesATranslationCompany)
{
    QStringList texts = ShownTexts(&form);
    texts << ShownTexts(form.Commands().AboutBox->CreateForm().get());
    std::vector<UpdateDialogTexts> dialogs;
    const UpdateDialogHandler previousDialog
        = SetUpdateDialogHandler([&](const UpdateDialogTexts& shown) {
              dialogs.push_back(shown);
              return 1;
          });
    SetUpdateCheckFunction({});
    Child<QAction>(form, "ItemCheckforUpdates").trigger();
    SetUpdateDialogHandler(previousDialog);
    ASSERT_EQ(dialogs.size(), 1u);
    UpdateDialog dialog(dialogs[0]);
    texts << ShownTexts(&dialog);
    Child<QPushButton>(form, "ButtonTranslate").click();
    Child<QAction>(form, "ContentsMenuItem").trigger();
    opened.back().onFailure("The file does not exist");
    ASSERT_GE(messages.size(), 2u);
    for (const platform::MessageRequest& message : messages)
        texts << platform::ToQString(message.text) << platform::ToQString(message.caption);
    for (const QString& text : texts)
        EXPECT_FALSE(text.contains(QStringLiteral("google"), Qt::CaseInsensitive))
            << text.toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("About Tornalo. . .")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Update Check for: Tornalo")));
    EXPECT_GT(texts.size(), 200);
}

class AboutWindow : public WindowCommands {
protected:
    std::unique_ptr<TacQuickAboutBoxForm> about = form.Commands().AboutBox->CreateForm();
};

TEST_F(AboutWindow, TakesCaptionAndWidthFromTheWindow)
{
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About Tornalo. . ."));
    EXPECT_EQ(about->TitleLabel->text(), QStringLiteral("Tornalo"));
    EXPECT_EQ(about->width(), 460);
    EXPECT_EQ(about->TitleLabel->width(), 460 - 4);
    EXPECT_EQ(about->DescriptionLabel->width(), 460 - 34 - 17);
    EXPECT_EQ(about->OKBtn->x(), 230 - about->OKBtn->width() / 2);
}

TEST_F(AboutWindow, ShowsTheProgramIconBesideTheTitle)
{
    ASSERT_FALSE(about->Icon->pixmap().isNull());
    EXPECT_EQ(about->Icon->pixmap().size(), QSize(32, 32));
    EXPECT_FALSE(about->Icon->isHidden());
}

TEST_F(AboutWindow, StacksDescriptionBetweenTheBevels)
{
    EXPECT_FALSE(about->Bevel1->isHidden());
    EXPECT_FALSE(about->Bevel2->isHidden());
    EXPECT_FALSE(about->DescriptionLabel->isHidden());
    EXPECT_LT(about->Bevel1->y(), about->DescriptionLabel->y());
    EXPECT_LT(about->DescriptionLabel->geometry().bottom(), about->Bevel2->y());
    EXPECT_LT(about->Bevel2->y(), about->EmailLab->y());
    EXPECT_LT(about->WWWLab->geometry().bottom(), about->OKBtn->y());
}

TEST_F(AboutWindow, LinksOpenTheMakersAndTheProjectsPages)
{
    EXPECT_EQ(about->EmailLab->Kind(), TacURLLabel::ukWWW);
    EXPECT_EQ(about->EmailLab->text(), QString::fromUtf8(MakerWebAddress));
    EXPECT_EQ(about->EmailLab->URL(), QString::fromUtf8(MakerWebAddress));
    EXPECT_EQ(about->WWWLab->text(), QString::fromUtf8(ProjectWebPage));
    EXPECT_EQ(about->WWWLab->URL(), QString::fromUtf8(ProjectWebPage));

    about->WWWLab->Open();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target, ProjectWebPage);
}

// The description as drawn: its paragraphs parsed one after the other, the
// style carried from each to the next as the label does.
TEST_F(AboutWindow, DescriptionShowsOnlyTheMakersNameInBold)
{
    const QString text = about->DescriptionLabel->Caption();
    ASSERT_EQ(text, form.Commands().AboutBox->Description);
    RichStyle style;
    QString bold;
    QString plain;
    for (const QString& paragraph : SplitRichParagraphs(text)) {
        for (const RichPiece& piece : ParseRichLine(paragraph, style, RichStyle(), RichTags()))
            (piece.style.bold ? bold : plain) += piece.text;
    }
    EXPECT_EQ(bold.trimmed(), QStringLiteral("Quorvex"));
    EXPECT_TRUE(plain.contains(QStringLiteral("Tornalo")));
    EXPECT_TRUE(plain.contains(QStringLiteral("English")));
    EXPECT_FALSE(plain.contains(u'['));
}

TEST_F(AboutWindow, CopyrightNamesTheMakerAndTheLicence)
{
    EXPECT_TRUE(about->CopyrightLabel->Caption().contains(QStringLiteral("Quorvex")));
    EXPECT_TRUE(about->CopyrightLabel->Caption().contains(
        QStringLiteral("License GPL-3.0-or-later: GNU GPL version 3 or later")));
    EXPECT_TRUE(about->CopyrightLabel->Caption().contains(QStringLiteral("NO WARRANTY")));
    EXPECT_EQ(about->CopyrightLabel->Caption(), form.Commands().AboutBox->Copyright);
}

// What the build places beside the executable must agree with the program.
TEST(InstalledFiles, DescriptorNamesTheProjectWebPage)
{
    EXPECT_EQ(ReadTagValue(TORNALO_INSTALLED_DESCRIPTOR, "WebPage").value, ProjectWebPage);
}

TEST(InstalledFiles, DescriptorVersionIsTheOneInTheWindowCaption)
{
    const TagValue version = ReadTagValue(TORNALO_INSTALLED_DESCRIPTOR, "Version");
    ASSERT_TRUE(version.found);
    TMainForm form("/tmp/");
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Tornalo v") + platform::ToQString(version.value));
}

TEST(InstalledFiles, UserGuideBesideTheExecutableIsTheCurrentOne)
{
    const std::string installed = ReadFile(TORNALO_INSTALLED_README);
    ASSERT_FALSE(installed.empty());
    EXPECT_EQ(installed, ReadFile(TORNALO_README_SOURCE));
}
