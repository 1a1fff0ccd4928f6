#pragma once
// The display copy of a picture: each view pixel stands for the block of
// picture pixels that the conversion view -> picture maps to it (view/Fit.h)
// and shows their mean colour pulled halfway toward their darkest. A mean
// alone would fade a one-pixel diagram line to nothing at strong reduction,
// picking one pixel of the block would drop most lines altogether, and the
// halfway mix keeps thin dark lines visible on light paper without turning
// the paper's specks into blots. An enlarged picture repeats its pixels.

#include "view/Fit.h"
#include "view/ReadProgress.h"

#include <QImage>
#include <QRect>

#include <map>
#include <memory>
#include <vector>

namespace kuvaro {

// Builds the pixels of viewRect (clipped to the display) of the display copy
// from `source` shown at `scale` view pixels per picture pixel. Both images
// are 32-bit; only the pixels inside viewRect are written.
void renderDisplay(const QImage& source, double scale, const QRect& viewRect, QImage& display);

// A display copy built ahead, and the fit it was built for.
struct PreparedDisplay
{
    QImage image;
    double viewScale = 0; // view units per picture pixel
    double ratio = 0; // device pixels per view unit
};

// The whole display copy of a picture built from its lines while they are
// read: the picture need not be read a second time, from memory the reading
// has long left, to be shown. The picture is fitted into a frame of `inner`
// view units (fitScale()) on a screen of `ratio` device pixels per view unit.
// The pixels are those renderDisplay() gives, whatever the order of the lines.
// Only pictures large enough for a memory file (view/PictureMemory.h) are
// built this way, unless `always`.
class DisplayBuilder : public PictureWatch
{
public:
    DisplayBuilder(QSize inner, double ratio, bool always = false);

    void pictureSize(QSize size) override;
    void pictureLines(int first, int count, const QRgb* lines) override;

    // The display copy when every line of it was seen, else a null image.
    PreparedDisplay take();

private:
    // The sums and darkest values of the picture lines seen so far for one display line.
    struct LineSums
    {
        std::vector<quint64> sums; // 4 a display pixel, in the bytes' order
        std::vector<uchar> lows;
        int seen = 0;
    };
    void addLine(const uchar* line, LineSums& to) const;
    void finishLine(int displayLine, const LineSums& from);

    QSize m_inner;
    double m_ratio = 1.0;
    bool m_always = false;
    double m_viewScale = 0;
    QSize m_picture;
    QImage m_display;
    std::shared_ptr<const struct DisplayColumns> m_columns;
    std::vector<PixelSpan> m_rows;
    std::map<int, LineSums> m_open;
    std::vector<bool> m_built;
    int m_builtCount = 0;
};

} // namespace kuvaro
