#include "view/TImage.h"

#include <QPainter>
#include <QPaintEvent>

TImage::TImage(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent, false); }

void TImage::setPicture(const QImage& picture)
{
    Picture = picture;
    if (AutoSize && !Picture.isNull())
        resize(Picture.size());
    update();
}

void TImage::paintEvent(QPaintEvent* event)
{
    if (Picture.isNull())
        return;
    QPainter p(this);
    if (Picture.size() == size())
        p.drawImage(event->rect(), Picture, event->rect());
    else
        p.drawImage(rect(), Picture);
}
