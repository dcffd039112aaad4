#include "widgets/RichTextMarkup.h"

#include <array>
#include <utility>

namespace {

struct NamedColor {
    const char16_t* name;
    QRgb value;
};

// The basic colour keywords of HTML 4.01 with their standard values.
constexpr std::array<NamedColor, 16> namedColors { {
    { u"BLACK", 0x000000 },
    { u"MAROON", 0x800000 },
    { u"GREEN", 0x008000 },
    { u"OLIVE", 0x808000 },
    { u"NAVY", 0x000080 },
    { u"PURPLE", 0x800080 },
    { u"TEAL", 0x008080 },
    { u"GRAY", 0x808080 },
    { u"SILVER", 0xC0C0C0 },
    { u"RED", 0xFF0000 },
    { u"LIME", 0x00FF00 },
    { u"YELLOW", 0xFFFF00 },
    { u"BLUE", 0x0000FF },
    { u"FUCHSIA", 0xFF00FF },
    { u"AQUA", 0x00FFFF },
    { u"WHITE", 0xFFFFFF },
} };

constexpr char16_t breakCharacters[] = u" !)*+,-./:;=?\\_~";

RichStyle StyleFromLetters(const QString& tag, const RichStyle& style)
{
    RichStyle result;
    result.color = style.color;
    for (QChar letter : tag) {
        if (letter == u'B')
            result.bold = true;
        else if (letter == u'I')
            result.italic = true;
        else if (letter == u'U')
            result.underline = true;
        else if (letter == u'S')
            result.strikeOut = true;
    }
    return result;
}

void AddPiece(std::vector<RichPiece>& pieces, const QString& text, const RichStyle& style)
{
    if (!text.isEmpty())
        pieces.push_back({ text, style });
}

QString WithoutTrailingSpaces(QString line)
{
    while (line.endsWith(u' '))
        line.chop(1);
    return line;
}

bool Fits(const QString& candidate, const RichTextMeasure& measure, const RichWrapOptions& options)
{
    return MeasureRichLine(candidate, measure, options) + 2 * options.marginHorz <= options.width;
}

// Length of the candidate cut right after the last break character that
// stands before its final character, or 0 when there is none.
qsizetype CutAfterLastBreak(const QString& candidate)
{
    for (qsizetype i = candidate.size() - 2; i >= 0; --i) {
        if (IsRichBreakCharacter(candidate.at(i)))
            return i + 1;
    }
    return 0;
}

QString NextWrappedLine(
    const QString& rest, const RichTextMeasure& measure, const RichWrapOptions& options)
{
    QString candidate = rest;
    while (!Fits(candidate, measure, options)) {
        const qsizetype cut = CutAfterLastBreak(candidate);
        if (cut == 0)
            break;
        candidate.truncate(cut);
    }
    return candidate;
}

void WrapParagraph(const QString& paragraph, const RichTextMeasure& measure,
    const RichWrapOptions& options, std::vector<QString>& lines)
{
    QString rest = paragraph;
    do {
        QString line = NextWrappedLine(rest, measure, options);
        rest.remove(0, line.size());
        lines.push_back(std::move(line));
    } while (!rest.isEmpty());
}

} // namespace

std::optional<QColor> RichColorByName(const QString& name)
{
    for (const NamedColor& color : namedColors) {
        if (name == QStringView(color.name))
            return QColor(color.value);
    }
    return std::nullopt;
}

RichStyle ApplyRichTag(const QString& tag, const RichStyle& style, const RichStyle& baseStyle)
{
    if (tag == u"DEF")
        return baseStyle;
    if (const std::optional<QColor> color = RichColorByName(tag)) {
        RichStyle result = style;
        result.color = *color;
        return result;
    }
    return StyleFromLetters(tag, style);
}

std::vector<RichPiece> ParseRichLine(
    const QString& line, RichStyle& style, const RichStyle& baseStyle, RichTags tags)
{
    std::vector<RichPiece> pieces;
    QString rest = line;
    for (;;) {
        const qsizetype open = rest.indexOf(tags.open);
        const qsizetype close = rest.indexOf(tags.close);
        if (open < 0 || close < 0)
            break;
        if (close < open) {
            rest.remove(open, 1);
            continue;
        }
        AddPiece(pieces, rest.left(open), style);
        style = ApplyRichTag(rest.mid(open + 1, close - open - 1).toUpper(), style, baseStyle);
        rest.remove(0, close + 1);
    }
    AddPiece(pieces, rest, style);
    return pieces;
}

std::vector<QString> SplitRichParagraphs(const QString& text)
{
    std::vector<QString> paragraphs;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != u'\n')
            continue;
        const qsizetype end = i > start && text.at(i - 1) == u'\r' ? i - 1 : i;
        paragraphs.push_back(text.mid(start, end - start));
        start = i + 1;
    }
    paragraphs.push_back(text.mid(start));
    return paragraphs;
}

bool IsRichBreakCharacter(QChar character)
{
    return QStringView(breakCharacters).contains(character);
}

int MeasureRichLine(
    const QString& line, const RichTextMeasure& measure, const RichWrapOptions& options)
{
    const QString measured = options.countTrailingSpaces ? line : WithoutTrailingSpaces(line);
    if (options.plainText)
        return measure.TextWidth(measured, options.baseStyle);
    RichStyle style = options.baseStyle;
    int width = 0;
    for (const RichPiece& piece : ParseRichLine(measured, style, options.baseStyle, options.tags))
        width += measure.TextWidth(piece.text, piece.style);
    return width;
}

std::vector<QString> WrapRichText(
    const QString& text, const RichTextMeasure& measure, const RichWrapOptions& options)
{
    std::vector<QString> lines;
    for (const QString& paragraph : SplitRichParagraphs(text)) {
        if (options.wordWrap)
            WrapParagraph(paragraph, measure, options, lines);
        else
            lines.push_back(paragraph);
    }
    return lines;
}
