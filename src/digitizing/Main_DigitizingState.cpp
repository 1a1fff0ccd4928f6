// The digitizing state: the full reset, the "Reset all" button and the point
// list, the only store of captured points.

#include "app/Main.h"
#include "view/PictureView.h"
#include "view/TImage.h"

#include <QLabel>
#include <QStandardItemModel>

using namespace kuvaro;

void TMainForm::ResetDigitizing()
{
    Xo = X1 = Yo = Y1 = -1;
    CalibStep = 0;
    PointCount = 0;
    FactorsValid = false;
    ClearPointList();
    for (QLabel* l : {XoLabel, YoLabel, X1Label, Y1Label})
        setLabelColor(l, clRestingLabel);
    for (QLabel* l : {XoLabel, YoLabel, X1Label, Y1Label, XdiffLabel, YdiffLabel, XfaktLabel, YfaktLabel, xyAktLabel})
        l->clear();
    RestoreWorkingBitmap();
    setLabelColor(LinienFarbeLabel, clBlack);
}

void TMainForm::ResetAllesSBtnClick()
{
    ResetDigitizing();
    if (!PictureEmpty())
        ShowPrompt();
}

int TMainForm::PointRowCount() const { return ListModel->rowCount(); }

QString TMainForm::PointCell(int row, PointColumn column) const
{
    const QStandardItem* item = ListModel->item(row, column);
    return item ? item->text() : QString();
}

void TMainForm::AppendPointRow(const PointRow& row)
{
    QList<QStandardItem*> items;
    for (const QString* text : {&row.nr, &row.x, &row.y, &row.ix, &row.iy, &row.linecol}) {
        auto* item = new QStandardItem(*text);
        item->setEditable(false);
        item->setDropEnabled(false);
        items.append(item);
    }
    items.first()->setEditable(true); // the number can be edited in place
    ListModel->appendRow(items);
}

void TMainForm::RemoveLastPointRow()
{
    if (ListModel->rowCount() > 0)
        ListModel->removeRow(ListModel->rowCount() - 1);
}

void TMainForm::ClearPointList() { ListModel->removeRows(0, ListModel->rowCount()); }
