#include "SettingsFiles.h"

#include "settings/TextForms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace {

// Random trees of sections and keys of every type, saved as INI text and
// loaded again. What the format forces:
// - an empty cell is written as nothing and reads back as an empty string;
// - a pointer is written as its number and reads back as an integer;
// - in the "date:" form a date-time keeps whole seconds (the fixed form
//   keeps milliseconds);
// - names are drawn from letters, digits, ".", "_", "-" and inner blanks:
//   a name with "=", a separator, a line break, a leading blank or a
//   leading comment mark does not come back under the same name.
class RandomTree {
public:
    explicit RandomTree(unsigned seed) : random_(seed) { }

    void Fill(TrsStorage& storage, bool fixedDates)
    {
        fixedDates_ = fixedDates;
        const int sections = Between(0, 12);
        for (int i = 0; i < sections; ++i) {
            std::string path;
            for (int depth = Between(1, 3); depth > 0; --depth)
                path += "\\" + Name();
            storage.SectionAdd(path);
            for (int k = Between(0, 8); k > 0; --k)
                WriteRandomKey(storage, path + "\\" + Name());
        }
        for (int k = Between(0, 3); k > 0; --k)
            WriteRandomKey(storage, "\\" + Name());
    }

    // The cell that the loaded tree should hold for a written cell.
    static TrsValue Expected(const TrsValue& written)
    {
        TrsValue expected = written;
        expected.Options = 0;
        if (written.Type == vtEmpty) {
            expected.Type = vtString;
        } else if (written.Type == vtPointer) {
            const auto number = static_cast<int64_t>(written.Pointer);
            expected.Type = number >= INT32_MIN && number <= INT32_MAX ? vtInteger : vtInt64;
            if (expected.Type == vtInteger)
                expected.Integer = static_cast<int32_t>(number);
            else
                expected.Int64 = number;
        }
        return expected;
    }

private:
    int Between(int low, int high)
    {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }

    std::string Name()
    {
        static const char first[]
            = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-";
        static const char rest[]
            = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._- ";
        std::string name(1, first[Between(0, sizeof first - 2)]);
        for (int n = Between(0, 12); n > 0; --n)
            name += rest[Between(0, sizeof rest - 2)];
        return name;
    }

    std::string Bytes(int maximum)
    {
        std::string bytes;
        for (int n = Between(0, maximum); n > 0; --n) {
            // Favour the bytes the format treats specially.
            static const char special[] = "\"$\r\n\t =[];#\\/,:";
            bytes += Between(0, 3) == 0 ? special[Between(0, sizeof special - 2)]
                                        : static_cast<char>(Between(0, 255));
        }
        return bytes;
    }

    double Finite()
    {
        for (;;) {
            uint64_t bits = std::uniform_int_distribution<uint64_t>()(random_);
            double value;
            std::memcpy(&value, &bits, sizeof value);
            if (std::isfinite(value))
                return Between(0, 1) ? value
                                     : std::ldexp(value - std::trunc(value), Between(-10, 60));
        }
    }

    double DateTime()
    {
        DateTimeParts parts { Between(1, 9999), Between(1, 12), Between(1, 28), Between(0, 23),
            Between(0, 59), Between(0, 59), fixedDates_ ? Between(0, 999) : 0 };
        return EncodeDateTime(parts);
    }

    void WriteRandomKey(TrsStorage& storage, const std::string& path)
    {
        const int64_t wide = std::uniform_int_distribution<int64_t>()(random_) >> Between(0, 63);
        switch (Between(0, 10)) {
        case vtEmpty:
            storage.KeyFindAddItem(path, true);
            storage.Key().Clear();
            break;
        case vtString:
            storage.WriteString(path, Bytes(40));
            break;
        case vtBuffer: {
            const std::string bytes = Bytes(120);
            storage.WriteBuffer(path, bytes.data(), static_cast<int>(bytes.size()));
            break;
        }
        case vtInteger:
            storage.WriteInteger(path, static_cast<int32_t>(wide));
            break;
        case vtFloat:
            storage.WriteFloat(path, Finite());
            break;
        case vtCurrency:
            storage.WriteCurrency(path, { wide });
            break;
        case vtDateTime:
            storage.WriteDateTime(path, DateTime());
            break;
        case vtBoolean:
            storage.WriteBoolean(path, Between(0, 1) == 1);
            break;
        case vtPoint:
            storage.WritePoint(
                path, { static_cast<int32_t>(wide), static_cast<int32_t>(wide >> 32) });
            break;
        case vtInt64:
            storage.WriteInt64(path, wide);
            break;
        case vtPointer:
            storage.WritePointer(path, reinterpret_cast<void*>(static_cast<intptr_t>(wide)));
            break;
        }
    }

    std::mt19937_64 random_;
    bool fixedDates_ = false;
};

// Array order depends on the order sections were created in; the tree is
// compared by full names.
std::vector<std::string> SectionNames(const TrsStorage& storage)
{
    std::vector<std::string> names;
    for (int i = 0; i < storage.SectionItemCount(); ++i)
        names.push_back(storage.SectionFullName(i));
    std::sort(names.begin(), names.end());
    return names;
}

class IniRoundTripTest : public ::testing::TestWithParam<bool> {
protected:
    ScratchFolder folder;
};

TEST_P(IniRoundTripTest, RandomTreesComeBackEqual)
{
    for (unsigned seed = 1; seed <= 300; ++seed) {
        IniFile written(folder.File("round.ini"));
        written.ini.FixedDateTimeFormat = GetParam();
        written.storage.Options |= soSaveEmptySection;
        RandomTree(seed).Fill(written.storage, GetParam());
        written.storage.Save();

        IniFile read(folder.File("round.ini"));
        read.storage.Load();
        ASSERT_EQ(SectionNames(read.storage), SectionNames(written.storage)) << "seed " << seed;
        ASSERT_EQ(read.storage.KeyItemCount(), written.storage.KeyItemCount()) << "seed " << seed;
        for (int i = 0; i < written.storage.KeyItemCount(); ++i) {
            const TrsValue expected = RandomTree::Expected(written.storage.GetKeyItem(i).Value);
            const std::string name = written.storage.KeyFullName(i);
            const int index = read.storage.KeyFindAddItem(name, false);
            ASSERT_GE(index, 0) << "seed " << seed << " key " << name;
            ASSERT_TRUE(read.storage.GetKeyItem(index).Value.EqualValue(expected))
                << "seed " << seed << " key " << written.storage.KeyFullName(i) << " type "
                << expected.Type << "\n"
                << ReadFileBytes(folder.File("round.ini"));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(DateForms, IniRoundTripTest, ::testing::Values(false, true),
    [](const auto& info) { return info.param ? "Fixed" : "Plain"; });

} // namespace
