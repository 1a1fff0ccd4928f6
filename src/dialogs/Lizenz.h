#pragma once
// The information dialog: the application title in a red band and the
// operating instructions as one tall picture in a scroll area.

#include <QDialog>

class QLabel;
class QPushButton;
class QScrollArea;

class TLizForm : public QDialog
{
    Q_OBJECT
public:
    // buildStamp is the main window's stamp, shown by the hidden build message.
    explicit TLizForm(const QString& buildStamp, QWidget* parent = nullptr);

    QLabel* VersionNameLabel = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    QLabel* Image1 = nullptr;
    QPushButton* CloseBtn = nullptr;

    QString VersionText;

private:
    QString m_buildStamp;
};
