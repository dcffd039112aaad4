// The bracket markup of rich labels and the line breaking that goes with it:
// tags switch bold, italic, underline, strike-out and colour; paragraphs are
// word-wrapped at break characters with the markup applied. Pure functions
// over a text-measuring interface, so they work without painting.
#pragma once

#include <QChar>
#include <QColor>
#include <QString>
#include <optional>
#include <vector>

struct RichStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QColor color; // invalid: the colour of the label's own font

    bool operator==(const RichStyle& other) const = default;
};

struct RichPiece {
    QString text;
    RichStyle style;

    bool operator==(const RichPiece& other) const = default;
};

struct RichTags {
    QChar open = u'[';
    QChar close = u']';
};

// Measures the width of a run of text drawn in a style.
class RichTextMeasure {
public:
    virtual ~RichTextMeasure() = default;
    virtual int TextWidth(const QString& text, const RichStyle& style) const = 0;
};

// One of the sixteen colour names (already in capitals), or nothing.
std::optional<QColor> RichColorByName(const QString& name);

// The tag's effect on a style; baseStyle is the label font's own.
RichStyle ApplyRichTag(const QString& tag, const RichStyle& style, const RichStyle& baseStyle);

// Splits one line into pieces drawn in their styles. `style` comes in as the
// style carried over from earlier lines and leaves as the style at the end.
std::vector<RichPiece> ParseRichLine(
    const QString& line, RichStyle& style, const RichStyle& baseStyle, RichTags tags);

// Paragraphs at each CR LF or lone LF; a lone CR does not split.
std::vector<QString> SplitRichParagraphs(const QString& text);

bool IsRichBreakCharacter(QChar character);

struct RichWrapOptions {
    bool wordWrap = true;
    bool plainText = false;
    bool countTrailingSpaces = false; // right-aligned labels count them
    int width = 0;
    int marginHorz = 0;
    RichTags tags;
    RichStyle baseStyle;
};

// Width of a line as drawn starting from the label's own style.
int MeasureRichLine(
    const QString& line, const RichTextMeasure& measure, const RichWrapOptions& options);

// The lines of the whole text, each paragraph wrapped to the width.
std::vector<QString> WrapRichText(
    const QString& text, const RichTextMeasure& measure, const RichWrapOptions& options);
