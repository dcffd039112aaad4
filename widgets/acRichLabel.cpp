#include "widgets/acRichLabel.h"

#include "widgets/RichTextMarkup.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

namespace {

QFont StyledFont(const QFont& base, const RichStyle& style)
{
    QFont font = base;
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    font.setStrikeOut(style.strikeOut);
    return font;
}

RichStyle StyleOfFont(const QFont& font)
{
    RichStyle style;
    style.bold = font.bold();
    style.italic = font.italic();
    style.underline = font.underline();
    style.strikeOut = font.strikeOut();
    return style;
}

class FontMeasure : public RichTextMeasure {
public:
    explicit FontMeasure(const QFont& base) : base(base) { }

    int TextWidth(const QString& text, const RichStyle& style) const override
    {
        return QFontMetrics(StyledFont(base, style)).horizontalAdvance(text);
    }

private:
    QFont base;
};

RichWrapOptions WrapOptionsOf(const TRichTextOptions& options)
{
    RichWrapOptions wrap;
    wrap.wordWrap = options.wordWrap;
    wrap.plainText = options.plainText;
    wrap.countTrailingSpaces = options.alignment & Qt::AlignRight;
    wrap.width = options.width;
    wrap.marginHorz = options.marginHorz;
    wrap.tags = { options.tagOpen, options.tagClose };
    wrap.baseStyle = StyleOfFont(options.font);
    return wrap;
}

int LineLeft(const TRichTextOptions& options, int lineWidth)
{
    if (options.alignment & Qt::AlignRight)
        return options.width - options.marginHorz - lineWidth;
    if (options.alignment & Qt::AlignHCenter)
        return (options.width - options.marginHorz - lineWidth) / 2;
    return options.marginHorz;
}

void DrawShadow(QPainter& painter, const QRect& area, const QColor& color)
{
    // Three dots deep along the right and bottom edges, every other pixel.
    painter.setPen(color);
    for (int depth = 1; depth <= 5; depth += 2) {
        for (int y = area.top() + depth + 1; y <= area.bottom() + depth; y += 2)
            painter.drawPoint(area.right() + depth, y);
        for (int x = area.left() + depth + 1; x <= area.right() + depth; x += 2)
            painter.drawPoint(x, area.bottom() + depth);
    }
}

void DrawBackground(QPainter& painter, const TRichTextOptions& options, QSize size)
{
    QRect area(QPoint(0, 0), size);
    if (options.showShadow)
        area.adjust(0, 0, -7, -7);
    if (!options.transparent)
        painter.fillRect(area, options.backgroundColor);
    if (options.showFrame) {
        painter.setPen(options.frameColor);
        painter.drawRect(area.adjusted(0, 0, -1, -1));
        painter.setPen(options.innerFrameColor);
        painter.drawRect(area.adjusted(1, 1, -2, -2));
    }
    if (options.showShadow)
        DrawShadow(painter, area, options.shadowColor);
}

std::vector<RichPiece> PiecesOf(
    const QString& line, const TRichTextOptions& options, RichStyle& carried)
{
    const RichStyle base = StyleOfFont(options.font);
    if (options.plainText)
        return { RichPiece { line, base } };
    return ParseRichLine(line, carried, base, { options.tagOpen, options.tagClose });
}

int PiecesWidth(const std::vector<RichPiece>& pieces, const FontMeasure& measure, bool countSpaces)
{
    int width = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        QString text = pieces[i].text;
        if (!countSpaces && i + 1 == pieces.size())
            while (text.endsWith(u' '))
                text.chop(1);
        width += measure.TextWidth(text, pieces[i].style);
    }
    return width;
}

void DrawLines(
    QPainter& painter, const std::vector<QString>& lines, const TRichTextOptions& options)
{
    const FontMeasure measure(options.font);
    const QFontMetrics metrics(options.font);
    const bool countSpaces = options.alignment & Qt::AlignRight;
    RichStyle carried = StyleOfFont(options.font);
    int top = options.marginVert;
    for (const QString& line : lines) {
        const std::vector<RichPiece> pieces = PiecesOf(line, options, carried);
        int x = LineLeft(options, PiecesWidth(pieces, measure, countSpaces));
        for (const RichPiece& piece : pieces) {
            painter.setFont(StyledFont(options.font, piece.style));
            painter.setPen(piece.style.color.isValid() ? piece.style.color : options.textColor);
            painter.drawText(x, top + metrics.ascent(), piece.text);
            x += measure.TextWidth(piece.text, piece.style);
        }
        top += metrics.height();
    }
}

} // namespace

QSize DrawRichText(QPainter* target, const TRichTextOptions& options)
{
    const FontMeasure measure(options.font);
    const std::vector<QString> lines = WrapRichText(options.text, measure, WrapOptionsOf(options));
    const int height = static_cast<int>(lines.size()) * QFontMetrics(options.font).height()
        + 2 * options.marginVert + (options.showShadow ? 8 : 0);
    const QSize size(options.width, height);
    if (target) {
        target->save();
        DrawBackground(*target, options, size);
        DrawLines(*target, lines, options);
        target->restore();
    }
    return size;
}

TacRichLabel::TacRichLabel(QWidget* parent) : QWidget(parent) { }

QColor TacRichLabel::Color() const
{
    return color.isValid() ? color : palette().color(QPalette::Window);
}

TRichTextOptions TacRichLabel::DrawOptions() const
{
    TRichTextOptions options;
    options.text = caption;
    options.font = font();
    options.textColor = palette().color(QPalette::WindowText);
    options.backgroundColor = Color();
    options.shadowColor = shadowColor;
    options.innerFrameColor = palette().color(QPalette::Button);
    options.transparent = transparent;
    options.wordWrap = wordWrap;
    options.plainText = textStyle.PlainText;
    options.showFrame = showFrame;
    options.showShadow = showShadow;
    options.width = width();
    options.alignment = alignment;
    options.tagOpen = textStyle.TagOpen;
    options.tagClose = textStyle.TagClose;
    options.marginHorz = marginHorz;
    options.marginVert = marginVert;
    return options;
}

int TacRichLabel::TextHeight() const
{
    return DrawRichText(nullptr, DrawOptions()).height();
}

void TacRichLabel::TextLayoutChanged()
{
    if (autoHeight) {
        const int height = TextHeight();
        if (height != this->height())
            resize(width(), height);
    }
    update();
}

void TacRichLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setClipRect(rect());
    DrawRichText(&painter, DrawOptions());
}

void TacRichLabel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    TextLayoutChanged();
}

void TacRichLabel::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        TextLayoutChanged();
}
