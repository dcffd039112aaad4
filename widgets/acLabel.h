// A label with the raised look of a title: its text drawn first as a shadow,
// then as a highlight, then in place.
#pragma once

#include <QLabel>

class TacLabel : public QLabel {
    Q_OBJECT

public:
    explicit TacLabel(QWidget* parent = nullptr);

    // Offsets of the two extra drawings, and their colours.
    int ShadowDepth() const { return shadowDepth; }
    void SetShadowDepth(int value);
    int HighlightDepth() const { return highlightDepth; }
    void SetHighlightDepth(int value);
    QColor ShadowColor() const;
    QColor HighlightColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void DrawTextAt(QPainter& painter, QPoint offset, const QColor& color);

    int shadowDepth = 1;
    int highlightDepth = 2;
};
