#pragma once
// A picture control: holds a bitmap and shows it in its own rectangle.

#include <QImage>
#include <QWidget>

class TImage : public QWidget
{
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    QImage Picture;
    // Take the picture's size whenever a picture is set.
    bool AutoSize = false;

    void setPicture(const QImage& picture);
    bool empty() const { return Picture.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};
