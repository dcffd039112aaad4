#include "app/MainFormSettings.h"

#include "app/CheckListBox.h"
#include "app/ComboBox.h"
#include "platform/Paths.h"
#include "platform/UserInterface.h"
#include "run/TranslationRequest.h"
#include "settings/TextForms.h"

#include <QWidget>
#include <stdexcept>
#include <unistd.h>

namespace {

const char* const kEntryLines[] = {
    "Left",
    "Top",
    "Width",
    "Height",
    "LanguageComboBox.ItemIndex",
    "CheckBoxShowEach.Checked",
    "CheckBoxDoubleChain.Checked",
    "acSplitterPanelMain.SplitterPos",
    "acNumberEditLoops.Value",
    "ChecklistString,\"\",\"ChecklistString\",EUD",
    "CheckBoxPause.Checked",
    "CheckBoxResetAfterEach.Checked",
    "CheckBoxReverseOrder.Checked",
    "OriginalTextMemo.Lines",
    "CheckBoxShowOriginalInOutput.Checked",
    "CheckBoxAutoCopyClipboard.Checked",
    "ComboBoxHomeLanguage.ItemIndex",
    "CheckBoxAdvancedChaining.Checked",
    // Added after the first release: files written before it lack the key,
    // and a missing key leaves the box as the window made it.
    "CheckBoxUntilStable.Checked",
};

constexpr const char* kChecklistString = "ChecklistString";

// An installed copy keeps its settings in the user's folder even when its
// own folder is writable (run by root, or installed under the user's home).
bool KeepsSettingsBeside(const std::string& folder)
{
    return !folder.empty() && !platform::IsInstalledCopy(folder)
        && access(folder.c_str(), W_OK) == 0;
}

std::string FallbackFolder()
{
    return platform::UserConfigDirectory() + "Tornalo/";
}

// The row a token names, or -1 when it is no row of a list of count rows.
int RowOfToken(const std::string& token, int count)
{
    try {
        const int row = TextToInteger(token);
        return row >= 0 && row < count ? row : -1;
    } catch (const ConversionError&) {
        return -1;
    }
}

std::string WithoutFullStop(std::string sentence)
{
    if (!sentence.empty() && sentence.back() == '.')
        sentence.pop_back();
    return sentence;
}

// "'abc' is not a valid integer value for Width; the default is used". The
// storage's own errors already name the key.
std::string EntryFaultText(const std::string& keyName, const std::exception& error)
{
    std::string reason = WithoutFullStop(error.what());
    if (!dynamic_cast<const TrsException*>(&error))
        reason += " for " + keyName;
    return reason + "; the default is used";
}

std::string VariantText(const Variant& value)
{
    TrsValue scratch;
    TrsKeyWrapper cell;
    cell.SetTarget(&scratch);
    cell.SetAsVariant(value);
    return cell.GetAsString();
}

// Set in code, a row outside the list selects none; stored, it is a damaged
// value, and the box keeps its row as for any other. A value that is no
// number is left to the property's own conversion, which says so.
void CheckStoredRow(QObject* instance, const std::string& path, const Variant& value)
{
    const auto* box = qobject_cast<const TComboBox*>(instance);
    if (!box || !SameText(path, "ItemIndex"))
        return;
    const std::string text = VariantText(value);
    try {
        if (const int row = TextToInteger(text); row >= 0 && row < box->count())
            return;
    } catch (const ConversionError&) {
        return;
    }
    throw ConversionError("'" + text + "' is not a row of the list");
}

} // namespace

std::string SettingsFilePath(const std::string& programDirectory)
{
    const std::string folder
        = KeepsSettingsBeside(programDirectory) ? programDirectory : FallbackFolder();
    return folder + "Tornalo.ini";
}

TMainFormSettings::TMainFormSettings(
    QWidget& form, TCheckListBox& languages, const std::string& programDirectory)
    : rsCustomProperties1(new TrsCustomProperties(&form)), rsPropSaver1(new TrsPropSaver(&form)),
      languages_(languages)
{
    SetUpIniData(programDirectory);
    rsStorage1.Name = "rsStorage1";
    rsStorage1.SetStorageData(&rsIniData1);
    rsStorage1.OnBeforeSave = [this](TrsComponent*) { KeepDamagedFile(); };
    rsCustomProperties1->setObjectName(QStringLiteral("rsCustomProperties1"));
    SetUpPropSaver();
    OpenStorage();
}

TMainFormSettings::~TMainFormSettings()
{
    delete rsPropSaver1;
    CloseStorage();
}

void TMainFormSettings::SetUpIniData(const std::string& programDirectory)
{
    rsIniData1.Name = "rsIniData1";
    rsIniData1.FileName = SettingsFilePath(programDirectory);
    rsIniData1.FileDir = fdCustom;
    rsIniData1.Options = KeepsSettingsBeside(programDirectory) ? 0u : unsigned { doAutoCreateDir };
}

void TMainFormSettings::SetUpPropSaver()
{
    rsPropSaver1->setObjectName(QStringLiteral("rsPropSaver1"));
    rsPropSaver1->SetStorage(&rsStorage1);
    rsPropSaver1->CustomProperties = rsCustomProperties1;
    rsPropSaver1->SetRootSection("MainForm.rsPropSaver1");
    rsPropSaver1->Properties.assign(std::begin(kEntryLines), std::end(kEntryLines));
    rsPropSaver1->OnGetUserProperty
        = [this](TrsComponent* sender, const std::string& name, Variant& value) {
              rsPropSaver1GetUserProperty(sender, name, value);
          };
    rsPropSaver1->OnSetUserProperty
        = [this](TrsComponent* sender, const std::string& name, Variant& value) {
              rsPropSaver1SetUserProperty(sender, name, value);
          };
    rsPropSaver1->OnSetProperty
        = [](TrsComponent*, QObject* instance, const std::string& path, Variant& value, bool&) {
              CheckStoredRow(instance, path, value);
          };
    rsPropSaver1->OnLoadError
        = [this](TrsComponent*, const std::string& keyName, const std::exception& error) {
              NoteEntryFault(keyName, error);
          };
    rsPropSaver1->OnAfterLoad = [this](TrsComponent*) { ReportFaults(); };
    rsPropSaver1->SetWhenLoad(wlOnCreate);
    rsPropSaver1->SetWhenSave(wsOnClose);
}

// A file that cannot be read must not lock the user out: the message is
// shown, the window opens with its defaults, and the file is kept as
// "Tornalo.ini.bak" before it is first replaced.
void TMainFormSettings::OpenStorage()
{
    std::string openFailure;
    try {
        rsStorage1.SetActive(true);
        faults_ = rsIniData1.LoadFaults();
        damagedFile_ = !faults_.Empty();
    } catch (const std::exception& error) {
        openFailure = error.what();
        damagedFile_ = true;
        // Opening while the design is being read puts the load off, so the
        // storage opens over the tree read so far without reading the file
        // again; closing it then saves that tree.
        rsStorage1.BeginReading();
        rsStorage1.SetActive(true);
    }
    WarnAtOpen(openFailure);
}

// Said at the start, while the user can still do something about it, and
// only then: the save at the end is still tried, quietly. A file that can be
// neither read nor replaced is said in one message.
void TMainFormSettings::WarnAtOpen(const std::string& openFailure)
{
    const std::string refusal = rsIniData1.SaveRefusal();
    if (refusal.empty()) {
        if (!openFailure.empty())
            platform::ShowException(std::runtime_error(openFailure));
        return;
    }
    saveRefusalShown_ = true;
    std::string text = "The settings cannot be saved to " + rsIniData1.GetFileName();
    if (!openFailure.empty())
        text = WithoutFullStop(openFailure) + "; the defaults are used. " + text + " either";
    platform::ShowWarning(text + ". " + refusal + " Changes made now are not kept.");
}

void TMainFormSettings::NoteEntryFault(const std::string& keyName, const std::exception& error)
{
    faults_.Add(LineOfKey(keyName), EntryFaultText(keyName, error));
}

int TMainFormSettings::LineOfKey(const std::string& keyName)
{
    const int index = rsStorage1.KeyFindAddItem(rsPropSaver1->PreparedSection() + keyName, false);
    return index < 0 ? 0 : rsIniData1.KeyLine(rsStorage1.KeyFullName(index));
}

// The file is copied at once, so that the message can say where it is; when
// that fails the copy is tried again before the file is replaced.
void TMainFormSettings::ReportFaults()
{
    if (faults_.Empty())
        return;
    damagedFile_ = true;
    std::string text = faults_.Summary(rsIniData1.GetFileName());
    faults_.Clear();
    const platform::KeptCopy copy = CopyToBackup();
    if (!copy.error.empty())
        text += " It could not be copied to " + copy.path + " (" + copy.error
            + "), so it is left as it is.";
    else
        text += " The file as it was is kept in " + copy.path + ".";
    platform::ShowWarning(text);
}

platform::KeptCopy TMainFormSettings::CopyToBackup()
{
    platform::KeptCopy copy = platform::KeepCopy(rsIniData1.GetFileName());
    if (copy.error.empty())
        damagedFile_ = false;
    return copy;
}

void TMainFormSettings::KeepDamagedFile()
{
    if (!damagedFile_)
        return;
    if (const platform::KeptCopy copy = CopyToBackup(); !copy.error.empty())
        throw std::runtime_error("Can't keep a copy of the damaged settings file \""
            + rsIniData1.GetFileName() + "\" (" + copy.error + "); the file was left unchanged.");
}

void TMainFormSettings::CloseStorage()
{
    try {
        rsStorage1.SetActive(false);
    } catch (const std::exception& error) {
        if (!saveRefusalShown_)
            platform::ShowException(error);
        // The storage must not try again when it is destroyed.
        rsStorage1.Options &= ~unsigned { soSaveOnClose };
        rsStorage1.SetActive(false);
    }
}

void TMainFormSettings::rsPropSaver1GetUserProperty(
    TrsComponent*, const std::string& PropName, Variant& Value)
{
    if (PropName != kChecklistString)
        return;
    std::string text;
    for (int row = 0; row < languages_.Count(); ++row) {
        if (!languages_.Checked(row))
            continue;
        if (!text.empty())
            text += ',';
        text += std::to_string(row);
    }
    Value = Variant(text);
}

void TMainFormSettings::rsPropSaver1SetUserProperty(
    TrsComponent*, const std::string& PropName, Variant& Value)
{
    if (PropName != kChecklistString)
        return;
    std::string rest = VariantText(Value);
    std::string token;
    while (SplitFirst(rest, token, ",", true)) {
        const int row = RowOfToken(token, languages_.Count());
        if (row >= 0)
            languages_.SetChecked(row, true);
    }
}
