#include "SaverFixture.h"
#include "platform/WindowHooks.h"
#include "settings/TextForms.h"
#include "tests/support/QtPrinters.h"

#include <QTest>

namespace {

class PropSaverTest : public SaverFixture { };

TEST_F(PropSaverTest, WithoutStorageAPassOnlyCallsItsEvents)
{
    saver->SetStorage(nullptr);
    saver->Properties = { "Control.Count" };
    std::string log;
    saver->OnBeforeLoad = [&](TrsComponent*) { log += saver->State() == psLoadValues ? "b" : "?"; };
    saver->OnAfterLoad = [&](TrsComponent*) { log += saver->State() == psLoadValues ? "a" : "?"; };
    saver->OnBeforeSave = [&](TrsComponent*) { log += saver->State() == psSaveValues ? "B" : "?"; };
    saver->OnAfterSave = [&](TrsComponent*) { log += saver->State() == psSaveValues ? "A" : "?"; };
    saver->LoadValues();
    saver->SaveValues();
    EXPECT_EQ(log, "baBA");
    EXPECT_EQ(saver->State(), 0u);
}

TEST_F(PropSaverTest, SaveKeepsEachEntryUnderTheRootSection)
{
    form.control->Count = 9;
    form.control->Lines = { QStringLiteral("a"), QStringLiteral("b") };
    saver->Properties = { "Left", "CheckBoxPause.Checked", "Control.Count", "Control.Lines" };
    saver->SaveValues();
    EXPECT_EQ(Stored("Left"), std::to_string(form.frameGeometry().left()));
    EXPECT_EQ(StoredType("Left"), vtInteger);
    EXPECT_EQ(Stored("CheckBoxPause.Checked"), "True");
    EXPECT_EQ(StoredType("CheckBoxPause.Checked"), vtString);
    EXPECT_EQ(Stored("Control.Count"), "9");
    EXPECT_EQ(Stored("Control.Lines"), "a\r\nb");
    EXPECT_EQ(Stored("FormPlacement").substr(0, 14), "0,1,-1,-1,-1,-");
    EXPECT_EQ(storage.RootSection(), "Form.Saver");
}

TEST_F(PropSaverTest, LoadAppliesTheStoredValues)
{
    storage.WriteString("\\Form.Saver\\CheckBoxPause.Checked", "False");
    storage.WriteString("\\Form.Saver\\Control.Count", "12");
    storage.WriteBoolean("\\Form.Saver\\Control.Flag", true);
    saver->Properties = { "CheckBoxPause.Checked", "Control.Count", "Control.Flag" };
    saver->LoadValues();
    EXPECT_FALSE(form.pause->isChecked());
    EXPECT_EQ(form.control->Count, 12);
    EXPECT_TRUE(form.control->Flag);
}

TEST_F(PropSaverTest, EntryWhoseComponentIsMissingIsNeverLoadedAndItsKeyGoes)
{
    storage.WriteInteger("\\Form.Saver\\LanguageComboBox.ItemIndex", 3);
    saver->Properties = { "LanguageComboBox.ItemIndex" };
    saver->LoadValues();
    EXPECT_EQ(Stored("LanguageComboBox.ItemIndex"), "3");
    saver->SaveValues();
    EXPECT_EQ(Stored("LanguageComboBox.ItemIndex"), "<none>");
    EXPECT_TRUE(messages.empty());
}

TEST_F(PropSaverTest, KeysNoEntryNamesSurviveACycle)
{
    storage.WriteString("\\Other\\Key", "kept");
    storage.WriteString("\\Form.Saver\\Unknown", "also kept");
    saver->Properties = { "Control.Count" };
    saver->LoadValues();
    saver->SaveValues();
    EXPECT_EQ(storage.ReadString("\\Other\\Key", ""), "kept");
    EXPECT_EQ(Stored("Unknown"), "also kept");
}

TEST_F(PropSaverTest, DefaultIsAppliedForAMissingKey)
{
    form.control->Ratio = 1;
    saver->Properties = { "Control.Count,\"5\",", "Control.Ratio" };
    saver->LoadValues();
    EXPECT_EQ(form.control->Count, 5);
    EXPECT_EQ(form.control->Ratio, 1);
}

TEST_F(PropSaverTest, DisabledEntryIsNotLoadedAndItsKeyIsDeleted)
{
    storage.WriteInteger("\\Form.Saver\\Control.Count", 4);
    saver->Properties = { "Control.Count,\"\",\"\",DPD" };
    saver->LoadValues();
    EXPECT_EQ(form.control->Count, 0);
    saver->SaveValues();
    EXPECT_EQ(Stored("Control.Count"), "<none>");
}

TEST_F(PropSaverTest, ReadOnlyEntryIsLoadedButNeverRewritten)
{
    storage.WriteInteger("\\Form.Saver\\Control.Count", 4);
    saver->Properties = { "Control.Count,\"\",\"\",EPR" };
    saver->LoadValues();
    EXPECT_EQ(form.control->Count, 4);
    form.control->Count = 8;
    saver->SaveValues();
    EXPECT_EQ(Stored("Control.Count"), "4");
}

TEST_F(PropSaverTest, WriteOnlyEntryIsSavedButNeverLoaded)
{
    storage.WriteInteger("\\Form.Saver\\Count", 4);
    saver->Properties = { "Control.Count,\"5\",\"Count\",EPW" };
    saver->LoadValues();
    EXPECT_EQ(form.control->Count, 0);
    saver->SaveValues();
    EXPECT_EQ(Stored("Count"), "0");
}

TEST_F(PropSaverTest, WithoutStoreDefValuesAValueEqualToTheDefaultRemovesItsKey)
{
    storage.WriteString("\\Form.Saver\\CheckBoxPause.Checked", "False");
    saver->Properties = { "CheckBoxPause.Checked,\"true\"," };
    saver->SetOptions(poStoreFormPlacement);
    saver->SaveValues();
    EXPECT_EQ(Stored("CheckBoxPause.Checked"), "<none>");
    saver->SetOptions(poStoreFormPlacement | poStoreDefValues);
    saver->SaveValues();
    EXPECT_EQ(Stored("CheckBoxPause.Checked"), "True");
}

TEST_F(PropSaverTest, VariableEntryYieldsNoValue)
{
    storage.WriteInteger("\\Form.Saver\\Control.Count", 4);
    saver->Properties = { "Control.Count,\"\",\"\",EVD" };
    saver->LoadValues();
    EXPECT_EQ(form.control->Count, 0);
    saver->SaveValues();
    EXPECT_EQ(Stored("Control.Count"), "<none>");
}

TEST_F(PropSaverTest, KeyNameMayAddressASubsection)
{
    form.control->Count = 6;
    saver->Properties = { "Control.Count,\"\",\"Sub\\Count\"," };
    saver->SaveValues();
    EXPECT_EQ(storage.ReadInteger("\\Form.Saver\\Sub\\Count", 0), 6);
}

TEST_F(PropSaverTest, ValueThatCannotBeConvertedIsRaisedOnlyAfterTheWholePass)
{
    storage.WriteString("\\Form.Saver\\Control.Count", "abc");
    storage.WriteString("\\Form.Saver\\Control.Tone", "shNone");
    storage.WriteInteger("\\Form.Saver\\Control.Big", 5);
    storage.WriteString("\\Form.Saver\\FormPlacement", "0,1,-1,-1,-1,-1,20,30,420,330");
    saver->Properties = { "Control.Count", "Control.Tone", "Control.Big" };
    bool after = false;
    saver->OnAfterLoad = [&](TrsComponent*) { after = true; };
    try {
        saver->LoadValues();
        ADD_FAILURE() << "no error raised";
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'abc' is not a valid integer value");
    }
    EXPECT_TRUE(after);
    EXPECT_EQ(saver->State(), 0u);
    EXPECT_EQ(form.control->Count, 0);
    EXPECT_EQ(form.control->Big, 5);
    form.show();
    EXPECT_EQ(form.frameGeometry().topLeft(), QPoint(20, 30));
}

TEST_F(PropSaverTest, EveryUnusableValueGoesToTheErrorEventAndNothingIsRaised)
{
    storage.WriteString("\\Form.Saver\\Number", "abc");
    storage.WritePoint("\\Form.Saver\\Control.Ratio", { 1, 2 });
    storage.WriteString("\\Form.Saver\\CheckBoxPause.Checked", "maybe");
    storage.WriteInteger("\\Form.Saver\\Control.Big", 5);
    storage.WriteString("\\Form.Saver\\FormPlacement", "0,1,-1,-1,-1,-1,x,30,420,330");
    saver->Properties = { "Control.Count,\"\",\"Number\",", "Control.Ratio",
        "CheckBoxPause.Checked", "Control.Big" };
    std::vector<std::string> reported;
    saver->OnLoadError
        = [&](TrsComponent* sender, const std::string& key, const std::exception& error) {
              EXPECT_EQ(sender, saver);
              reported.push_back(key + ": " + error.what());
          };
    saver->LoadValues();
    EXPECT_EQ(reported,
        (std::vector<std::string> { "Number: 'abc' is not a valid integer value",
            "Control.Ratio: TrsStorage get key value error: Can't read value of key "
            "\"\\Form.Saver\\Control.Ratio\" as float type.",
            "CheckBoxPause.Checked: 'maybe' is not a valid value",
            "FormPlacement: 'x' is not a valid integer value" }));
    EXPECT_TRUE(form.pause->isChecked());
    EXPECT_EQ(form.control->Big, 5);
}

TEST_F(PropSaverTest, PlacementIsRestoredAfterTheEntries)
{
    storage.WriteString("\\Form.Saver\\FormPlacement", "0,1,-1,-1,-1,-1,20,30,420,330");
    storage.WriteInteger("\\Form.Saver\\Left", 5);
    saver->Properties = { "Left" };
    saver->LoadValues();
    form.show();
    EXPECT_EQ(form.frameGeometry(), QRect(20, 30, 400, 300));
}

TEST_F(PropSaverTest, PlacementIsNeitherKeptNorRestoredWhenItsOptionIsOff)
{
    storage.WriteString("\\Form.Saver\\FormPlacement", "0,1,-1,-1,-1,-1,20,30,420,330");
    saver->SetOptions(poStoreDefValues);
    saver->LoadValues();
    EXPECT_NE(form.frameGeometry().topLeft(), QPoint(20, 30));
    storage.KeyDelete("\\Form.Saver\\FormPlacement");
    saver->SaveValues();
    EXPECT_EQ(Stored("FormPlacement"), "<none>");
}

TEST(PropSaverOptionsTest, PlacementOptionAndPlacementPartsGoTogether)
{
    TrsPropSaver saver(nullptr);
    EXPECT_EQ(saver.Options(), unsigned { poStoreFormPlacement | poStoreDefValues });
    EXPECT_EQ(saver.FormPlacementOptions(), pfpAll);
    saver.SetOptions(poStoreDefValues);
    EXPECT_EQ(saver.FormPlacementOptions(), 0u);
    saver.SetOptions(poStoreDefValues | poStoreFormPlacement);
    EXPECT_EQ(saver.FormPlacementOptions(), pfpAll);
    saver.SetFormPlacementOptions(pfpSize);
    saver.SetOptions(poStoreFormPlacement);
    EXPECT_EQ(saver.FormPlacementOptions(), unsigned { pfpSize });
    saver.SetFormPlacementOptions(0);
    EXPECT_FALSE(saver.Options() & poStoreFormPlacement);
    saver.SetFormPlacementOptions(pfpState);
    EXPECT_TRUE(saver.Options() & poStoreFormPlacement);
}

TEST(PropSaverSectionTest, PreparedSectionIsTheRootBetweenBackslashes)
{
    TrsPropSaver saver(nullptr);
    EXPECT_EQ(saver.PreparedSection(), "\\");
    saver.SetRootSection("MainForm.rsPropSaver1");
    EXPECT_EQ(saver.PreparedSection(), "\\MainForm.rsPropSaver1\\");
    saver.SetRootSection("/A\\B/");
    EXPECT_EQ(saver.PreparedSection(), "/A\\B/");
    saver.SetRootSection("");
    EXPECT_EQ(saver.PreparedSection(), "\\");
}

class UserPropertyTest : public SaverFixture {
protected:
    UserPropertyTest() { saver->Properties = { "Tick,\"\",\"Ticks\",EUD" }; }
};

TEST_F(UserPropertyTest, SaveStoresWhatTheHandlerGives)
{
    std::string asked;
    saver->OnGetUserProperty = [&](TrsComponent* sender, const std::string& name, Variant& value) {
        asked = sender == saver ? name : "?";
        EXPECT_TRUE(value.IsEmpty());
        value = "0,13,40";
    };
    saver->SaveValues();
    EXPECT_EQ(asked, "Ticks");
    EXPECT_EQ(Stored("Ticks"), "0,13,40");
}

TEST_F(UserPropertyTest, HandlerThatGivesNothingLeavesAnEmptyKey)
{
    saver->OnGetUserProperty = [](TrsComponent*, const std::string&, Variant&) {};
    saver->SaveValues();
    EXPECT_EQ(StoredType("Ticks"), vtEmpty);
    EXPECT_EQ(Stored("Ticks"), "");
}

TEST_F(UserPropertyTest, WithoutHandlerTheKeyGoes)
{
    storage.WriteString("\\Form.Saver\\Ticks", "1");
    saver->SaveValues();
    EXPECT_EQ(Stored("Ticks"), "<none>");
}

TEST_F(UserPropertyTest, LoadHandsTheStoredValueOver)
{
    storage.WriteString("\\Form.Saver\\Ticks", "2,3");
    Variant seen;
    saver->OnSetUserProperty = [&](TrsComponent*, const std::string& name, Variant& value) {
        EXPECT_EQ(name, "Ticks");
        seen = value;
        value = "changed";
    };
    saver->LoadValues();
    EXPECT_EQ(seen, Variant("2,3"));
    EXPECT_EQ(Stored("Ticks"), "2,3");
}

TEST_F(UserPropertyTest, MissingKeyCallsTheHandlerOnlyWithADefault)
{
    int calls = 0;
    Variant seen;
    saver->OnSetUserProperty = [&](TrsComponent*, const std::string&, Variant& value) {
        ++calls;
        seen = value;
    };
    saver->LoadValues();
    EXPECT_EQ(calls, 0);
    saver->Properties = { "Tick,\"7\",\"Ticks\",EUD" };
    saver->LoadValues();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seen, Variant("7"));
}

class PublishedPropertyEventsTest : public SaverFixture { };

TEST_F(PublishedPropertyEventsTest, RefusedReadStoresTheHandlersValue)
{
    saver->Properties = { "Control.Count" };
    saver->OnGetProperty = [&](TrsComponent*, QObject* instance, const std::string& name,
                               Variant& value, bool& allow) {
        EXPECT_EQ(instance, form.control);
        EXPECT_EQ(name, "Count");
        value = int32_t { 77 };
        allow = false;
    };
    saver->SaveValues();
    EXPECT_EQ(Stored("Control.Count"), "77");
}

TEST_F(PublishedPropertyEventsTest, RefusedWriteLeavesTheProperty)
{
    storage.WriteInteger("\\Form.Saver\\Control.Count", 4);
    saver->Properties = { "Control.Count" };
    std::vector<Variant> seen;
    saver->OnSetProperty
        = [&](TrsComponent*, QObject*, const std::string&, Variant& value, bool& allow) {
              seen.push_back(value);
              allow = false;
          };
    saver->LoadValues();
    EXPECT_EQ(form.control->Count, 0);
    EXPECT_FALSE(saver->SetPublishProperty("Control.Count", Variant(int32_t { 3 })));
    EXPECT_EQ(seen, (std::vector<Variant> { Variant(int32_t { 4 }), Variant(int32_t { 3 }) }));
}

TEST_F(PublishedPropertyEventsTest, SinglePropertiesAreReadAndWrittenByPath)
{
    Variant value;
    ASSERT_TRUE(saver->GetPublishProperty("CheckBoxPause.Checked", value));
    EXPECT_EQ(value, Variant("True"));
    EXPECT_TRUE(saver->SetPublishProperty("Control.Count", Variant(int32_t { 3 })));
    EXPECT_EQ(form.control->Count, 3);
    EXPECT_FALSE(saver->GetPublishProperty("Nobody.Count", value));
    EXPECT_FALSE(saver->SetPublishProperty("Nobody.Count", Variant(int32_t { 3 })));
}

class SaverValueTest : public SaverFixture { };

TEST_F(SaverValueTest, GetValueFallsBackToTheEntrysDefault)
{
    saver->Properties = { "Control.Count,\"5\",\"Count\"," };
    EXPECT_EQ(saver->GetValue("count"), Variant("5"));
    EXPECT_TRUE(saver->GetValue("Other").IsEmpty());
    saver->SetValue("Count", Variant(int32_t { 9 }));
    EXPECT_EQ(saver->GetValue("Count"), Variant(int32_t { 9 }));
}

TEST_F(SaverValueTest, EncryptedEntriesAreCheckedInOnce)
{
    TrsEncryptor encryptor;
    encryptor.EncryptKeys = { "Form.Saver\\Secret" };
    storage.SetEncryptor(&encryptor);
    saver->Properties = { "Control.Count,\"\",\"Count\",EPDC", "Control.Big,\"\",\"Secret\",EPDC" };
    saver->SetOptions(saver->Options() | poEncryptFormPlacement);
    saver->SaveValues();
    saver->SaveValues();
    EXPECT_EQ(encryptor.EncryptKeys,
        (std::vector<std::string> {
            "Form.Saver\\Secret", "\\Form.Saver\\Count", "\\Form.Saver\\FormPlacement" }));
    storage.SetEncryptor(nullptr);
}

TEST_F(SaverValueTest, CustomEntriesGoThroughTheProvider)
{
    auto* provider = new TrsCustomProperties(&form);
    TrsCustomProperty* item = provider->Properties()->AddItem();
    item->PropClass = "TestControl";
    item->PropName = "Shade";
    item->OnGetProperty = [](TrsComponent*, QObject*, Variant& value) { value = "deep"; };
    Variant applied;
    item->OnSetProperty = [&](TrsComponent*, QObject*, Variant& value) { applied = value; };
    saver->CustomProperties = provider;
    saver->Properties = { "Control.Shade,\"\",\"\",ECD" };
    saver->SaveValues();
    EXPECT_EQ(Stored("Control.Shade"), "deep");
    saver->LoadValues();
    EXPECT_EQ(applied, Variant("deep"));
    delete provider;
    EXPECT_EQ(saver->CustomProperties, nullptr);
    saver->SaveValues();
    EXPECT_EQ(Stored("Control.Shade"), "<none>");
}

} // namespace
