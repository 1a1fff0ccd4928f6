#include "app/Controls.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <QLabel>
#include <QPalette>

namespace kuvaro {

void setBackground(QWidget* w, TColor background)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, toQColor(background));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void setLabelColor(QLabel* label, TColor background) { setBackground(label, background); }

TColor labelColor(const QLabel* label) { return fromQColor(label->palette().color(QPalette::Window)); }

void setLabelFontColor(QLabel* label, TColor text)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, toQColor(text));
    label->setPalette(p);
}

TColor labelFontColor(const QLabel* label) { return fromQColor(label->palette().color(QPalette::WindowText)); }

QLabel* makeLabel(QWidget* parent, const LabelSpec& spec)
{
    auto* label = new QLabel(spec.text, parent);
    label->setObjectName(QString::fromLatin1(spec.name));
    label->setGeometry(spec.geometry);
    label->setAlignment(spec.alignment | Qt::AlignVCenter);
    label->setFont(spec.font);
    label->setTextFormat(Qt::PlainText);
    setLabelColor(label, spec.background);
    return label;
}

int execFileDialog(QFileDialog* dialog)
{
    const int result = dialog->exec();
    for (QCompleter* completer : dialog->findChildren<QCompleter*>()) {
        if (QAbstractItemView* list = completer->popup())
            list->hide();
    }
    return result;
}

} // namespace kuvaro
