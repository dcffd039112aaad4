// A list of names, each with a tick box, laid out in a fixed number of
// columns that share the list's width; rows fill a column top to bottom
// before the next column starts. The list asks for room to show every name
// whole without scrolling.
#pragma once

#include <QListWidget>
#include <string>
#include <vector>

class TCheckListBox : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(int Columns READ Columns WRITE SetColumns)

public:
    explicit TCheckListBox(QWidget* parent = nullptr);

    void SetItems(const std::vector<std::string>& names);
    int Count() const { return count(); }
    bool Checked(int row) const;
    void SetChecked(int row, bool checked);
    // A greyed name can still be ticked; its tool-tip says why it is greyed.
    void SetGreyed(int row, bool greyed, const QString& reason);
    bool Greyed(int row) const;

    int Columns() const { return columns; }
    void SetColumns(int value);

    // Every name whole, in Columns columns of equal width.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateGrid();
    int RowsPerColumn() const;
    QSize ItemSize() const;

    int columns = 1;
};
