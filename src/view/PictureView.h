#pragma once
// The picture view Image1: shows the working bitmap scaled by the display scale.
//
// It keeps a scaled copy for display (view/Downscale.h), built once per load;
// when pixels of the working bitmap change, only the view pixels that show
// them are built again and repainted, so mouse moves and drawing stay instant
// on very large pictures. View pixel v shows the picture pixels that the
// conversion view -> picture maps to it (see view/Fit.h); a click on it takes
// the first of them.
//
// The view also remembers which picture pixels changed since the working
// bitmap last was a copy of the pristine one, so restoring it touches only
// those. Drawing goes through the view's Canvas, which reports every pixel it
// paints back to the view; a change made otherwise must be reported with
// pictureChanged().

#include "view/Canvas.h"
#include "view/ViewMarks.h"

#include <QImage>
#include <QRegion>
#include <QWidget>

class TPictureView : public QWidget
{
    Q_OBJECT
public:
    explicit TPictureView(QWidget* parent = nullptr);

    // The working bitmap, in picture pixels. Empty until a picture is loaded.
    QImage Picture;
    // The drawing surface of the working bitmap.
    kuvaro::TCanvas Canvas;
    bool empty() const { return Picture.isNull(); }

    void setDisplayScale(double scale) { m_scale = scale; }
    double displayScale() const { return m_scale; }

    // The whole working bitmap is new (a load): the display copy is built
    // again at the view's size, and no pixel counts as changed.
    void pictureReplaced();
    // As above, for a working bitmap that is a fresh copy of `pristine`: the
    // display copy is built from the pristine bitmap, whose memory is at hand
    // (the fresh copy's is not yet), and later restores from the same
    // pristine bitmap need only copy back what changed.
    void pictureReplaced(const QImage& pristine);
    // Pixels inside pixelRect changed: rebuild and repaint only that part of the view.
    void pictureChanged(const QRect& pixelRect);
    // The working bitmap becomes equal to the pristine one again; only what
    // changed since the last restore is copied back and shown anew, unless
    // the working bitmap was not made from this pristine bitmap.
    void restoreFrom(const QImage& pristine);

    // The picture pixels changed since the working bitmap last equalled the pristine one.
    const QRegion& changedPixels() const { return m_changed; }

    // The view rectangle that shows the given picture pixels.
    QRect viewRectOf(const QRect& pixelRect) const;
    const QImage& displayImage() const { return m_display; }

    // Marks shown in view pixels at scales where the picture's own are too small.
    void addMark(const kuvaro::ViewMark& mark);
    void clearMarks();
    const QList<kuvaro::ViewMark>& marks() const { return m_marks; }

Q_SIGNALS:
    void mousePressed(Qt::MouseButton button, Qt::MouseButtons held, int x, int y);
    void mouseMoved(Qt::MouseButtons held, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void rebuildDisplay(const QImage& source);

    QImage m_display;
    QList<kuvaro::ViewMark> m_marks;
    double m_scale = 1.0;
    QRegion m_changed;
    // The pristine bitmap the working bitmap was last made equal to (0: none known).
    qint64 m_pristineKey = 0;
};
