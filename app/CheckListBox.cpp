#include "app/CheckListBox.h"

#include "platform/QtText.h"

#include <QResizeEvent>
#include <algorithm>

namespace {

// Keeps the names of neighbouring columns apart.
const int ColumnGap = 4;

} // namespace

TCheckListBox::TCheckListBox(QWidget* parent) : QListWidget(parent)
{
    setFlow(QListView::TopToBottom);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The list asks for the height of every row, so no name is left over for
    // a further column; a scroll bar that might appear would take that room.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TCheckListBox::SetItems(const std::vector<std::string>& names)
{
    clear();
    for (const std::string& name : names) {
        auto* item = new QListWidgetItem(platform::ToQString(name), this);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    UpdateGrid();
    updateGeometry();
}

bool TCheckListBox::Checked(int row) const
{
    const QListWidgetItem* item = this->item(row);
    return item && item->checkState() == Qt::Checked;
}

void TCheckListBox::SetChecked(int row, bool checked)
{
    if (QListWidgetItem* item = this->item(row))
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void TCheckListBox::SetGreyed(int row, bool greyed, const QString& reason)
{
    QListWidgetItem* item = this->item(row);
    if (!item)
        return;
    item->setData(Qt::ForegroundRole,
        greyed ? QVariant(palette().brush(QPalette::Disabled, QPalette::Text)) : QVariant());
    item->setToolTip(greyed ? reason : QString());
}

bool TCheckListBox::Greyed(int row) const
{
    const QListWidgetItem* item = this->item(row);
    return item && item->data(Qt::ForegroundRole).isValid();
}

void TCheckListBox::SetColumns(int value)
{
    columns = value < 1 ? 1 : value;
    UpdateGrid();
    updateGeometry();
}

void TCheckListBox::resizeEvent(QResizeEvent* event)
{
    QListWidget::resizeEvent(event);
    UpdateGrid();
}

QSize TCheckListBox::sizeHint() const
{
    return minimumSizeHint();
}

QSize TCheckListBox::minimumSizeHint() const
{
    const QSize item = ItemSize();
    const int frame = 2 * frameWidth();
    return { columns * (item.width() + ColumnGap) + frame,
        RowsPerColumn() * item.height() + frame };
}

int TCheckListBox::RowsPerColumn() const
{
    return std::max(1, (count() + columns - 1) / columns);
}

// The room of the widest name with its tick box, at the height of one row.
QSize TCheckListBox::ItemSize() const
{
    int width = 0;
    for (int row = 0; row < count(); ++row)
        width = std::max(width, sizeHintForIndex(model()->index(row, 0)).width());
    return { width, count() > 0 ? sizeHintForRow(0) : fontMetrics().height() };
}

// Every column gets an equal share of the visible width, so that the given
// number of columns is in view.
void TCheckListBox::UpdateGrid()
{
    setGridSize(QSize(viewport()->width() / columns, ItemSize().height()));
}
