#include "settings/rsStorage.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using Names = std::vector<std::string>;

// --- Paths and sections ----------------------------------------------------------

class StorageTreeTest : public ::testing::Test {
protected:
    TrsStorage storage;
};

TEST_F(StorageTreeTest, BothSeparatorsNameTheSameSectionCaseInsensitively)
{
    storage.SectionAdd("A\\B");
    EXPECT_TRUE(storage.SectionExist("a/b"));
    EXPECT_TRUE(storage.SectionExist("//A//b/"));
    EXPECT_FALSE(storage.SectionExist("A\\C"));
    EXPECT_EQ(storage.SectionItemCount(), 2);
}

TEST_F(StorageTreeTest, KeyPathsNameRootCurrentAndRelativeSections)
{
    storage.SetRootSection("Cur");
    storage.WriteInteger("\\Key", 1);
    storage.WriteInteger("Key", 2);
    storage.WriteInteger("S\\Key", 3);
    EXPECT_EQ(storage.KeyFullName(storage.KeyFindAddItem("\\Key", false)), "\\\\Key");
    EXPECT_EQ(storage.KeyFullName(storage.KeyFindAddItem("Key", false)), "\\Cur\\Key");
    EXPECT_EQ(storage.KeyFullName(storage.KeyFindAddItem("S\\Key", false)), "\\Cur\\S\\Key");
    EXPECT_EQ(storage.ReadInteger("/cur/s/KEY", 0), 3);
}

TEST_F(StorageTreeTest, RootSectionCreatesEveryMissingSectionAndKeepsItsText)
{
    storage.SetRootSection("/A/B\\C");
    EXPECT_EQ(storage.RootSection(), "/A/B\\C");
    EXPECT_EQ(storage.SectionItemCount(), 3);
    EXPECT_EQ(storage.SectionName(), "C");
    const int index = storage.SectionFirst() + 2;
    EXPECT_EQ(storage.SectionFullName(index), "A\\B\\C");
    EXPECT_EQ(storage.SectionLevel(index), 3);
    EXPECT_EQ(storage.SectionLevel(-1), 0);
}

TEST_F(StorageTreeTest, RootSectionIsResolvedFromTheRootEvenWithoutSeparator)
{
    storage.SetRootSection("A");
    storage.SetRootSection("B");
    EXPECT_TRUE(storage.SectionExist("\\B"));
    EXPECT_FALSE(storage.SectionExist("\\A\\B"));
}

TEST_F(StorageTreeTest, ChangeDownAndUpFollowTheTree)
{
    storage.SectionAdd("\\A\\B");
    EXPECT_FALSE(storage.ChangeUpRootSection());
    EXPECT_TRUE(storage.ChangeDownRootSection("A"));
    EXPECT_EQ(storage.RootSection(), "A");
    EXPECT_TRUE(storage.ChangeDownRootSection("b"));
    EXPECT_EQ(storage.RootSection(), "A\\b");
    EXPECT_FALSE(storage.ChangeDownRootSection("X"));
    EXPECT_TRUE(storage.ChangeUpRootSection());
    EXPECT_EQ(storage.RootSection(), "A");
    EXPECT_EQ(storage.SectionName(), "A");
    EXPECT_TRUE(storage.ChangeUpRootSection());
    EXPECT_EQ(storage.RootSection(), "");
    EXPECT_EQ(storage.SectionCurrentId(), 0);
}

TEST_F(StorageTreeTest, SectionsAndKeysListInNameOrderWhateverTheWriteOrder)
{
    for (const char* name : { "c", "A", "b" }) {
        storage.SectionAdd(name);
        storage.WriteInteger(name, 1);
    }
    EXPECT_EQ(storage.SectionList(), (Names { "A", "b", "c" }));
    EXPECT_EQ(storage.KeyList(), (Names { "A", "b", "c" }));
    EXPECT_EQ(storage.SectionCount(), 3);
    EXPECT_EQ(storage.KeyCount(), 3);
}

TEST_F(StorageTreeTest, NewSectionsGetHigherIdsThatStayFixed)
{
    storage.SectionAdd("B");
    const int idB = storage.GetSectionItem(0).Id;
    storage.SectionAdd("A");
    EXPECT_EQ(storage.GetSectionItem(0).Name, "A");
    EXPECT_GT(storage.GetSectionItem(0).Id, idB);
    EXPECT_EQ(storage.GetSectionItem(1).Id, idB);
}

TEST_F(StorageTreeTest, SectionDeleteRemovesSubtreeAndResetsACurrentSectionInside)
{
    storage.WriteInteger("\\A\\B\\K", 1);
    storage.WriteInteger("\\A\\K", 1);
    storage.WriteInteger("\\Z\\K", 1);
    storage.SetRootSection("A\\B");
    storage.SectionDelete("\\A");
    EXPECT_EQ(storage.RootSection(), "");
    EXPECT_EQ(storage.SectionItemCount(), 1);
    EXPECT_EQ(storage.KeyItemCount(), 1);
    EXPECT_TRUE(storage.KeyExist("\\Z\\K"));
    storage.SectionDelete("\\Missing");
    EXPECT_EQ(storage.SectionItemCount(), 1);
}

TEST_F(StorageTreeTest, DeletingTheLastSectionResetsRootSection)
{
    storage.SetRootSection("Only");
    storage.WriteInteger("K", 1);
    storage.SectionDelete("\\Only");
    EXPECT_EQ(storage.RootSection(), "");
    EXPECT_EQ(storage.SectionCurrentId(), 0);
    EXPECT_EQ(storage.KeyItemCount(), 0);
}

TEST_F(StorageTreeTest, SectionClearKeepsTheSectionAndClearTakesTheCurrentOne)
{
    storage.WriteInteger("\\A\\B\\K", 1);
    storage.WriteInteger("\\A\\K", 1);
    storage.WriteInteger("\\C\\K", 1);
    storage.SectionClear("\\A");
    EXPECT_TRUE(storage.SectionExist("\\A"));
    EXPECT_FALSE(storage.SectionExist("\\A\\B"));
    EXPECT_EQ(storage.KeyItemCount(), 1);
    storage.SetRootSection("C");
    storage.Clear();
    EXPECT_EQ(storage.KeyItemCount(), 0);
    EXPECT_TRUE(storage.SectionExist("\\C"));
}

TEST_F(StorageTreeTest, SectionRenameMovesContentsAndIgnoresMissingSections)
{
    storage.WriteInteger("\\Old\\Sub\\K", 1);
    storage.WriteString("\\Old\\S", "s");
    storage.SectionRename("\\Old", "\\New\\Place");
    EXPECT_FALSE(storage.SectionExist("\\Old"));
    EXPECT_EQ(storage.ReadInteger("\\New\\Place\\Sub\\K", 0), 1);
    EXPECT_EQ(storage.ReadString("\\New\\Place\\S", ""), "s");
    storage.SectionRename("\\Missing", "\\Other");
    EXPECT_FALSE(storage.SectionExist("\\Other"));
}

TEST_F(StorageTreeTest, SectionRenameIntoItselfLosesNothing)
{
    storage.WriteInteger("\\Old\\K", 1);
    storage.SectionRename("\\Old", "\\Old\\Inside");
    EXPECT_EQ(storage.ReadInteger("\\Old\\K", 0), 1);
    EXPECT_FALSE(storage.SectionExist("\\Old\\Inside"));
}

TEST_F(StorageTreeTest, WalkingSectionsFollowsArrayOrder)
{
    storage.SectionAdd("\\B\\C");
    storage.SectionAdd("\\A");
    Names walked;
    for (int i = storage.SectionFirst(); i >= 0; i = storage.SectionNext())
        walked.push_back(storage.Section().GetFullName());
    EXPECT_EQ(walked, (Names { "A", "B", "B\\C" }));
    EXPECT_EQ(storage.SectionLast(), 2);
    EXPECT_EQ(storage.SectionPrior(), 1);
}

// --- Keys -------------------------------------------------------------------------

TEST_F(StorageTreeTest, KeysAreCaseInsensitive)
{
    storage.WriteInteger("Left", 1);
    storage.WriteInteger("LEFT", 2);
    EXPECT_EQ(storage.KeyItemCount(), 1);
    EXPECT_EQ(storage.ReadInteger("left", 0), 2);
}

TEST_F(StorageTreeTest, KeyRenameMovesTheValueAndIgnoresMissingKeys)
{
    storage.WriteString("\\A\\Old", "v");
    storage.WriteString("\\B\\New", "overwritten");
    storage.KeyRename("\\A\\Old", "\\B\\New");
    EXPECT_FALSE(storage.KeyExist("\\A\\Old"));
    EXPECT_EQ(storage.ReadString("\\B\\New", ""), "v");
    storage.KeyRename("\\A\\Missing", "\\B\\Other");
    EXPECT_FALSE(storage.KeyExist("\\B\\Other"));
}

TEST_F(StorageTreeTest, KeyRenameOntoItselfOnlyChangesCase)
{
    storage.WriteString("key", "v");
    storage.KeyRename("key", "KEY");
    EXPECT_EQ(storage.KeyList(), (Names { "KEY" }));
    EXPECT_EQ(storage.ReadString("key", ""), "v");
}

TEST_F(StorageTreeTest, KeyWalkCoversTheCurrentSectionOrEveryKeyAtTheRoot)
{
    storage.WriteInteger("\\A\\x", 1);
    storage.WriteInteger("\\A\\y", 2);
    storage.WriteInteger("\\B\\z", 3);
    Names walked;
    for (int i = storage.KeyFirst(); i >= 0; i = storage.KeyNext())
        walked.push_back(storage.Key().GetFullName());
    EXPECT_EQ(walked, (Names { "\\A\\x", "\\A\\y", "\\B\\z" }));
    storage.SetRootSection("A");
    walked.clear();
    for (int i = storage.KeyLast(); i >= 0; i = storage.KeyPrior())
        walked.push_back(storage.Key().GetName());
    EXPECT_EQ(walked, (Names { "y", "x" }));
}

TEST_F(StorageTreeTest, KeyWrapperNamesItsSection)
{
    storage.WriteInteger("\\A\\B\\K", 1);
    EXPECT_EQ(storage.Key().GetSectionName(), "B");
    EXPECT_EQ(storage.Key().GetSectionFullName(), "A\\B");
    EXPECT_EQ(storage.Key().GetSectionLevel(), 2);
}

TEST_F(StorageTreeTest, WriteStringsReplacesAListAndRemovesStaleItems)
{
    storage.SetRootSection("S");
    storage.WriteStrings("Name", { "1", "2", "3", "4", "5" });
    storage.WriteString("Name", "stray");
    storage.WriteString("Other", "kept");
    storage.WriteStrings("Name", { "a", "b", "c" });
    EXPECT_EQ(storage.KeyList(), (Names { "Name.Item0", "Name.Item1", "Name.Item2", "Other" }));
    Names lines;
    EXPECT_TRUE(storage.ReadStrings("Name", lines));
    EXPECT_EQ(lines, (Names { "a", "b", "c" }));
    EXPECT_TRUE(storage.ReadStrings("\\S\\Name", lines));
    EXPECT_FALSE(storage.ReadStrings("\\S\\None", lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(storage.RootSection(), "S");
}

TEST_F(StorageTreeTest, WriteStringsOfNoLinesRemovesItemWithoutNumber)
{
    storage.WriteString("\\S\\L.Item", "x");
    storage.WriteString("\\S\\L.Item0", "x");
    storage.WriteStrings("\\S\\L", {});
    EXPECT_EQ(storage.KeyItemCount(), 0);
}

// --- Growth and shrink -------------------------------------------------------------

TEST_F(StorageTreeTest, ArraysGrowInStepsAndHalveTheirSpareRoom)
{
    Names expected;
    std::vector<int> capacities;
    for (int i = 0; i < 100; ++i) {
        storage.WriteInteger("K" + std::to_string(1000 + i), i);
        if (capacities.empty() || capacities.back() != storage.KeyListCapacity())
            capacities.push_back(storage.KeyListCapacity());
    }
    EXPECT_EQ(capacities, (std::vector<int> { 8, 16, 24, 40, 56, 72, 90, 112 }));
    storage.KeyDelete("K1000");
    EXPECT_EQ(storage.KeyListCapacity(), 99 + (112 - 99) / 2);
    storage.KeyListGrow(1000);
    EXPECT_EQ(storage.KeyListCapacity(), 99 + 1000);
    storage.ClearAll();
    EXPECT_EQ(storage.KeyListCapacity(), 0);
    storage.SectionListGrow(3);
    EXPECT_EQ(storage.SectionListCapacity(), 8);
}

// --- Notifications ---------------------------------------------------------------------

struct Recorder : TrsStorageClient {
    std::vector<std::pair<TrsClientNotification, std::string>> received;
    void rsNotification(TrsClientNotification kind, const std::string& name) override
    {
        received.emplace_back(kind, name);
    }
};

TEST(StorageClients, SubscribersReceiveTheirKindsWhileActive)
{
    TrsStorage storage;
    Recorder all, none;
    all.Subscriptions = ~0u;
    all.SetStorage(&storage);
    none.SetStorage(&storage);
    storage.SectionAdd("\\A\\B");
    storage.WriteInteger("K", 1);
    storage.KeyDelete("K");
    storage.SetRootSection("A");
    storage.SectionDelete("\\A\\B");
    storage.Clear();
    all.SetActive(false);
    storage.ClearAll();
    using Entry = std::pair<TrsClientNotification, std::string>;
    EXPECT_EQ(all.received,
        (std::vector<Entry> { { scnSectionAdd, "A\\B" }, { scnKeyAdd, "K" }, { scnKeyDelete, "K" },
            { scnRootSectionChanged, "A" }, { scnSectionDelete, "A\\B" },
            { scnSectionClear, "A" } }));
    EXPECT_TRUE(none.received.empty());
}

TEST(StorageClients, ClearAllSendsOnlyItsOwnNotification)
{
    TrsStorage storage;
    Recorder recorder;
    recorder.Subscriptions = ~0u;
    storage.WriteInteger("\\A\\K", 1);
    recorder.SetStorage(&storage);
    storage.ClearAll();
    ASSERT_EQ(recorder.received.size(), 1u);
    EXPECT_EQ(recorder.received[0].first, scnClear);
}

TEST(StorageClients, DestroyedStorageEmptiesTheReferenceAndDestroyedClientLeaves)
{
    Recorder client;
    {
        TrsStorage storage;
        {
            Recorder shortLived;
            shortLived.Subscriptions = ~0u;
            shortLived.SetStorage(&storage);
        }
        client.SetStorage(&storage);
        storage.WriteInteger("K", 1);
    }
    EXPECT_EQ(client.Storage(), nullptr);
}

TEST(StorageEvents, KeyEventsFollowInsertionAndRemoval)
{
    TrsStorage storage;
    Names log;
    storage.OnKeyAdd = [&](TrsComponent*, const std::string& key) { log.push_back("+" + key); };
    storage.OnKeyDeletion
        = [&](TrsComponent*, const std::string& key) { log.push_back("-" + key); };
    storage.WriteInteger("A", 1);
    storage.WriteInteger("A", 2);
    storage.KeyDelete("A");
    storage.KeyDelete("A");
    EXPECT_EQ(log, (Names { "+A", "-A" }));
}

// --- Section stream --------------------------------------------------------------------

class SectionStreamTest : public StorageTreeTest { };

TEST_F(SectionStreamTest, SavesSubsectionsThenKeysInSortedOrder)
{
    storage.WriteInteger("\\S\\b", 0x01020304);
    storage.WriteString("\\S\\a", "xy");
    storage.SectionAdd("\\S\\Sub");
    std::ostringstream stream;
    storage.SectionSaveToStream("\\S", stream);
    const char expected[] = "\x01\0\0\0\x02\0\0\0"
                            "\x03Sub\0\0\0\0\0\0\0\0"
                            "\x01"
                            "a\x01\0\x02\0\0\0xy"
                            "\x01"
                            "b\x03\0\x04\x03\x02\x01";
    EXPECT_EQ(stream.str(), std::string(expected, sizeof expected - 1));
}

TEST_F(SectionStreamTest, LoadClearsTheTargetAndRebuildsEveryType)
{
    storage.WriteString("\\S\\Str", std::string("a\0b", 3));
    storage.WriteBuffer("\\S\\Buf", "\xFF", 1);
    storage.WriteInteger("\\S\\Int", -4);
    storage.WriteFloat("\\S\\Flt", 0.5);
    storage.WriteCurrency("\\S\\Cur", { -7 });
    storage.WriteDateTime("\\S\\Dat", 40000.25);
    storage.WriteBoolean("\\S\\Boo", true);
    storage.WritePoint("\\S\\Pnt", { -1, 9 });
    storage.WriteInt64("\\S\\I64", INT64_MIN);
    storage.KeyFindAddItem("\\S\\Emp", true);
    storage.WriteInteger("\\S\\Deep\\Er\\K", 1);
    std::stringstream stream;
    storage.SectionSaveToStream("\\S", stream);
    storage.WriteInteger("\\T\\Gone", 1);
    storage.SectionLoadFromStream("\\T", stream);
    EXPECT_FALSE(storage.KeyExist("\\T\\Gone"));
    for (const char* key :
        { "Str", "Buf", "Int", "Flt", "Cur", "Dat", "Boo", "Pnt", "I64", "Emp" }) {
        const TrsValue& copy
            = storage.GetKeyItem(storage.KeyFindAddItem(std::string("\\T\\") + key, false)).Value;
        const TrsValue& original
            = storage.GetKeyItem(storage.KeyFindAddItem(std::string("\\S\\") + key, false)).Value;
        EXPECT_TRUE(copy.EqualValue(original)) << key;
    }
    EXPECT_EQ(storage.ReadInteger("\\T\\Deep\\Er\\K", 0), 1);
}

TEST_F(SectionStreamTest, EmptyPathMeansTheRootAndMissingSectionSavesNothing)
{
    storage.WriteInteger("\\R", 1);
    storage.SetRootSection("Elsewhere");
    std::ostringstream root, missing;
    storage.SectionSaveToStream("", root);
    storage.SectionSaveToStream("\\Missing", missing);
    EXPECT_EQ(root.str().substr(0, 8), std::string("\x01\0\0\0\x01\0\0\0", 8));
    EXPECT_EQ(missing.str(), "");
}

TEST_F(SectionStreamTest, StreamEndingEarlyRaisesAndStreamAtItsEndLoadsNothing)
{
    std::istringstream cut(std::string("\x00\x00\x00\x00\x01\x00\x00\x00\x01K\x03\x00\x01", 13));
    try {
        storage.SectionLoadFromStream("\\T", cut);
        FAIL() << "no error";
    } catch (const TrsException& error) {
        EXPECT_EQ(std::string(error.what()),
            "Storage library error: Can't load section \"\\T\" from stream.");
    }
    storage.WriteInteger("\\U\\K", 1);
    std::istringstream empty;
    storage.SectionLoadFromStream("\\U", empty);
    EXPECT_TRUE(storage.KeyExist("\\U\\K"));
}

TEST_F(SectionStreamTest, NamesLongerThanTheLengthByteAreRefused)
{
    storage.WriteInteger("\\S\\" + std::string(256, 'k'), 1);
    std::ostringstream stream;
    EXPECT_THROW(storage.SectionSaveToStream("\\S", stream), TrsException);
    EXPECT_THROW(storage.SectionRename("\\S", "\\T"), TrsException);
    EXPECT_FALSE(storage.SectionExist("\\T"));
    EXPECT_EQ(storage.ReadInteger("\\S\\" + std::string(256, 'k'), 0), 1) << "kept where it was";
}

TEST_F(SectionStreamTest, UnknownTagOrSeparatorInANameRaises)
{
    std::istringstream tag(std::string("\0\0\0\0\x01\0\0\0\x01K\x0B\0", 12));
    EXPECT_THROW(storage.SectionLoadFromStream("\\T", tag), TrsException);
    std::istringstream name(std::string("\x01\0\0\0\0\0\0\0\x03"
                                        "a/b\0\0\0\0\0\0\0\0",
        20));
    EXPECT_THROW(storage.SectionLoadFromStream("\\T", name), TrsException);
}

// --- Lifecycle and the back-end protocol ---------------------------------------------------

// A back-end that keeps its "file" as a map of key paths to strings.
class MemoryData : public TrsStorageData {
public:
    std::map<std::string, std::string> stored;
    Names log;
    bool failLoad = false;
    bool failSave = false;

protected:
    void InternalLoad() override
    {
        log.push_back("load");
        SetProgressTotal(static_cast<int>(stored.size()));
        for (const auto& [path, value] : stored) {
            GetStorage()->WriteString(path, value);
            ProgressStep();
        }
        if (failLoad)
            throw std::runtime_error("load failed");
    }
    void InternalSave() override
    {
        log.push_back("save root=" + GetStorage()->RootSection());
        if (failSave)
            throw std::runtime_error("save failed");
        stored.clear();
        TrsStorage& storage = *GetStorage();
        for (int i = 0; i < storage.KeyItemCount(); ++i) {
            storage.Key().SetKeyIndex(i);
            stored[storage.KeyFullName(i)] = storage.Key().GetAsString();
        }
    }
};

class StorageLifecycleTest : public ::testing::Test {
protected:
    MemoryData data;
    TrsStorage storage;
    void SetUp() override
    {
        storage.SetStorageData(&data);
        storage.OnBeforeLoad = [&](TrsComponent*) { data.log.push_back("storage before load"); };
        storage.OnAfterLoad = [&](TrsComponent*) { data.log.push_back("storage after load"); };
        data.OnAfterLoad = [&](TrsComponent*) { data.log.push_back("data after load"); };
        data.OnAfterSave = [&](TrsComponent*) { data.log.push_back("data after save"); };
        storage.OnAfterSave = [&](TrsComponent*) { data.log.push_back("storage after save"); };
    }
};

TEST_F(StorageLifecycleTest, OpeningLoadsAndClosingSavesWithSaveOnClose)
{
    data.stored["\\S\\K"] = "v";
    storage.SetActive(true);
    EXPECT_EQ(storage.ReadString("\\S\\K", ""), "v");
    storage.WriteString("\\S\\New", "n");
    storage.SetActive(false);
    EXPECT_EQ(data.stored["\\S\\New"], "n");
}

TEST_F(StorageLifecycleTest, ClosingWithoutSaveOnCloseOrWhileInactiveSavesNothing)
{
    storage.Close();
    storage.Options = 0;
    storage.Open();
    storage.Close();
    EXPECT_EQ(data.log,
        (Names { "storage before load", "load", "data after load", "storage after load" }));
}

TEST_F(StorageLifecycleTest, LoadIsPutOffWhileTheDesignIsRead)
{
    storage.BeginReading();
    storage.SetActive(true);
    EXPECT_TRUE(data.log.empty());
    storage.Loaded();
    EXPECT_EQ(data.log.size(), 4u);
    EXPECT_TRUE(storage.Active());
}

TEST_F(StorageLifecycleTest, DestroyingAnActiveStorageSaves)
{
    {
        TrsStorage shortLived;
        shortLived.SetStorageData(&data);
        shortLived.Open();
        shortLived.WriteString("\\K", "x");
    }
    EXPECT_EQ(data.stored["\\\\K"], "x");
}

TEST_F(StorageLifecycleTest, MergeKeepsExistingKeysAndReplacesLoadedOnes)
{
    data.stored["\\S\\K"] = "file";
    storage.WriteString("\\S\\K", "memory");
    storage.WriteString("\\S\\Mine", "kept");
    storage.SetRootSection("S");
    storage.Merge();
    EXPECT_EQ(storage.ReadString("\\S\\K", ""), "file");
    EXPECT_EQ(storage.ReadString("\\S\\Mine", ""), "kept");
    EXPECT_EQ(storage.RootSection(), "");
}

TEST_F(StorageLifecycleTest, SaveWorksFromTheRootAndRestoresTheRootSection)
{
    storage.SetRootSection("A\\B");
    storage.Save();
    EXPECT_EQ(data.log[0], "save root=");
    EXPECT_EQ(storage.RootSection(), "A\\B");
}

TEST_F(StorageLifecycleTest, FailedLoadStillRunsTheBackEndsAfterEventButNotTheStoragesOwn)
{
    data.failLoad = true;
    data.stored["\\S\\K"] = "v";
    EXPECT_THROW(storage.Open(), std::runtime_error);
    EXPECT_EQ(data.log.back(), "data after load");
    EXPECT_FALSE(storage.Active()) << "a tree that failed to load must not be saved on close";
    EXPECT_EQ(storage.State(), 0u);
}

TEST_F(StorageLifecycleTest, FailedSaveRestoresRootSectionAndClearsTheState)
{
    data.failSave = true;
    storage.SetRootSection("A");
    EXPECT_THROW(storage.Save(), std::runtime_error);
    EXPECT_EQ(storage.RootSection(), "A");
    EXPECT_EQ(data.log.back(), "data after save");
    EXPECT_EQ(storage.State(), 0u);
}

TEST_F(StorageLifecycleTest, StateFlagsAreSetForTheDurationOfEachOperation)
{
    std::vector<unsigned> states;
    storage.OnBeforeLoad = [&](TrsComponent*) { states.push_back(storage.State()); };
    storage.OnBeforeSave = [&](TrsComponent*) { states.push_back(storage.State()); };
    storage.Load();
    storage.Merge();
    storage.Save();
    EXPECT_EQ(states, (std::vector<unsigned> { ssLoading, ssMerging, ssSaving }));
}

TEST_F(StorageLifecycleTest, DestroyedBackEndIsDetached)
{
    auto other = std::make_unique<MemoryData>();
    storage.SetStorageData(other.get());
    other.reset();
    EXPECT_EQ(storage.StorageData(), nullptr);
    storage.Save();
}

TEST(StorageDataLinks, BackEndOutlivingAStorageItServedForgetsIt)
{
    MemoryData data;
    data.stored["\\K"] = "v";
    {
        TrsStorage served;
        data.SetStorage(&served);
        data.Load();
        EXPECT_EQ(served.ReadString("\\K", ""), "v");
    }
    EXPECT_EQ(data.GetStorage(), nullptr);
    TrsStorage next;
    data.SetStorage(&next);
    data.Load();
    EXPECT_EQ(next.ReadString("\\K", ""), "v");
}

TEST_F(StorageLifecycleTest, SaveChangesWritesOnlyKeysThatDifferFromTheReference)
{
    MemoryData reference;
    reference.stored
        = { { "\\S\\Same", "1" }, { "\\S\\Changed", "old" }, { "\\S\\OnlyThere", "x" } };
    storage.WriteString("\\S\\Same", "1");
    storage.WriteString("\\S\\Changed", "new");
    storage.WriteString("\\S\\Added", "a");
    storage.SaveChanges(reference);
    EXPECT_EQ(data.stored,
        (std::map<std::string, std::string> { { "\\S\\Added", "a" }, { "\\S\\Changed", "new" } }));
}

// --- Encryptor hook ------------------------------------------------------------------------

struct XorEncryptor : TrsEncryptor {
    int EncryptBuffer(std::string& bytes) override
    {
        for (char& c : bytes)
            c ^= 0x5A;
        return static_cast<int>(bytes.size());
    }
    int DecryptBuffer(std::string& bytes) override { return EncryptBuffer(bytes); }
};

TEST_F(StorageLifecycleTest, ListedKeysAreEncipheredForTheBackEndOnly)
{
    XorEncryptor encryptor;
    encryptor.Active = true;
    encryptor.EncryptKeys = { "S\\Secret" };
    storage.SetEncryptor(&encryptor);
    storage.WriteString("\\S\\Secret", "pw");
    storage.WriteString("\\S\\Plain", "open");
    storage.Save();
    EXPECT_EQ(storage.ReadString("\\S\\Secret", ""), "pw");
    EXPECT_EQ(data.stored["\\S\\Plain"], "open");
    EXPECT_NE(data.stored["\\S\\Secret"].find(','), std::string::npos) << "stored as a hex buffer";
}

TEST_F(StorageLifecycleTest, BaseEncryptorHasNoCipherAndChangesNothing)
{
    TrsEncryptor encryptor;
    encryptor.Active = true;
    encryptor.EncryptAll = true;
    storage.SetEncryptor(&encryptor);
    storage.WriteString("\\S\\K", "v");
    storage.Save();
    EXPECT_EQ(data.stored["\\S\\K"], "v");
    std::string bytes = "x";
    EXPECT_EQ(encryptor.EncryptBuffer(bytes), -1);
}

} // namespace
