// Feeds arbitrary text and widths to the rich-text markup and word wrap and
// checks what every caller relies on: wrapping ends, loses no character,
// and a line only overflows when it has nowhere left to break.
#include "widgets/RichTextMarkup.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

class CharacterMeasure : public RichTextMeasure {
public:
    int TextWidth(const QString& text, const RichStyle& style) const override
    {
        return static_cast<int>(text.size()) * (style.bold ? 2 : 1);
    }
};

bool HasBreakBeforeLast(const QString& line)
{
    for (qsizetype i = 0; i + 1 < line.size(); ++i)
        if (IsRichBreakCharacter(line.at(i)))
            return true;
    return false;
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    RichWrapOptions options;
    options.width = data[0] % 64;
    options.plainText = data[1] & 1;
    options.countTrailingSpaces = data[1] & 2;
    options.marginHorz = (data[1] >> 2) % 4;
    const QString text = QString::fromUtf8(
        reinterpret_cast<const char*>(data + 2), static_cast<qsizetype>(size - 2));
    const CharacterMeasure measure;
    QString joined;
    for (const QString& line : WrapRichText(text, measure, options)) {
        const bool fits
            = MeasureRichLine(line, measure, options) + 2 * options.marginHorz <= options.width;
        Check(fits || !HasBreakBeforeLast(line));
        joined += line;
    }
    QString withoutBreaks;
    for (const QString& paragraph : SplitRichParagraphs(text))
        withoutBreaks += paragraph;
    Check(joined == withoutBreaks);
    RichStyle style;
    for (const RichPiece& piece : ParseRichLine(text, style, RichStyle {}, RichTags {}))
        Check(!piece.text.isEmpty());
    return 0;
}
