#include "app/CheckListBox.h"

#include "platform/Text.h"

#include <QResizeEvent>

TCheckListBox::TCheckListBox(QWidget* parent) : QListWidget(parent)
{
    setFlow(QListView::TopToBottom);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
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
}

void TCheckListBox::resizeEvent(QResizeEvent* event)
{
    QListWidget::resizeEvent(event);
    UpdateGrid();
}

// Every column gets an equal share of the visible width, so that the given
// number of columns is in view and the rest scroll in from the side.
void TCheckListBox::UpdateGrid()
{
    const int rowHeight = count() > 0 ? sizeHintForRow(0) : fontMetrics().height();
    setGridSize(QSize(viewport()->width() / columns, rowHeight));
}
