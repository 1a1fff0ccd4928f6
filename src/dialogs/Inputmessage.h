#pragma once
// The calibration input dialog: the two value differences "x1 - xo" and
// "y1 - yo". It checks the characters, turns '.' into ',' and hands the texts
// back in XdiffText and YdiffText; the red "X" aborts the whole calibration.

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TZeigeNachrichtForm;

class TInputMessageForm : public QDialog
{
    Q_OBJECT
public:
    // onAbort runs the main window's "Reset all" when the user confirms the abort.
    TInputMessageForm(TZeigeNachrichtForm* messages, std::function<void()> onAbort, QWidget* parent = nullptr);

    // The controls are built when the dialog is first shown, not at start-up:
    // a line edit lays out its text as soon as it is made, which loaded two
    // font engines (the default font and the edits' face) for a dialog that
    // the start does not show. Null before.
    QLabel* Label4 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* InputEdit1 = nullptr;
    QPushButton* UebernehmenBtn = nullptr;
    QLineEdit* InputEdit2 = nullptr;
    QToolButton* DelZeileSBtn = nullptr;

    // The message dialog is created after this one; start-up hands it over.
    void setMessageDialog(TZeigeNachrichtForm* messages) { m_messages = messages; }

    QString XdiffText;
    QString YdiffText;
    // The edit that gets the focus when the dialog opens: 2 the Y edit, else the X edit.
    int FocusEdit = 0;

    void FormShow();
    void UebernehmenBtnClick();
    void DelZeileSBtnClick();

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    // Accepts or refuses one edit's entry; false when the entry was refused.
    bool acceptEntry(QLineEdit* edit, QString& held);

    TZeigeNachrichtForm* m_messages;
    std::function<void()> m_onAbort;
};
