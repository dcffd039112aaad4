#include "update/UpdateCheck.h"

#include "platform/UserInterface.h"
#include "text/FileNames.h"
#include "update/UpdateDescriptor.h"
#include "update/UpdateDialog.h"
#include "update/UpdateText.h"
#include "update/UpdaterHandOff.h"
#include "update/VersionFile.h"

namespace {

// The flags are plain, case-sensitive substrings anywhere in the options.
// "-dontofferqvupdaterpage" is accepted too; it changes nothing, because the
// dialog never offers the updater's page.
bool HasFlag(const std::string& options, const char* flag)
{
    return options.find(flag) != std::string::npos;
}

bool EndsInSeparator(const std::string& text)
{
    return !text.empty() && text::IsFolderSeparator(text.back());
}

std::string NormalisedProgramDir(std::string programDir)
{
    if (programDir.size() >= 2 && EndsInSeparator(programDir))
        programDir.pop_back();
    if (programDir.empty() || programDir == ".")
        return ProgramFileDirectory();
    if (programDir == "..")
        return ParentPath(ProgramFileDirectory());
    return programDir;
}

// The updater learns where to look from the quoted -scandir option, so a
// folder with blanks in its name stays one argument.
std::string ExtendedOptions(const std::string& options, const std::string& programDir)
{
    return options + (options.empty() ? "" : " ") + "-check -closexits \"-scandir=" + programDir
        + "\"";
}

std::string AutomaticCaption(const std::string& productName)
{
    return productName.empty() ? std::string("Update Check") : "Update Check for: " + productName;
}

std::string Caption(const std::string& productName, const std::string& title)
{
    return title == "a" ? AutomaticCaption(productName) : title;
}

bool AsksForSilence(const std::string& title)
{
    return title.empty() || title == ".";
}

std::string NameInMessages(const std::string& productName)
{
    return productName.empty() ? std::string("The program") : productName;
}

void ShowUpToDate(const std::string& productName, QWidget* ownerWindow, const std::string& title,
    const std::string& version)
{
    platform::ShowMessageBox(ownerWindow,
        { NameInMessages(productName) + " is up to date (v" + version
                + ").\r\n\r\n Update check complete.",
            title, platform::MessageIcon::Information, platform::MessageButtons::Ok });
}

std::string TopLine(const std::string& status, const std::string& webPage, int result)
{
    const std::string head = status.empty() ? std::string() : status + "\r\n\r\n";
    if (webPage.empty())
        return head + "Could not determine web page to check.";
    if (result == NewerAvailable)
        return head + "You can now visit the web page and download the latest update.";
    return head + "You can visit the web page and check for updates manually.";
}

std::string WhatsNewBox(const std::string& productName, const std::string& whatsNew)
{
    if (!whatsNew.empty())
        return ExpandLineBreaks(whatsNew);
    return "Please visit the " + productName
        + " program web page for more information and to learn about the latest features.";
}

} // namespace

bool CheckForUpdates(const std::string& productName, QWidget* ownerWindow,
    const std::string& programDir, const std::string& updaterLocation, const std::string& options,
    const std::string& title, int skipUpdater)
{
    std::string updaterPath = FindUpdaterProgram(programDir, updaterLocation);
    const std::string folder = NormalisedProgramDir(programDir);
    const std::string extendedOptions = ExtendedOptions(options, folder);
    const std::string caption = Caption(productName, title);
    if (skipUpdater != 0)
        updaterPath.clear();
    if (updaterPath.empty()) {
        RunUpdateCheck(productName, ownerWindow, folder, caption, extendedOptions);
        return false;
    }
    StartUpdater(updaterPath, extendedOptions, folder);
    return true;
}

void RunUpdateCheck(const std::string& productName, QWidget* ownerWindow,
    const std::string& programDir, const std::string& title, const std::string& options)
{
    const UpdateDescriptor descriptor = ReadUpdateDescriptor(programDir);
    std::string webPage = descriptor.WebPage;
    std::string caption = title;
    std::string status;
    std::string remoteVersion;
    std::string whatsNew;
    int result = SameVersion;
    if (!HasFlag(options, "-nohelperweb") && !descriptor.VersionFileRemote.empty()) {
        result = CheckWebVersion(productName, descriptor.VersionFileRemote, descriptor.Version,
            webPage, status, remoteVersion, whatsNew);
        if (result == SameVersion) {
            if (!HasFlag(options, "-shownew") && !HasFlag(options, "-nothingexit")
                && !AsksForSilence(title))
                ShowUpToDate(productName, ownerWindow, title, descriptor.Version);
            return;
        }
        if (result != NewerAvailable && HasFlag(options, "-silenterror"))
            return;
        if (AsksForSilence(caption))
            caption = AutomaticCaption(productName);
    }
    if (caption.empty())
        return;
    ShowUpdateDialog(
        webPage, {}, caption, TopLine(status, webPage, result), WhatsNewBox(productName, whatsNew));
}

void ShowPackageManagerUpdates(const std::string& productName, QWidget* ownerWindow,
    const std::string& programDir, const std::string& title)
{
    const std::string version = ReadUpdateDescriptor(NormalisedProgramDir(programDir)).Version;
    platform::ShowMessageBox(ownerWindow,
        { NameInMessages(productName) + (version.empty() ? "" : " (v" + version + ")")
                + " was installed by the system's package manager, which brings its updates: "
                  "use your package manager (for example apt) to update it.",
            Caption(productName, title), platform::MessageIcon::Information,
            platform::MessageButtons::Ok });
}
