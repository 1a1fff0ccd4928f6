#pragma once
// The picture view Image1: shows the working bitmap scaled by the display scale.
// It keeps a scaled copy for display, rebuilt once per load or reset; when marks
// are drawn only the changed rectangle of the copy is rebuilt and repainted, so
// mouse moves and drawing stay instant on very large pictures.

#include <QImage>
#include <QWidget>

class TPictureView : public QWidget
{
    Q_OBJECT
public:
    explicit TPictureView(QWidget* parent = nullptr);

    // The working bitmap, in picture pixels. Empty until a picture is loaded.
    QImage Picture;
    bool empty() const { return Picture.isNull(); }

    void setDisplayScale(double scale) { m_scale = scale; }
    double displayScale() const { return m_scale; }

    // The whole working bitmap changed (load, reset): rebuild the display copy and repaint.
    void pictureReplaced();
    // Pixels inside pixelRect changed: rebuild and repaint only that part of the view.
    void pictureChanged(const QRect& pixelRect);

    // The view rectangle that shows the given picture pixels.
    QRect viewRectOf(const QRect& pixelRect) const;
    const QImage& displayImage() const { return m_display; }

Q_SIGNALS:
    void mousePressed(Qt::MouseButton button, Qt::MouseButtons held, int x, int y);
    void mouseMoved(Qt::MouseButtons held, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void render(const QRect& viewRect);

    QImage m_display;
    double m_scale = 1.0;
};
