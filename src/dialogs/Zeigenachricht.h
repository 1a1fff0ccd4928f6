#pragma once
// The program's one message and yes/no question dialog. It sizes itself to its
// text on every showing and answers 1 for "Ja", 0 for "Nein"/"OK" and 99 when it
// was closed otherwise or was already on the screen.

#include "dialogs/MessageLayout.h"

#include <QDialog>

class QLabel;
class QPushButton;

class TZeigeNachrichtForm : public QDialog
{
    Q_OBJECT
public:
    // answerCell is the main window's answer field, the only way an answer leaves the dialog.
    explicit TZeigeNachrichtForm(int& answerCell, QWidget* parent = nullptr);

    QPushButton* NeinBtn = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* JaBtn = nullptr;
    QString MessageText;
    int MessageMode = kuvaro::ModeOk;

    int ShowMessageText(const QString& text);
    int ShowMessageMode(const QString& text, int mode);

    void FormShow();
    void JaBtnClick();
    void NeinBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int& m_answer;
};
