// Every control of the four windows that shows text has room for it in the
// fonts in use: run once with the Wine faces and once with
// KUVARO_WITHOUT_TAHOMA=1, as on a system without them.

#include "app/Fonts.h"
#include "app/Startup.h"
#include "common/ProgramTexts.h"
#include "common/TestMain.h"

#include <QAbstractButton>
#include <QDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include "app/Main.h"
#include "dialogs/Inputmessage.h"
#include "dialogs/Lizenz.h"
#include "dialogs/Zeigenachricht.h"

using namespace kuvaro;

Q_DECLARE_METATYPE(QPointer<QWidget>)

class TestCaptionsFit : public QObject
{
    Q_OBJECT

    Forms m_forms;

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(wineFacesInUse(), qEnvironmentVariableIntValue("KUVARO_WITHOUT_TAHOMA") != 1);
        m_forms = createForms();
        // The input dialog builds its controls when it is first shown.
        m_forms.inputMessageForm->show();
        m_forms.inputMessageForm->hide();
    }

    void fits_data()
    {
        QTest::addColumn<QPointer<QWidget>>("control");
        // The text shown; empty: the control's own.
        QTest::addColumn<QString>("shown");
        const QList<QPair<QString, QWidget*>> windows = {{QStringLiteral("main"), m_forms.mainForm.get()},
                                                         {QStringLiteral("input"), m_forms.inputMessageForm.get()},
                                                         {QStringLiteral("information"), m_forms.lizForm.get()},
                                                         {QStringLiteral("message"), m_forms.zeigeNachrichtForm.get()}};
        for (const auto& [name, window] : windows) {
            for (QWidget* w : window->findChildren<QWidget*>()) {
                const auto* label = qobject_cast<QLabel*>(w);
                const auto* button = qobject_cast<QAbstractButton*>(w);
                if ((label && !label->text().trimmed().isEmpty()) || (button && !button->text().isEmpty()))
                    QTest::addRow("%s %s", qPrintable(name), qPrintable(w->objectName()))
                        << QPointer<QWidget>(w) << QString();
            }
        }
        // The prompts of the status line, which change as the work goes on.
        const QString prompts[] = {test::PromptOpen, test::PromptOrigin, test::PromptXAxis, test::PromptYAxis,
                                   test::PromptDifferences, test::PromptDigitize, test::PromptAfterTakeBack};
        for (const QString& prompt : prompts)
            QTest::addRow("main Label4 \"%s\"", qPrintable(prompt.trimmed()))
                << QPointer<QWidget>(m_forms.mainForm->Label4) << prompt;
    }

    void fits()
    {
        QFETCH(QPointer<QWidget>, control);
        QFETCH(QString, shown);
        QVERIFY(control);
        const QFontMetrics fm(control->font());
        QRect room = control->contentsRect();
        QString text;
        int flags = Qt::TextSingleLine;
        if (const auto* label = qobject_cast<QLabel*>(control.data())) {
            text = shown.isEmpty() ? label->text() : shown;
            room.adjust(label->margin(), label->margin(), -label->margin(), -label->margin());
            if (label->wordWrap())
                flags = Qt::TextWordWrap;
        } else {
            const auto* button = qobject_cast<QAbstractButton*>(control.data());
            text = button->text();
            text.remove(QLatin1Char('&'));
            // The frame and the least padding a button has inside it.
            room.adjust(3, 1, -3, -1);
        }
        const QRect needed = fm.boundingRect(QRect(room.topLeft(), QSize(room.width(), 10000)), flags, text);
        QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
                 qPrintable(QStringLiteral("\"%1\" in %2 (%3 px) needs %4 x %5, has %6 x %7")
                                .arg(text, QFontInfo(control->font()).family())
                                .arg(control->font().pixelSize())
                                .arg(needed.width())
                                .arg(needed.height())
                                .arg(room.width())
                                .arg(room.height())));
    }
};

KUVARO_TEST_MAIN(TestCaptionsFit)
#include "tst_captionsfit.moc"
