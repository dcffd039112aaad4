// The caption that an edit carries beside itself. The label control lives on
// the edit's parent and follows the edit's place, size, parent, visibility
// and enabled state.
#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>

class QLabel;
class QWidget;

class TacAttachedLabel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TLabelPosition Position READ Position WRITE SetPosition)
    Q_PROPERTY(int Spacing READ Spacing WRITE SetSpacing)
    Q_PROPERTY(TSpacingKind SpacingKind READ SpacingKind WRITE SetSpacingKind)
    Q_PROPERTY(bool FocusOnClick READ FocusOnClick WRITE SetFocusOnClick)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(QFont Font READ Font WRITE SetFont)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)

public:
    enum TLabelPosition { lpAbove, lpBelow, lpLeft, lpRight, lpAboveCenter, lpBelowCenter };
    Q_ENUM(TLabelPosition)
    enum TSpacingKind { skNearPoint, skFarPoint };
    Q_ENUM(TSpacingKind)

    explicit TacAttachedLabel(QWidget* edit);
    ~TacAttachedLabel() override;

    QString Caption() const;
    void SetCaption(const QString& value);
    TLabelPosition Position() const { return position; }
    void SetPosition(TLabelPosition value);
    int Spacing() const { return spacing; }
    void SetSpacing(int value);
    TSpacingKind SpacingKind() const { return spacingKind; }
    void SetSpacingKind(TSpacingKind value);
    bool FocusOnClick() const { return focusOnClick; }
    void SetFocusOnClick(bool value) { focusOnClick = value; }
    bool Transparent() const { return transparent; }
    void SetTransparent(bool value);
    bool Visible() const { return visible; }
    void SetVisible(bool value);
    bool WordWrap() const;
    void SetWordWrap(bool value);
    QString Hint() const;
    void SetHint(const QString& value);
    QFont Font() const;
    void SetFont(const QFont& value);
    QColor Color() const { return color; }
    void SetColor(const QColor& value);

    // The inner label control, for anything the properties above do not cover.
    QLabel* Label() const;
    QWidget* Edit() const { return edit; }

    // Places the label again from the edit's current geometry.
    void UpdatePlace();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Stores a property's value, then brings the label up to date with it.
    template <typename T> void Assign(T& field, const T& value, void (TacAttachedLabel::*refresh)())
    {
        field = value;
        (this->*refresh)();
    }
    void FollowParent();
    void UpdateVisibility();
    void UpdateSize();
    void UpdateBackground();
    void LabelPressed();

    QWidget* edit;
    QPointer<QLabel> label;
    TLabelPosition position = lpLeft;
    int spacing = 4;
    TSpacingKind spacingKind = skNearPoint;
    bool focusOnClick = true;
    bool transparent = false;
    bool visible = true;
    QColor color;
};

// Where a label of the given size goes beside an edit: the top-left corner,
// in the coordinates of the edit's geometry.
QPoint AttachedLabelOrigin(const QRect& edit, const QSize& label,
    TacAttachedLabel::TLabelPosition position, int spacing, TacAttachedLabel::TSpacingKind kind);
