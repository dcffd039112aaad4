// A label that word-wraps its text and understands the bracket markup for
// bold, italic, underline, strike-out and colour, and DrawRichText, the
// drawing routine behind it.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

class QPainter;

struct TacTextStyle {
    bool PlainText = false;
    QChar TagOpen = u'[';
    QChar TagClose = u']';
};

struct TRichTextOptions {
    QString text;
    QFont font;
    QColor textColor = Qt::black;
    QColor backgroundColor = Qt::white;
    QColor shadowColor = Qt::gray;
    QColor frameColor = Qt::black;
    QColor innerFrameColor = Qt::lightGray; // the button-face colour
    bool transparent = false; // leave what lies under the label
    bool wordWrap = true;
    bool plainText = false;
    bool showFrame = false;
    bool showShadow = false;
    int width = 0;
    Qt::Alignment alignment = Qt::AlignLeft;
    QChar tagOpen = u'[';
    QChar tagClose = u']';
    int marginHorz = 0;
    int marginVert = 0;
};

// Draws the text into the target and returns the size it takes; with no
// target it only measures.
QSize DrawRichText(QPainter* target, const TRichTextOptions& options);

class TacRichLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_PROPERTY(bool AutoHeight READ AutoHeight WRITE SetAutoHeight)
    Q_PROPERTY(int MarginHorz READ MarginHorz WRITE SetMarginHorz)
    Q_PROPERTY(int MarginVert READ MarginVert WRITE SetMarginVert)
    Q_PROPERTY(bool ShowFrame READ ShowFrame WRITE SetShowFrame)
    Q_PROPERTY(bool ShowShadow READ ShowShadow WRITE SetShowShadow)
    Q_PROPERTY(QColor ShadowColor READ ShadowColor WRITE SetShadowColor)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(Qt::Alignment Alignment READ Alignment WRITE SetAlignment)

public:
    explicit TacRichLabel(QWidget* parent = nullptr);

    QString Caption() const { return caption; }
    void SetCaption(const QString& value) { AssignLayout(caption, value); }
    bool WordWrap() const { return wordWrap; }
    void SetWordWrap(bool value) { AssignLayout(wordWrap, value); }
    bool AutoHeight() const { return autoHeight; }
    void SetAutoHeight(bool value) { AssignLayout(autoHeight, value); }
    int MarginHorz() const { return marginHorz; }
    void SetMarginHorz(int value) { AssignLayout(marginHorz, value); }
    int MarginVert() const { return marginVert; }
    void SetMarginVert(int value) { AssignLayout(marginVert, value); }
    bool ShowFrame() const { return showFrame; }
    void SetShowFrame(bool value) { AssignLook(showFrame, value); }
    bool ShowShadow() const { return showShadow; }
    void SetShowShadow(bool value) { AssignLayout(showShadow, value); }
    QColor ShadowColor() const { return shadowColor; }
    void SetShadowColor(const QColor& value) { AssignLook(shadowColor, value); }
    QColor Color() const;
    void SetColor(const QColor& value) { AssignLook(color, value); }
    bool Transparent() const { return transparent; }
    void SetTransparent(bool value) { AssignLook(transparent, value); }
    Qt::Alignment Alignment() const { return alignment; }
    void SetAlignment(Qt::Alignment value) { AssignLayout(alignment, value); }
    TacTextStyle TextStyle() const { return textStyle; }
    void SetTextStyle(const TacTextStyle& value) { AssignLayout(textStyle, value); }

    // What DrawRichText gets from this label when it paints.
    TRichTextOptions DrawOptions() const;
    // Height of the text at the current width, margins and shadow included.
    int TextHeight() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // A property that moves the text's lines is stored, then the label is
    // laid out again; one that changes only the look is stored and repainted.
    template <typename T> void AssignLayout(T& field, const T& value)
    {
        field = value;
        TextLayoutChanged();
    }
    template <typename T> void AssignLook(T& field, const T& value)
    {
        field = value;
        update();
    }
    void TextLayoutChanged();

    QString caption;
    bool wordWrap = true;
    bool autoHeight = true;
    int marginHorz = 0;
    int marginVert = 0;
    bool showFrame = false;
    bool showShadow = false;
    QColor shadowColor = Qt::gray;
    QColor color;
    bool transparent = false;
    Qt::Alignment alignment = Qt::AlignLeft;
    TacTextStyle textStyle;
};
