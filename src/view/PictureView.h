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
//
// Rebuilding the display copy waits until it is painted (or asked for): a
// restore followed by drawing the same lines again, as taking a point back
// does, marks the same view pixels twice but builds them once.

#include "view/Canvas.h"
#include "view/Downscale.h"
#include "view/ViewMarks.h"

#include <QImage>
#include <QWidget>

#include <deque>
#include <vector>

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
    // pristine bitmap need only copy back what changed. A display copy
    // prepared for this picture at the view's scale and the screen's density
    // is taken as it is.
    void pictureReplaced(const QImage& pristine, const kuvaro::PreparedDisplay& prepared = {});
    // Pixels inside pixelRect changed: that part of the view is built again
    // and repainted.
    void pictureChanged(const QRect& pixelRect);
    // The working bitmap becomes equal to the pristine one again; only what
    // changed since the last restore is copied back and shown anew, unless
    // the working bitmap was not made from this pristine bitmap.
    void restoreFrom(const QImage& pristine);

    // The picture pixels changed since the working bitmap last equalled the
    // pristine one, as rectangles that may overlap. Consecutive reports that
    // lie close together share one rectangle.
    const std::deque<QRect>& changedPixels() const { return m_changed; }

    // The rectangle of the display copy that shows the given picture pixels
    // (view units on ordinary screens, device pixels on high-density ones).
    QRect viewRectOf(const QRect& pixelRect) const;
    // The display copy, with every change reported so far built in; it has
    // the screen's device pixels (displayRatio() per view unit).
    const QImage& displayImage() const;
    double displayRatio() const { return m_ratio; }
    // Builds the view pixels whose picture pixels changed since the last build.
    void flushDisplay() const;

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
    void rebuildDisplay(const QImage& source, const kuvaro::PreparedDisplay& prepared = {});
    // The whole display copy at the screen's current density; changed pixels stay noted.
    void renderWhole(const QImage& source, const kuvaro::PreparedDisplay& prepared = {});
    QRect toLogical(const QRect& device) const;
    void noteChanged(const QRect& pixels);
    void markStale(const QRect& viewRect);
    // Builds the pixels of viewRect of the display copy.
    void renderStale(const QRect& viewRect) const;

    QList<kuvaro::ViewMark> m_marks;
    // Built lazily by flushDisplay(), hence mutable.
    mutable QImage m_display;
    // One byte a view pixel: 1 where the display copy is out of date, inside
    // the bounding rectangle m_staleArea.
    mutable std::vector<uchar> m_stale;
    mutable QRect m_staleArea;
    // What the pending repaint request covers.
    QRect m_repaintArea;
    double m_scale = 1.0;
    // The screen's device pixels per view unit.
    double m_ratio = 1.0;
    // The scale of the display copy: device pixels per picture pixel.
    double deviceScale() const { return m_scale * m_ratio; }
    std::deque<QRect> m_changed;
    // The pristine bitmap the working bitmap was last made equal to (null:
    // none known); outside m_changed the two have the same pixels.
    QImage m_pristine;
};
