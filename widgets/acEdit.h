// Edits that carry an attached label, and the number edit that accepts only
// an unsigned whole number in decimal, hexadecimal or binary digits.
#pragma once

#include "widgets/acAttachedLabel.h"

#include <QLineEdit>
#include <QString>
#include <cstdint>

class TacCustomEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(TacAttachedLabel* AttachedLabel READ AttachedLabel)

public:
    explicit TacCustomEdit(QWidget* parent = nullptr);

    TacAttachedLabel* AttachedLabel() const { return attachedLabel; }

private:
    TacAttachedLabel* attachedLabel;
};

class TacNumberEdit : public TacCustomEdit {
    Q_OBJECT
    Q_PROPERTY(TNumberEditKind Kind READ Kind WRITE SetKind)
    Q_PROPERTY(uint Value READ Value WRITE SetValue)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)

public:
    enum TNumberEditKind { neDec, neHex, neBin };
    Q_ENUM(TNumberEditKind)

    explicit TacNumberEdit(QWidget* parent = nullptr);

    TNumberEditKind Kind() const { return kind; }
    void SetKind(TNumberEditKind value);
    uint Value() const { return value; }
    void SetValue(uint value);
    int MaxValue() const { return maxValue; }
    // 0 means no limit; a negative limit is taken as none as well.
    void SetMaxValue(int value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Snapshot {
        QString text;
        int caret = 0;
    };

    bool IsValidCharacter(QChar character) const;
    void RememberBeforeKey(const QKeyEvent* event);
    void TextEditedByUser(const QString& text);
    void RemoveLeadingZeros(uint candidate);
    bool FitsMaxValue(uint candidate, const QString& text) const;
    void Restore();
    void ShowValue();

    TNumberEditKind kind = neDec;
    uint value = 0;
    int maxValue = 0;
    Snapshot remembered;
    QChar typedCharacter;
};

// The text of a number edit's value in its base: upper-case hexadecimal
// digits, base-2 digits, or decimal.
QString NumberEditText(std::uint32_t value, TacNumberEdit::TNumberEditKind kind);

// Reads a whole text of the kind's digits; false when a character is not one
// of them or the number does not fit in 32 bits.
bool ParseNumberEditText(
    const QString& text, TacNumberEdit::TNumberEditKind kind, std::uint32_t& value);
