// A pick-only drop-down list whose selected row is the property ItemIndex
// (-1 when no row is selected).
#pragma once

#include <QComboBox>

class TComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)

public:
    explicit TComboBox(QWidget* parent = nullptr) : QComboBox(parent) { setEditable(false); }

    int ItemIndex() const { return currentIndex(); }
    // A row outside the list selects nothing, as the drop-down of the design does.
    void SetItemIndex(int row) { setCurrentIndex(row >= 0 && row < count() ? row : -1); }
};
