#include "tests/support/TemporaryFolder.h"
#include "text/AsciiText.h"
#include "text/FileNames.h"
#include "text/MemoLines.h"
#include "text/PercentCoding.h"
#include "text/SocketTable.h"
#include "text/Utf8.h"
#include "text/WholeFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

using text::CompareText;
using text::JoinMemoLines;
using text::SplitMemoText;
using text::Trim;
using Lines = std::vector<std::string>;

TEST(MemoText, JoinEndsEveryLineWithCrLf)
{
    EXPECT_EQ(JoinMemoLines({ "a", "", "b" }), "a\r\n\r\nb\r\n");
    EXPECT_EQ(JoinMemoLines({}), "");
}

TEST(MemoText, SplitAcceptsEveryLineBreakKind)
{
    EXPECT_EQ(SplitMemoText("a\r\nb\rc\nd"), (Lines { "a", "b", "c", "d" }));
    EXPECT_EQ(SplitMemoText("a\n\rb"), (Lines { "a", "", "b" }));
}

TEST(MemoText, FinalBreakAddsNoEmptyLine)
{
    EXPECT_EQ(SplitMemoText("a\r\n"), (Lines { "a" }));
    EXPECT_EQ(SplitMemoText("a\r\n\r\n"), (Lines { "a", "" }));
    EXPECT_EQ(SplitMemoText("\n"), (Lines { "" }));
    EXPECT_EQ(SplitMemoText(""), Lines {});
}

TEST(MemoText, AppendingABlockThatStartsWithLineFeedLeavesAnEmptyLine)
{
    const std::string text = JoinMemoLines({ "old" }) + "\nnew";
    EXPECT_EQ(SplitMemoText(text), (Lines { "old", "", "new" }));
}

TEST(MemoText, JoinThenSplitGivesTheLinesBack)
{
    const Lines lines { "x", "", "  y  ", "z" };
    EXPECT_EQ(SplitMemoText(JoinMemoLines(lines)), lines);
}

TEST(CompareText, IgnoresAsciiCaseOnly)
{
    EXPECT_EQ(CompareText("Checked", "cHECKED"), 0);
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_GT(CompareText("b", "A"), 0);
    EXPECT_LT(CompareText("ab", "abc"), 0);
    EXPECT_NE(CompareText("\xc3\xa9", "\xc3\x89"), 0);
    EXPECT_TRUE(text::SameText("Left", "LEFT"));
    EXPECT_FALSE(text::SameText("Left", "Lef"));
}

TEST(Trim, RemovesCodesZeroToThirtyTwoAtBothEnds)
{
    EXPECT_EQ(Trim(std::string("\0\t x y \r\n", 9)), "x y");
    EXPECT_EQ(Trim(" \x01 "), "");
    EXPECT_EQ(Trim("\x21!"), "!!");
    EXPECT_EQ(Trim("\xa0x\xa0"), "\xa0x\xa0");
}

TEST(PercentEscape, AppendsTwoUpperCaseHexDigits)
{
    std::string out = "a";
    text::AppendPercentEscape(out, 0x0D);
    text::AppendPercentEscape(out, 0xE9);
    text::AppendPercentEscape(out, ' ');
    EXPECT_EQ(out, "a%0D%E9%20");
}

TEST(CompareText, StartsWithIgnoresCaseAndNeedsTheWholePrefix)
{
    EXPECT_TRUE(text::StartsWithText("HEX:0A", "hex:"));
    EXPECT_TRUE(text::StartsWithText("hex:", "hex:"));
    EXPECT_FALSE(text::StartsWithText("hex", "hex:"));
    EXPECT_FALSE(text::StartsWithText("int64:1", "hex:"));
}

TEST(HexDigits, BothCasesAndNothingBetweenTheRanges)
{
    const std::pair<char, int> cases[]
        = { { '0', 0 }, { '9', 9 }, { 'a', 10 }, { 'A', 10 }, { 'f', 15 }, { 'F', 15 }, { '/', -1 },
              { ':', -1 }, { '@', -1 }, { 'G', -1 }, { '`', -1 }, { 'g', -1 }, { ' ', -1 } };
    for (const auto& [digit, value] : cases) {
        EXPECT_EQ(text::HexDigitValue(digit), value) << digit;
        EXPECT_EQ(text::IsHexDigit(digit), value >= 0) << digit;
    }
}

bool KeepsLetters(unsigned char byte)
{
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
}

TEST(PercentEscape, EncodesWhatThePredicateRefusesAndABlankAsAFormAsks)
{
    EXPECT_EQ(text::PercentEncode("a b&\xe9", KeepsLetters, text::Blank::Plus), "a+b%26%E9");
    EXPECT_EQ(text::PercentEncode("a b+", KeepsLetters, text::Blank::Escaped), "a%20b%2B");
    EXPECT_EQ(text::PercentEncode("", KeepsLetters, text::Blank::Plus), "");
}

TEST(PercentEscape, DecodingKeepsABrokenEscapeAndSaysSo)
{
    struct Case {
        std::string encoded;
        text::Blank blank;
        std::string decoded;
        bool intact;
    };
    const Case cases[] = {
        { "a%41b", text::Blank::Escaped, "aAb", true },
        { "%4a%4A", text::Blank::Escaped, "JJ", true },
        { "%41", text::Blank::Escaped, "A", true },
        { "%4", text::Blank::Escaped, "%4", false },
        { "50%", text::Blank::Escaped, "50%", false },
        { "%G1%41", text::Blank::Escaped, "%G1A", false },
        { "%%41", text::Blank::Escaped, "%A", false },
        { "a+b", text::Blank::Escaped, "a+b", true },
        { "a+b", text::Blank::Plus, "a b", true },
        { "%2B+", text::Blank::Plus, "+ ", true },
        { "+%4", text::Blank::Plus, " %4", false },
        { std::string("%00", 3), text::Blank::Plus, std::string(1, '\0'), true },
    };
    for (const Case& c : cases) {
        const text::PercentDecoded result = text::PercentDecode(c.encoded, c.blank);
        EXPECT_EQ(result.text, c.decoded) << c.encoded;
        EXPECT_EQ(result.intact, c.intact) << c.encoded;
    }
}

TEST(Utf8, EachLengthStartsAtItsBoundary)
{
    const std::pair<std::uint32_t, std::string> cases[]
        = { { 0x41, "A" }, { 0x7F, "\x7F" }, { 0x80, "\xC2\x80" }, { 0x7FF, "\xDF\xBF" },
              { 0x800, "\xE0\xA0\x80" }, { 0xFFFF, "\xEF\xBF\xBF" },
              { 0x10000, "\xF0\x90\x80\x80" }, { 0x10FFFF, "\xF4\x8F\xBF\xBF" } };
    for (const auto& [code, bytes] : cases) {
        std::string out = "x";
        text::AppendUtf8(out, code);
        EXPECT_EQ(out, "x" + bytes) << std::hex << code;
    }
}

TEST(FileNames, PartsOfNamesWithAndWithoutFolderOrExtension)
{
    struct Case {
        std::string path, folder, name, extension, asJpeg;
    };
    const Case cases[] = {
        { "dir/file.txt", "dir/", "file.txt", ".txt", "dir/file.jpg" },
        { "file", "", "file", "", "file.jpg" },
        { "dir/", "dir/", "", "", "dir/.jpg" },
        { "a.b/c", "a.b/", "c", "", "a.b/c.jpg" },
        { "C:\\x\\y.ini", "C:\\x\\", "y.ini", ".ini", "C:\\x\\y.jpg" },
        { "/a/b\\c.d", "/a/b\\", "c.d", ".d", "/a/b\\c.jpg" },
        { "a.tar.gz", "", "a.tar.gz", ".gz", "a.tar.jpg" },
        { ".profile", "", ".profile", ".profile", ".jpg" },
        { "name.", "", "name.", ".", "name.jpg" },
        { "", "", "", "", ".jpg" },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text::FolderPart(c.path), c.folder) << c.path;
        EXPECT_EQ(text::FileNamePart(c.path), c.name) << c.path;
        EXPECT_EQ(text::ExtensionPart(c.path), c.extension) << c.path;
        EXPECT_EQ(text::ChangeExtension(c.path, ".jpg"), c.asJpeg) << c.path;
    }
}

TEST(WholeFile, AMissingFileOrAFolderGivesNothingAndTheReason)
{
    errno = 0;
    EXPECT_EQ(text::ReadWholeFile("/nonexistent-folder/none.txt"), std::nullopt);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(text::ReadWholeFile("/"), std::nullopt);
    EXPECT_EQ(errno, EISDIR);
}

TEST(WholeFile, ReadsPastOneBlockAndThroughNulBytes)
{
    const TemporaryFolder folder;
    std::string image(70000, 'x');
    image[100] = '\0';
    std::ofstream(folder.File("image"), std::ios::binary) << image;
    EXPECT_EQ(text::ReadWholeFile(folder.File("image")), image);
}

TEST(SocketTable, EntriesAfterTheHeadingAndNothingForAMissingTable)
{
    const TemporaryFolder folder;
    std::ofstream(folder.File("tcp"))
        << "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid\n"
           "   0: 0100007F:2253 00000000:0000 0A 00000000:00000000 00:00000000 00000000  1000\n"
           "   1: truncated line\n"
           "   2: 0100007F:2253 0100007F:9C40 01 00000000:00000000 00:00000000 00000000     0\n";
    const std::vector<text::SocketTableEntry> entries = text::ReadSocketTable(folder.File("tcp"));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].local, "0100007F:2253");
    EXPECT_EQ(entries[0].state, "0A");
    EXPECT_EQ(entries[0].owner, 1000u);
    EXPECT_EQ(entries[1].remote, "0100007F:9C40");
    EXPECT_EQ(entries[1].owner, 0u);
    EXPECT_TRUE(text::ReadSocketTable(folder.File("none")).empty());
}
