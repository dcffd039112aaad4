// TrsIniData's writer: template, section headers, key lines and the text
// form of every value type.
#include "settings/rsIniData.h"

#include "settings/TextForms.h"
#include "text/PercentCoding.h"

#include <cmath>
#include <cstdio>

namespace {

// Every byte below 0x20 sends a string to the escaped form. The NUL byte
// counts too: written raw it would end the file image for the reader.
bool HasControlByte(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20)
            return true;
    return false;
}

// Pairs separated by commas, wrapped after a comma once a line grows past
// 76 characters, each continuation line starting with two blanks.
std::string HexForm(std::string_view bytes, std::size_t nameLength, bool compact)
{
    std::string text;
    std::size_t counter = nameLength + 7;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text::AppendHexByte(text, static_cast<unsigned char>(bytes[i]));
        if (compact || i + 1 == bytes.size())
            continue;
        text += ',';
        counter += 3;
        if (counter > 76 && bytes.size() - i - 1 >= 2) {
            text += "\\\r\n  ";
            counter = 3;
        }
    }
    return text;
}

std::string FixedDateTime(double value)
{
    const DateTimeParts p = DecodeDateTime(value);
    char text[48];
    const int length = std::snprintf(text, sizeof text, "%.4d-%.2d-%.2dT%.2d:%.2d:%.2d.%d", p.Year,
        p.Month, p.Day, p.Hour, p.Minute, p.Second, p.Millisecond);
    return std::string(text, length);
}

std::string FloatForm(double value)
{
    std::string text = FloatToText(value);
    if (std::isfinite(value) && text.find('.') == std::string::npos)
        text += ".0";
    return text;
}

std::string StringForm(const std::string& text)
{
    if (HasControlByte(text))
        return "text:" + TrsIniData::EncodeText(text);
    return text.empty() ? std::string() : "\"" + text + "\"";
}

bool InIntegerRange(int64_t value)
{
    return value >= INT32_MIN && value <= INT32_MAX;
}

} // namespace

TrsIniData::TrsIniData() : TrsStreamData(".ini") { }

bool TrsIniData::IsTemplateStored() const
{
    return Template != std::vector<std::string> { "%BODY%" };
}

std::string TrsIniData::EncodeText(std::string_view text)
{
    std::string encoded = "\"";
    for (char c : text) {
        if (c == '$') {
            encoded += "$$";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            encoded += '$';
            text::AppendHexByte(encoded, static_cast<unsigned char>(c));
        } else {
            encoded += c;
        }
    }
    return encoded + "\"";
}

std::string TrsIniData::TemplateText() const
{
    std::string text;
    for (const std::string& line : Template)
        text += line + "\r\n";
    return text;
}

// Text that the writer puts before the body, and so the reader skips.
bool TrsIniData::HasTemplatePrefix() const
{
    const std::string text = TemplateText();
    return text.find("%BODY%\r\n") != 0 && !text.empty();
}

void TrsIniData::SaveToStream(std::string& image)
{
    TrsStreamData::SaveToStream(image);
    BufferClear();
    const std::string templateText = TemplateText();
    const std::size_t marker = templateText.find("%BODY%\r\n");
    BufferWriteStr(std::string_view(templateText).substr(0, marker));
    if (const TrsStorage* storage = GetStorage()) {
        SetProgressTotal(storage->KeyItemCount());
        WriteSection(*storage, -1);
        for (int i = 0; i < storage->SectionItemCount(); ++i)
            WriteSection(*storage, i);
    }
    if (marker != std::string::npos) {
        const std::string_view rest = std::string_view(templateText).substr(marker + 8);
        if (rest != "\r\n")
            BufferWriteStr(rest);
    }
    BufferFlush();
}

void TrsIniData::WriteSection(const TrsStorage& storage, int sectionIndex)
{
    int first = 0, count = 0;
    storage.KeyFindRange(
        sectionIndex < 0 ? 0 : storage.GetSectionItem(sectionIndex).Id, first, count);
    if (count == 0 && !(storage.Options & soSaveEmptySection))
        return;
    BufferWriteStr("[");
    BufferWriteStr(storage.SectionFullName(sectionIndex));
    BufferWriteStr("]");
    BufferWriteEOL();
    for (int i = first; i < first + count; ++i) {
        WriteValue(storage.GetKeyItem(i));
        ProgressStep();
    }
    if (count > 0)
        BufferWriteEOL();
}

void TrsIniData::WriteValue(const TrsKeyRecord& key)
{
    BufferWriteStr(key.Name);
    BufferWriteStr("=");
    const TrsValue& v = key.Value;
    switch (v.Type) {
    case vtString:
        BufferWriteStr(StringForm(v.Bytes));
        break;
    case vtBuffer:
        BufferWriteStr("hex:" + HexForm(v.Bytes, key.Name.size(), CompactOptions & coHexStr));
        break;
    case vtInteger:
        BufferWriteStr(IntegerToText(v.Integer));
        break;
    case vtPointer:
        BufferWriteStr(IntegerToText(static_cast<int64_t>(v.Pointer)));
        break;
    case vtFloat:
        BufferWriteStr(FloatForm(v.Real));
        break;
    case vtInt64:
        BufferWriteStr((InIntegerRange(v.Int64) ? "int64:" : "") + IntegerToText(v.Int64));
        break;
    case vtCurrency:
        BufferWriteStr("curr:" + CurrencyToText(v.Int64));
        break;
    case vtDateTime:
        BufferWriteStr(FixedDateTimeFormat ? "fxdate:" + FixedDateTime(v.Real)
                                           : "date:" + DateTimeToText(v.Real));
        break;
    case vtBoolean:
        BufferWriteStr(v.Integer != 0 ? "True" : "False");
        break;
    case vtPoint:
        BufferWriteStr("point:" + IntegerToText(v.Point.X) + "," + IntegerToText(v.Point.Y));
        break;
    }
    BufferWriteEOL();
}
