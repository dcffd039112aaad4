#include "widgets/acEdit.h"

#include <QKeyEvent>
#include <limits>

namespace {

int BaseOf(TacNumberEdit::TNumberEditKind kind)
{
    switch (kind) {
    case TacNumberEdit::neHex:
        return 16;
    case TacNumberEdit::neBin:
        return 2;
    case TacNumberEdit::neDec:
        break;
    }
    return 10;
}

int DigitValue(QChar character)
{
    const char16_t code = character.unicode();
    if (code >= u'0' && code <= u'9')
        return code - u'0';
    if (code >= u'a' && code <= u'f')
        return code - u'a' + 10;
    if (code >= u'A' && code <= u'F')
        return code - u'A' + 10;
    return -1;
}

bool IsDialogKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

} // namespace

QString NumberEditText(std::uint32_t value, TacNumberEdit::TNumberEditKind kind)
{
    return QString::number(value, BaseOf(kind)).toUpper();
}

bool ParseNumberEditText(
    const QString& text, TacNumberEdit::TNumberEditKind kind, std::uint32_t& value)
{
    const int base = BaseOf(kind);
    std::uint64_t number = 0;
    for (QChar character : text) {
        const int digit = DigitValue(character);
        if (digit < 0 || digit >= base)
            return false;
        number = number * base + digit;
        if (number > std::numeric_limits<std::uint32_t>::max())
            return false;
    }
    value = static_cast<std::uint32_t>(number);
    return !text.isEmpty();
}

TacCustomEdit::TacCustomEdit(QWidget* parent)
    : QLineEdit(parent), attachedLabel(new TacAttachedLabel(this))
{
}

TacNumberEdit::TacNumberEdit(QWidget* parent) : TacCustomEdit(parent)
{
    ShowValue();
    connect(this, &QLineEdit::textEdited, this, &TacNumberEdit::TextEditedByUser);
}

void TacNumberEdit::SetKind(TNumberEditKind value)
{
    kind = value;
    SetValue(this->value);
}

void TacNumberEdit::SetValue(uint newValue)
{
    if (maxValue != 0 && newValue > static_cast<uint>(maxValue))
        newValue = static_cast<uint>(maxValue);
    value = newValue;
    ShowValue();
}

void TacNumberEdit::SetMaxValue(int newMaxValue)
{
    maxValue = std::max(0, newMaxValue);
    if (maxValue != 0 && static_cast<uint>(maxValue) < value)
        SetValue(static_cast<uint>(maxValue));
}

void TacNumberEdit::ShowValue()
{
    setText(NumberEditText(value, kind));
    remembered = { text(), cursorPosition() };
}

bool TacNumberEdit::IsValidCharacter(QChar character) const
{
    const int digit = DigitValue(character);
    return digit >= 0 && digit < BaseOf(kind);
}

void TacNumberEdit::RememberBeforeKey(const QKeyEvent* event)
{
    remembered = { text(), cursorPosition() };
    typedCharacter = event->text().isEmpty() ? QChar() : event->text().front();
    if (event->key() == Qt::Key_Delete)
        typedCharacter = QChar();
}

void TacNumberEdit::keyPressEvent(QKeyEvent* event)
{
    RememberBeforeKey(event);
    for (QChar character : event->text()) {
        if (character.unicode() >= 32 && !IsValidCharacter(character)) {
            event->accept();
            return;
        }
    }
    // The base edit ignores Enter and Escape, so they reach the window as
    // dialog keys: the default or cancel button reacts, the edit does nothing.
    TacCustomEdit::keyPressEvent(event);
    if (IsDialogKey(event->key()))
        event->ignore();
}

void TacNumberEdit::Restore()
{
    setText(remembered.text);
    setCursorPosition(remembered.caret);
}

void TacNumberEdit::TextEditedByUser(const QString& edited)
{
    std::uint32_t candidate = 0;
    if (!edited.isEmpty() && !ParseNumberEditText(edited, kind, candidate)) {
        Restore();
        return;
    }
    if (kind == neDec && typedCharacter.isDigit() && text().size() > 1)
        RemoveLeadingZeros(candidate);
    if (!FitsMaxValue(candidate, text())) {
        Restore();
        return;
    }
    value = candidate;
    remembered = { text(), cursorPosition() };
}

void TacNumberEdit::RemoveLeadingZeros(uint candidate)
{
    QString digits = text();
    int removed = 0;
    while (digits.size() > 1 && digits.front() == u'0') {
        digits.remove(0, 1);
        ++removed;
    }
    if (removed == 0)
        return;
    const int caret = cursorPosition();
    setText(digits);
    const bool keepCaret = typedCharacter == u'0' && candidate != 0;
    setCursorPosition(keepCaret ? std::max(0, caret - removed) : digits.size());
}

bool TacNumberEdit::FitsMaxValue(uint candidate, const QString& digits) const
{
    if (maxValue == 0)
        return true;
    if (candidate > static_cast<uint>(maxValue))
        return false;
    // Compared without regard to case, so lower-case hexadecimal digits are
    // not taken for larger ones.
    const QString limit = NumberEditText(static_cast<uint>(maxValue), kind);
    const QString upper = digits.toUpper();
    return upper.size() < limit.size() || (upper.size() == limit.size() && upper <= limit);
}
