#pragma once
// The information dialog: the application title in a red band and the
// operating instructions as one tall picture in a scroll area. A right click
// with Shift on the red band shows the build stamp and the file version.

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QScrollArea;

namespace kuvaro {

// Scroll position after a wheel turn of `delta` (one notch is 120, positive away
// from the user): old - delta / 8, truncated toward zero, within 0..maximum.
int wheelScrollPosition(int position, int delta, int maximum);

// "Build <stamp> <version>"
QString buildMessageText(const QString& buildStamp, const QString& versionText);

} // namespace kuvaro

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

    // At most 10 characters; keeps its value when the program file has no version information.
    QString VersionText;

    void FormShow();
    void ScrollBox1MouseWheel(int delta);
    void VersionNameLabelMouseDown(Qt::MouseButtons held, Qt::KeyboardModifiers modifiers);
    void CloseBtnClick();
    void ReadVersionText();

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_buildStamp;
    bool m_placed = false;
};
