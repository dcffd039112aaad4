#include "app/MainFormCommands.h"

#include "ProgramVersion.h"
#include "app/FavoritesFile.h"
#include "app/FormControl.h"
#include "app/JourneyView.h"
#include "app/MainFormRun.h"
#include "app/Memo.h"
#include "app/ProgramIcon.h"
#include "app/ProjectAddresses.h"
#include "app/SaveFileDialog.h"
#include "app/UpdateCheckEntry.h"
#include "journey/JourneyPage.h"
#include "platform/Paths.h"
#include "platform/QtText.h"
#include "platform/UserInterface.h"
#include "widgets/acQuickAboutBox.h"

#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QSaveFile>

namespace {

// A name given without an extension gets the page's own, so that a browser
// opens the file.
QString WithPageExtension(const QString& path)
{
    return QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".html") : path;
}

// The page replaces the file whole or not at all.
bool WriteWholeFile(const QString& path, const std::string& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly)
        && file.write(bytes.data(), static_cast<qint64>(bytes.size()))
        == static_cast<qint64>(bytes.size())
        && file.commit();
}

// A current folder that was removed, or whose path cannot be read, has no
// name to show.
std::string FolderName(const QString& path)
{
    return path.isEmpty() ? "the current folder" : "the folder " + platform::ToBytes(path);
}

// An installed copy keeps the favorites in the user's data folder, made when
// missing; a portable copy in the current folder, as designed.
QString FavoritesFolder(const std::string& programDirectory)
{
    if (!platform::IsInstalledCopy(programDirectory))
        return QDir::currentPath();
    const QString folder = platform::ToQString(platform::UserDataDirectory());
    QDir().mkpath(folder);
    return QDir(folder).absolutePath();
}

} // namespace

TMainFormCommands::TMainFormCommands(
    QMainWindow& form, const TMainFormRun& run, const std::string& programDirectory)
    : QObject(&form), AboutBox(new TacQuickAboutBox(this)), ExeDir(programDirectory), form(form),
      run(run), OriginalTextMemo(FormControl<TMemo>(form, "OriginalTextMemo")),
      TranslatedTextMemo(FormControl<TMemo>(form, "TranslatedTextMemo")),
      JourneyView(FormControl<TJourneyView>(form, "JourneyView")),
      programDirectory(programDirectory)
{
    SetUpAboutBox();
}

void TMainFormCommands::SetUpAboutBox()
{
    AboutBox->setObjectName(QStringLiteral("AboutBox"));
    AboutBox->Caption = QStringLiteral("Tornalo");
    AboutBox->Copyright = QStringLiteral(
        "Copyright \u00A9 2026 Quorvex.\r\n" TORNALO_LICENSE "\r\n" TORNALO_WARRANTY);
    AboutBox->Description = QStringLiteral(
        "\r\nTornalo is one of the small programs made by [B]Quorvex\r\n\r\n[]"
        "It sends your text from English through other languages and back again, by way of a "
        "translation service, for amusing results.\r\n ");
    AboutBox->Icon = ProgramIconPixmap(32);
    AboutBox->Email = QString::fromUtf8(MakerWebAddress);
    AboutBox->EmailText = QString::fromUtf8(MakerWebAddress);
    AboutBox->EmailIsWWW = true;
    AboutBox->WebSite = QString::fromUtf8(ProjectWebPage);
    AboutBox->Width = 460;
    AboutBox->AnimationOnShow = false;
    AboutBox->AnimationOnHide = false;
    AboutBox->Cursors.Caption = Qt::ArrowCursor;
}

// The entry records whatever the two memos hold now, whether or not a run
// produced it.
void TMainFormCommands::AddToFavorites()
{
    const QString folder = FavoritesFolder(programDirectory);
    // A current folder that is gone has no path: the name alone then fails
    // as it should, where a path made from nothing would name "/".
    const std::string fileName = folder.isEmpty()
        ? std::string("Favorites.txt")
        : platform::ToBytes(QDir(folder).absoluteFilePath(QStringLiteral("Favorites.txt")));
    const std::string entry
        = FavoritesEntry(OriginalTextMemo.Lines(), run.Route, TranslatedTextMemo.Lines());
    if (const std::string reason = AppendToFavorites(fileName, entry); !reason.empty()) {
        platform::ShowMessageBox(&form,
            { "Error: could not open or create Favorites.txt file.\n" + reason + ", in "
                    + FolderName(folder) + ".",
                "Tornalo" });
        return;
    }
    platform::OpenShowingFailure(&form, fileName);
}

void TMainFormCommands::SaveJourney()
{
    const std::string chosen = AskSaveFileName({ &form, "Save Journey",
        platform::ToBytes(QDir::current().absoluteFilePath(QStringLiteral("Journey.html"))),
        "Web pages (*.html *.htm)" });
    if (chosen.empty())
        return;
    const QString path = WithPageExtension(platform::ToQString(chosen));
    if (!WriteWholeFile(path, JourneyPage(JourneyView.Model())))
        platform::ShowMessageBox(&form,
            { "Error: could not write " + platform::ToBytes(path) + ".", "Tornalo",
                platform::MessageIcon::Error });
}

void TMainFormCommands::OpenContents()
{
    ExeDir = programDirectory;
    platform::OpenShowingFailure(&form, platform::DataFilePath(ExeDir, "ReadMe.txt"));
}

void TMainFormCommands::CheckUpdates()
{
    CallUpdateCheck({ "Tornalo", &form, ExeDir, "", "-show", "a", 0 });
}

void TMainFormCommands::VisitForum()
{
    platform::OpenShowingFailure(&form, ProjectForumPage);
}

void TMainFormCommands::ShowAbout()
{
    AboutBox->Execute();
}
