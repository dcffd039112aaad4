// TrsIniData's reader: the image is decoded when it is UTF-16, the template
// prefix skipped, room reserved, and every key line classified by the form
// of its value. What it cannot use is recorded as a fault, and reading goes
// on with the next line.
#include "settings/rsIniData.h"

#include "settings/TextForms.h"
#include "text/PercentCoding.h"
#include "text/Utf8.h"

#include <algorithm>

namespace {

enum class NumberKind { None, Integer, Float, Int64 };

// UTF-16 text after its byte-order mark, as UTF-8; a lone surrogate becomes
// the replacement character.
std::string DecodeUtf16(std::string_view bytes, bool bigEndian)
{
    std::string text;
    text.reserve(bytes.size() / 2);
    auto unit = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<uint32_t>(bigEndian ? first << 8 | second : second << 8 | first);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t code = unit(i);
        if (code >= 0xD800 && code < 0xDC00 && i + 3 < bytes.size()) {
            const uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        text::AppendUtf8(text, code >= 0xD800 && code < 0xE000 ? 0xFFFD : code);
    }
    return text;
}

bool IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

std::size_t LineEnd(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && !IsLineBreak(text[pos]))
        ++pos;
    return pos;
}

std::size_t NextLine(std::string_view text, std::size_t end)
{
    if (end < text.size() && text[end] == '\r')
        ++end;
    else if (end < text.size())
        return end + 1;
    if (end < text.size() && text[end] == '\n')
        ++end;
    return end;
}

// Everything up to the first "[" at the very start of a line.
std::size_t TemplateSkipPrefix(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size(); pos = NextLine(text, LineEnd(text, pos)))
        if (text[pos] == '[')
            return pos;
    return text.size();
}

void CalcItemsCnt(std::string_view text, int& sections, int& keys)
{
    sections = keys = 0;
    for (std::size_t pos = 0; pos < text.size(); pos = NextLine(text, LineEnd(text, pos))) {
        if (text[pos] == '[')
            ++sections;
        else if (static_cast<unsigned char>(text[pos]) > ' ')
            ++keys;
    }
}

bool DigitsAtMost(std::string_view digits, std::string_view limit)
{
    return digits.size() < limit.size() || (digits.size() == limit.size() && digits <= limit);
}

NumberKind IsDigitValue(std::string_view value)
{
    const bool negative = !value.empty() && value[0] == '-';
    if (!value.empty() && (value[0] == '+' || value[0] == '-'))
        value.remove_prefix(1);
    int separators = 0;
    for (char c : value) {
        if (c == '.')
            ++separators;
        else if (c < '0' || c > '9')
            return NumberKind::None;
    }
    const std::size_t digits = value.size() - separators;
    if (separators > 1 || digits == 0)
        return NumberKind::None;
    if (separators == 1)
        return NumberKind::Float;
    if (digits < 10)
        return NumberKind::Integer;
    if (digits == 10)
        return DigitsAtMost(value, negative ? "2147483648" : "2147483647") ? NumberKind::Integer
                                                                           : NumberKind::Int64;
    if (digits <= 18)
        return NumberKind::Int64;
    if (digits == 19
        && DigitsAtMost(value, negative ? "9223372036854775808" : "9223372036854775807"))
        return NumberKind::Int64;
    return NumberKind::None;
}

bool ParseFixedNumber(std::string_view text, int& value)
{
    if (text.empty() || text.size() > 9)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// yyyy-mm-ddThh:nn:ss.z with the milliseconds running to the end; false for
// an invalid form and for parts out of range.
bool FixedToDateTime(std::string_view text, double& value)
{
    if (text.size() < 21 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':'
        || text[16] != ':' || text[19] != '.')
        return false;
    DateTimeParts p;
    if (!ParseFixedNumber(text.substr(0, 4), p.Year)
        || !ParseFixedNumber(text.substr(5, 2), p.Month)
        || !ParseFixedNumber(text.substr(8, 2), p.Day)
        || !ParseFixedNumber(text.substr(11, 2), p.Hour)
        || !ParseFixedNumber(text.substr(14, 2), p.Minute)
        || !ParseFixedNumber(text.substr(17, 2), p.Second)
        || !ParseFixedNumber(text.substr(20), p.Millisecond))
        return false;
    try {
        value = EncodeDateTime(p);
    } catch (const ConversionError&) {
        return false;
    }
    return true;
}

// Reads the hexadecimal pairs of one line segment; false on a bad digit.
bool TakeHexSegment(std::string_view segment, std::string& bytes)
{
    for (std::size_t i = 0; i < segment.size(); ++i) {
        const char c = segment[i];
        if (c == ' ' || c == ',' || c == '\\')
            continue;
        if (i + 1 >= segment.size() || !text::IsHexDigit(c) || !text::IsHexDigit(segment[i + 1]))
            return false;
        bytes
            += static_cast<char>(text::HexDigitValue(c) * 16 + text::HexDigitValue(segment[i + 1]));
        ++i;
    }
    return true;
}

// Control bytes other than tab, CR and LF. The writer never puts them in a
// file raw (strings holding them take the escaped form), so they are bytes
// that are not text.
bool IsForeignControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 && c != '\t' && c != '\r' && c != '\n';
}

std::size_t FirstForeignControl(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i)
        if (IsForeignControl(text[i]))
            return i;
    return std::string_view::npos;
}

// A file with more than this many control bytes in every hundred, spread
// over most of its lines, is taken for binary: read as keys it would only
// fill the tree with junk that the next save writes back. A few stray bytes
// in a small text file can make that share too, but they stand on a few
// lines, and only those lines are lost.
constexpr std::size_t NotTextPercent = 3;

// Whether more than half of the lines that hold anything hold control bytes.
bool MostLinesHoldControls(std::string_view image)
{
    std::size_t lines = 0;
    std::size_t damaged = 0;
    for (std::size_t pos = 0; pos < image.size(); pos = NextLine(image, LineEnd(image, pos))) {
        const std::string_view line = image.substr(pos, LineEnd(image, pos) - pos);
        if (line.empty())
            continue;
        ++lines;
        if (FirstForeignControl(line) != std::string_view::npos)
            ++damaged;
    }
    return damaged * 2 > lines;
}

// The share of control bytes in percent when the image is mostly not text,
// else 0.
std::size_t NotTextShare(std::string_view image)
{
    const auto count
        = static_cast<std::size_t>(std::count_if(image.begin(), image.end(), IsForeignControl));
    if (count * 100 <= image.size() * NotTextPercent || !MostLinesHoldControls(image))
        return 0;
    return (count * 100 + image.size() / 2) / image.size();
}

// A line as a message quotes it: at most 40 bytes, cut between characters.
std::string Quoted(std::string_view text)
{
    constexpr std::size_t Limit = 40;
    if (text.size() <= Limit)
        return Concat({ "'", text, "'" });
    std::size_t cut = Limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return Concat({ "'", text.substr(0, cut), "...'" });
}

bool IsComment(std::string_view line)
{
    return line[0] == '#' || line[0] == '/' || line[0] == ';' || line[0] == '\\';
}

std::string LowerCaseName(std::string_view name)
{
    std::string lower(name);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::size_t LineCount(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos = NextLine(text, LineEnd(text, pos)))
        ++count;
    return count;
}

constexpr std::string_view DefaultUsed = "; the default is used";
constexpr std::string_view LeftOut = "; it is left out";

class IniParser {
public:
    IniParser(TrsStorage& storage, std::string_view text, int firstLine, TrsLoadFaults& faults,
        std::unordered_map<std::string, int>& keyLines, std::function<void()> step)
        : storage_(storage), text_(text), step_(std::move(step)), faults_(faults),
          keyLines_(keyLines), line_(firstLine - 1)
    {
    }
    void Run();

private:
    void ReadLine(std::string_view raw);
    void ReadHeader(std::string_view line);
    void ReadKeyLine(std::string_view line, std::size_t equals);
    void ReportForeignBytes(std::string_view raw, std::size_t position);
    void ReportUnusable(std::string_view line);
    void StoreValue(const std::string& name, std::string_view value);
    bool StorePrefixed(const std::string& name, std::string_view value);
    void StoreNumber(const std::string& name, std::string_view value, NumberKind kind);
    // Each typed form gets the text after its prefix.
    using Store = void (IniParser::*)(const std::string& name, std::string_view text);
    void StoreCurrency(const std::string& name, std::string_view text);
    void StoreDateTime(const std::string& name, std::string_view text);
    void StoreFixedDateTime(const std::string& name, std::string_view text);
    void StoreHex(const std::string& name, std::string_view value);
    void StoreInt64(const std::string& name, std::string_view text);
    void StorePoint(const std::string& name, std::string_view text);
    void StoreText(const std::string& name, std::string_view text);

    TrsStorage& storage_;
    std::string_view text_;
    std::function<void()> step_;
    TrsLoadFaults& faults_;
    std::unordered_map<std::string, int>& keyLines_;
    int line_;
    std::size_t pos_ = 0;
    std::size_t lineStart_ = 0;
    std::size_t lineEnd_ = 0;
    bool inSection_ = false;
};

void IniParser::Run()
{
    while (pos_ < text_.size()) {
        lineStart_ = pos_;
        lineEnd_ = LineEnd(text_, pos_);
        pos_ = NextLine(text_, lineEnd_);
        ++line_;
        ReadLine(text_.substr(lineStart_, lineEnd_ - lineStart_));
    }
}

void IniParser::ReadLine(std::string_view raw)
{
    if (const std::size_t bad = FirstForeignControl(raw); bad != std::string_view::npos) {
        ReportForeignBytes(raw, bad);
        return;
    }
    const std::string_view line = text::Trim(raw);
    if (line.empty())
        return;
    const std::size_t equals = line.find('=');
    if (line[0] == '[' && (line.back() == ']' || equals == std::string_view::npos)) {
        ReadHeader(line);
        return;
    }
    if (IsComment(line))
        return;
    if (equals == std::string_view::npos) {
        ReportUnusable(line);
        return;
    }
    ReadKeyLine(line, equals);
}

// A header that lost its "]" still opens its section, so the keys under it
// are not lost.
void IniParser::ReadHeader(std::string_view line)
{
    if (line.size() >= 2 && line.back() == ']') {
        storage_.SetRootSection(line.substr(1, line.size() - 2));
        inSection_ = true;
        return;
    }
    const std::size_t close = line.rfind(']');
    const std::string_view name
        = line.substr(1, close == std::string_view::npos ? line.npos : close - 1);
    if (text::Trim(name).empty()) {
        ReportUnusable(line);
        return;
    }
    faults_.Add(line_,
        Concat({ "the section header ", Quoted(line),
            close == std::string_view::npos ? " lacks its closing ']'" : " has text after its ']'",
            "; it is read as [", name, "]" }));
    storage_.SetRootSection(name);
    inSection_ = true;
}

void IniParser::ReadKeyLine(std::string_view line, std::size_t equals)
{
    const std::string name(line.substr(0, equals));
    if (!inSection_) {
        faults_.Add(line_, name + " stands before the first section header" + std::string(LeftOut));
        return;
    }
    step_();
    const int keyLine = line_;
    try {
        StoreValue(name, line.substr(equals + 1));
        keyLines_[LowerCaseName(storage_.Key().GetFullName())] = keyLine;
    } catch (const ConversionError& error) {
        faults_.Add(keyLine, Concat({ error.what(), " for ", name, DefaultUsed }));
    }
}

void IniParser::ReportUnusable(std::string_view line)
{
    faults_.Add(line_,
        Concat({ Quoted(line), " is neither a section header, a setting nor a comment", LeftOut }));
}

void IniParser::ReportForeignBytes(std::string_view raw, std::size_t position)
{
    const std::string_view what = raw[position] == '\0' ? "a NUL byte" : "bytes that are not text";
    const std::size_t equals = raw.find('=');
    const std::string_view name
        = equals < position ? text::Trim(raw.substr(0, equals)) : std::string_view();
    if (inSection_ && !name.empty())
        faults_.Add(line_, Concat({ "the value of ", name, " holds ", what, DefaultUsed }));
    else
        faults_.Add(line_, Concat({ "the line holds ", what, LeftOut }));
}

void IniParser::StoreValue(const std::string& name, std::string_view value)
{
    if (value.empty()) {
        storage_.WriteString(name, "");
        return;
    }
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        storage_.WriteString(name, value.substr(1, value.size() - 2));
        return;
    }
    const char first = value[0];
    if (first == '+' || first == '-' || (first >= '0' && first <= '9')) {
        const NumberKind kind = IsDigitValue(value);
        if (kind != NumberKind::None) {
            StoreNumber(name, value, kind);
            return;
        }
    }
    if (!StorePrefixed(name, value))
        storage_.WriteString(name, value);
}

void IniParser::StoreNumber(const std::string& name, std::string_view value, NumberKind kind)
{
    if (kind == NumberKind::Integer)
        storage_.WriteInteger(name, TextToInteger(value));
    else if (kind == NumberKind::Float)
        storage_.WriteFloat(name, TextToFloat(value));
    else
        storage_.WriteInt64(name, TextToInt64(value));
}

// The typed forms, each marked by its prefix in any case; false when the
// value is a plain string after all. A typed value that does not parse
// raises ConversionError and is not stored.
bool IniParser::StorePrefixed(const std::string& name, std::string_view value)
{
    if (text::SameText(value, "True") || text::SameText(value, "False")) {
        storage_.WriteBoolean(name, text::SameText(value, "True"));
        return true;
    }
    static constexpr std::pair<std::string_view, Store> forms[] = {
        { "curr:", &IniParser::StoreCurrency },
        { "date:", &IniParser::StoreDateTime },
        { "fxdate:", &IniParser::StoreFixedDateTime },
        { "hex:", &IniParser::StoreHex },
        { "int64:", &IniParser::StoreInt64 },
        { "point:", &IniParser::StorePoint },
        { "text:", &IniParser::StoreText },
    };
    for (const auto& [prefix, store] : forms) {
        if (text::StartsWithText(value, prefix)) {
            (this->*store)(name, value.substr(prefix.size()));
            return true;
        }
    }
    return false;
}

void IniParser::StoreCurrency(const std::string& name, std::string_view text)
{
    storage_.WriteCurrency(name, { TextToCurrency(text) });
}

void IniParser::StoreDateTime(const std::string& name, std::string_view text)
{
    storage_.WriteDateTime(name, TextToDateTime(text));
}

void IniParser::StoreFixedDateTime(const std::string& name, std::string_view text)
{
    double dateTime = 0;
    if (!FixedToDateTime(text, dateTime))
        throw ConversionError(Quoted(text) + " is not a valid date and time");
    storage_.WriteDateTime(name, dateTime);
}

void IniParser::StoreInt64(const std::string& name, std::string_view text)
{
    storage_.WriteInt64(name, TextToInt64(text));
}

void IniParser::StorePoint(const std::string& name, std::string_view text)
{
    const std::size_t comma = text.find(',');
    const std::string_view y = comma == std::string_view::npos ? "" : text.substr(comma + 1, 255);
    storage_.WritePoint(name, { TextToInteger(text.substr(0, comma)), TextToInteger(y) });
}

void IniParser::StoreText(const std::string& name, std::string_view text)
{
    storage_.WriteString(name, TrsIniData::DecodeText(text));
}

// A hexadecimal value is read from the raw image: it continues over line
// breaks while a line ends with "," or "\". Parsing goes on after its last
// line whether or not the digits were sound; unsound digits give an empty
// buffer.
void IniParser::StoreHex(const std::string& name, std::string_view value)
{
    const std::string_view rawLine = text_.substr(lineStart_, lineEnd_ - lineStart_);
    std::size_t start = lineStart_ + rawLine.find_last_of(':') + 1;
    std::size_t end = lineEnd_;
    const int keyLine = line_;
    std::string bytes;
    bool valid = true;
    for (;;) {
        valid = valid && TakeHexSegment(text_.substr(start, end - start), bytes);
        const bool continues = end > start && (text_[end - 1] == ',' || text_[end - 1] == '\\');
        if (!continues || end >= text_.size())
            break;
        start = NextLine(text_, end);
        end = LineEnd(text_, start);
        ++line_;
    }
    pos_ = NextLine(text_, end);
    if (!valid) {
        bytes.clear();
        faults_.Add(keyLine,
            Concat({ Quoted(value), " is not a valid hexadecimal value for ", name,
                "; it is read as an empty value" }));
    }
    storage_.WriteBuffer(name, bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace

std::string TrsIniData::DecodeText(std::string_view value)
{
    if (!value.empty() && value[0] == '"')
        value.remove_prefix(1);
    std::string text;
    text.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '"' && i + 1 == value.size())
            break;
        if (c == '$' && i + 1 < value.size() && value[i + 1] == '$') {
            text += '$';
            ++i;
        } else if (c == '$' && i + 2 < value.size()) {
            const int high = std::max(text::HexDigitValue(value[i + 1]), 0);
            const int low = std::max(text::HexDigitValue(value[i + 2]), 0);
            text += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            text += c;
        }
    }
    return text;
}

int TrsIniData::KeyLine(std::string_view fullName) const
{
    const auto found = keyLines_.find(LowerCaseName(fullName));
    return found == keyLines_.end() ? 0 : found->second;
}

void TrsIniData::InternalLoad()
{
    loadFaults_.Clear();
    keyLines_.clear();
    TrsStreamData::InternalLoad();
}

// A UTF-8 byte-order mark is skipped: editors on other systems add one. A
// file that is mostly not text is not read at all. Without a template
// prefix of our own, text before the first section header is read too, so
// that what it holds is reported rather than silently dropped.
void TrsIniData::LoadFromStream(std::string_view image)
{
    loadFaults_.Clear();
    keyLines_.clear();
    TrsStorage* storage = GetStorage();
    if (!storage || image.empty())
        return;
    std::string decoded;
    const bool littleEndian = image.starts_with("\xFF\xFE");
    const bool bigEndian = image.starts_with("\xFE\xFF");
    if (littleEndian || bigEndian) {
        decoded = DecodeUtf16(image.substr(2), bigEndian);
        image = decoded;
    } else if (image.starts_with("\xEF\xBB\xBF")) {
        image.remove_prefix(3);
    }
    if (const std::size_t share = NotTextShare(image)) {
        loadFaults_.Add(0,
            "the file is mostly not text (" + std::to_string(share)
                + "% of its bytes are control bytes), so it is not read; the defaults are used");
        return;
    }
    const std::size_t bodyStart = HasTemplatePrefix() ? TemplateSkipPrefix(image) : 0;
    const std::string_view body = image.substr(bodyStart);
    int sections = 0, keys = 0;
    CalcItemsCnt(body, sections, keys);
    storage->SectionListGrow(sections);
    storage->KeyListGrow(keys);
    SetProgressTotal(keys);
    const int firstLine = static_cast<int>(LineCount(image.substr(0, bodyStart))) + 1;
    IniParser(*storage, body, firstLine, loadFaults_, keyLines_, [this] { ProgressStep(); }).Run();
}
