#include "app/Controls.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QPalette>
#include <QPixmap>

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

QLabel* makeLabel(QWidget* parent, const LabelSetup& setup)
{
    auto* label = new QLabel(setup.text, parent);
    label->setObjectName(QString::fromLatin1(setup.name));
    label->setGeometry(setup.geometry);
    label->setAlignment(setup.alignment | Qt::AlignVCenter);
    label->setFont(setup.font);
    label->setTextFormat(Qt::PlainText);
    setLabelColor(label, setup.background);
    return label;
}

QPixmap pngResource(const QString& path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QPoint centredIn(QSize outer, const QRect& area)
{
    // Integer halves rounded towards the left and top, as the window has
    // always been placed; QStyle::alignedRect rounds the other way.
    return {area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2};
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
