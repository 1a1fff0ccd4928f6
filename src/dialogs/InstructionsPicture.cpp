#include "dialogs/InstructionsPicture.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>

#include <map>
#include <QPainterPath>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace kuvaro {

namespace {

const QColor Ink(0x22, 0x22, 0x22);
const QColor Muted(0x6E, 0x6E, 0x6E);
const QColor Accent(0xD5, 0x00, 0x00); // the red of the prompt line
const QColor Hairline(0xD8, 0xD8, 0xD8);
const QColor HeaderFill(0xF3, 0xF3, 0xF3);
// The colours of the calibration crosses in the main window.
const QColor OriginGreen(0x00, 0x80, 0x00);
const QColor AxisXMaroon(0x80, 0x00, 0x00);
const QColor AxisYBlue(0x00, 0x00, 0xFF);
const QColor PolylineRed(0xE0, 0x10, 0x10);

// The picture is drawn once into an image, so it can use the best-looking
// font at hand rather than the window fonts.
QFont pictureFont(int pixelSize, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

constexpr int Margin = 24;
constexpr int TextWidth = InstructionsWidth - 2 * Margin;
constexpr int HeadingHeight = 30;
constexpr int HeadingGap = 10;

// A paragraph block set from a small piece of HTML.
class RichText
{
public:
    RichText(const QString& html, int width, int pixelSize = 12)
    {
        m_doc.setDocumentMargin(0);
        m_doc.setDefaultFont(pictureFont(pixelSize));
        m_doc.setDefaultStyleSheet(QStringLiteral("p { margin-bottom: 6px; } li { margin-bottom: 3px; }"
                                                  "b { color: #000000; } .key { color: #B00000; }"));
        m_doc.setHtml(QStringLiteral("<div style=\"color: #222222\">") + html + QStringLiteral("</div>"));
        m_doc.setTextWidth(width);
    }

    int height() const { return int(std::ceil(m_doc.size().height())); }

    void draw(QPainter& p, int left, int top) const
    {
        p.save();
        p.translate(left, top);
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette.setColor(QPalette::Text, Ink);
        m_doc.documentLayout()->draw(&p, context);
        p.restore();
    }

private:
    QTextDocument m_doc;
};

// The wording of the picture, kept in a text resource of its own
// (resources/text/instructions.html): blocks that begin with a line
// "@@ <kind> <title>" and run to the next block.
struct TextBlock
{
    QString kind;
    QString title;
    QString text;
};

QList<TextBlock> instructionTexts()
{
    QFile file(QStringLiteral(":/text/instructions.html"));
    QList<TextBlock> blocks;
    if (!file.open(QIODevice::ReadOnly))
        return blocks;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("@@ "))) {
            const QString head = line.mid(3).trimmed();
            const qsizetype blank = head.indexOf(u' ');
            blocks.append({head.left(blank), blank < 0 ? QString() : head.mid(blank + 1), QString()});
        } else if (!blocks.isEmpty()) {
            blocks.last().text += line + u'\n';
        }
    }
    for (TextBlock& b : blocks)
        b.text = b.text.trimmed();
    return blocks;
}

// The text of the first block of that kind.
QString textOf(const QList<TextBlock>& blocks, const QString& kind)
{
    for (const TextBlock& b : blocks) {
        if (b.kind == kind)
            return b.text;
    }
    return QString();
}

// One band of the picture: measured first, drawn once the spacing is known.
struct Section
{
    std::function<int()> height;
    std::function<void(QPainter&, int top)> draw;
};

void drawHeading(QPainter& p, int top, int number, const QString& title)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF badge(Margin, top + 3, 24, 24);
    p.setPen(Qt::NoPen);
    p.setBrush(Accent);
    p.drawRoundedRect(badge, 5, 5);
    p.setFont(pictureFont(15, true));
    p.setPen(Qt::white);
    p.drawText(badge, Qt::AlignCenter, QString::number(number));
    p.setPen(Ink);
    p.setFont(pictureFont(18, true));
    p.drawText(QRect(Margin + 34, top, TextWidth - 34, 30), Qt::AlignVCenter | Qt::AlignLeft, title);
    p.setPen(QPen(Hairline, 1));
    p.drawLine(Margin, top + HeadingHeight + 2, Margin + TextWidth, top + HeadingHeight + 2);
    p.restore();
}

Section textSection(int number, const QString& title, const QString& html)
{
    auto body = std::make_shared<RichText>(html, TextWidth - 34);
    return {[body] { return HeadingHeight + HeadingGap + body->height(); },
            [=](QPainter& p, int top) {
                drawHeading(p, top, number, title);
                body->draw(p, Margin + 34, top + HeadingHeight + HeadingGap);
            }};
}

// ---------------------------------------------------------------- header

constexpr int BannerHeight = 96;

Section headerSection(const QList<TextBlock>& texts)
{
    auto purpose = std::make_shared<RichText>(textOf(texts, QStringLiteral("purpose")), TextWidth, 13);
    QString title, subtitle;
    for (const TextBlock& b : texts) {
        if (b.kind == QLatin1String("banner")) {
            title = b.title;
            subtitle = b.text;
            break;
        }
    }
    return {[purpose] { return BannerHeight + 18 + purpose->height(); },
            [purpose, title, subtitle](QPainter& p, int top) {
                p.save();
                p.fillRect(QRect(0, top, InstructionsWidth, BannerHeight), HeaderFill);
                p.fillRect(QRect(0, top + BannerHeight - 3, InstructionsWidth, 3), Accent);
                const QImage logo(QStringLiteral(":/images/logo.png"));
                p.setRenderHint(QPainter::SmoothPixmapTransform);
                p.drawImage(QRect(Margin, top + 14, 64, 64), logo);
                p.setPen(Ink);
                p.setFont(pictureFont(36, true));
                p.drawText(QRect(Margin + 84, top + 8, 400, 44), Qt::AlignLeft | Qt::AlignVCenter, title);
                p.setPen(Accent);
                p.setFont(pictureFont(16));
                p.drawText(QRect(Margin + 86, top + 52, 500, 24), Qt::AlignLeft | Qt::AlignVCenter, subtitle);
                p.restore();
                purpose->draw(p, Margin, top + BannerHeight + 18);
            }};
}

// -------------------------------------------------------- example diagram

void drawCross(QPainter& p, QPointF at, const QColor& colour)
{
    p.setPen(QPen(colour, 2));
    p.drawLine(at + QPointF(-9, 0), at + QPointF(9, 0));
    p.drawLine(at + QPointF(0, -9), at + QPointF(0, 9));
}

void drawArrowHead(QPainter& p, QPointF tip, QPointF from)
{
    const QPointF d = tip - from;
    const double length = std::hypot(d.x(), d.y());
    if (length == 0)
        return;
    const QPointF u = d / length;
    const QPointF n(-u.y(), u.x());
    const QPolygonF head({tip, tip - u * 8 + n * 3.5, tip - u * 8 - n * 3.5});
    p.save();
    p.setBrush(p.pen().color());
    p.setPen(Qt::NoPen);
    p.drawPolygon(head);
    p.restore();
}

void drawDimension(QPainter& p, QPointF a, QPointF b, const QColor& colour)
{
    p.setPen(QPen(colour, 1.2));
    p.drawLine(a, b);
    drawArrowHead(p, a, b);
    drawArrowHead(p, b, a);
}

void drawLeader(QPainter& p, QPointF from, QPointF to, const QColor& colour)
{
    p.setPen(QPen(colour, 1));
    p.drawLine(from, to);
    drawArrowHead(p, to, from);
}

constexpr int DiagramHeight = 318;

// The curve of the scanned diagram in diagram units (x 0..10, y 0..50).
double sampleCurve(double x) { return 6.0 + 40.0 * std::exp(-std::pow((x - 5.2) / 2.6, 2.0)) + 0.9 * x; }

void drawExampleDiagram(QPainter& p, int top, const QList<TextBlock>& texts)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);

    // The loaded picture, as the main window shows it.
    const QRectF frame(Margin, top, TextWidth, DiagramHeight);
    p.setPen(QPen(QColor(0xB4, 0xB4, 0xB4), 1));
    p.setBrush(QColor(0xFC, 0xFC, 0xFA));
    p.drawRect(frame);

    const QPointF origin(Margin + 112, top + DiagramHeight - 66);
    const double unitX = 38.0; // pixels per x unit
    const double unitY = 4.2;  // pixels per y unit
    auto toPixel = [&](double x, double y) { return QPointF(origin.x() + x * unitX, origin.y() - y * unitY); };

    // Grid, axes and scale of the diagram itself.
    p.setPen(QPen(QColor(0xE4, 0xE4, 0xE4), 1));
    for (int x = 2; x <= 10; x += 2)
        p.drawLine(toPixel(x, 0), toPixel(x, 54));
    for (int y = 10; y <= 50; y += 10)
        p.drawLine(toPixel(0, y), toPixel(11.4, y));
    p.setPen(QPen(QColor(0x44, 0x44, 0x44), 1.6));
    p.drawLine(toPixel(0, 0), toPixel(11.6, 0));
    p.drawLine(toPixel(0, 0), toPixel(0, 56));
    drawArrowHead(p, toPixel(11.6, 0), toPixel(11, 0));
    drawArrowHead(p, toPixel(0, 56), toPixel(0, 50));
    p.setFont(pictureFont(11));
    p.setPen(QColor(0x44, 0x44, 0x44));
    // No 0 at the axes: the origin carries its own label.
    for (int x = 2; x <= 10; x += 2) {
        const QPointF t = toPixel(x, 0);
        p.drawLine(t, t + QPointF(0, 4));
        p.drawText(QRectF(t.x() - 15, t.y() + 5, 30, 14), Qt::AlignCenter, QString::number(x));
    }
    for (int y = 10; y <= 50; y += 10) {
        const QPointF t = toPixel(0, y);
        p.drawLine(t, t - QPointF(4, 0));
        p.drawText(QRectF(t.x() - 40, t.y() - 7, 33, 14), Qt::AlignRight | Qt::AlignVCenter, QString::number(y));
    }
    p.drawText(QRectF(toPixel(11.6, 0).x() - 40, origin.y() + 5, 44, 14), Qt::AlignRight, QStringLiteral("t [s]"));
    p.drawText(QRectF(origin.x() + 10, toPixel(0, 56).y() - 4, 60, 14), Qt::AlignLeft, QStringLiteral("v [m/s]"));

    // The scanned curve.
    QPainterPath curve;
    for (int i = 0; i <= 200; ++i) {
        const double x = 0.5 + 9.5 * i / 200.0;
        const QPointF pt = toPixel(x, sampleCurve(x));
        if (i == 0)
            curve.moveTo(pt);
        else
            curve.lineTo(pt);
    }
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);

    // The polyline of the captured points.
    const std::vector<double> xs = {0.5, 1.8, 3.0, 4.1, 5.2, 6.3, 7.4, 8.6, 10.0};
    QPolygonF polyline;
    for (double x : xs)
        polyline << toPixel(x, sampleCurve(x));
    p.setPen(QPen(PolylineRed, 1.6));
    p.drawPolyline(polyline);
    p.setPen(QPen(PolylineRed, 1));
    p.setBrush(Qt::white);
    for (const QPointF& pt : polyline)
        p.drawRect(QRectF(pt - QPointF(2.5, 2.5), QSizeF(5, 5)));
    p.setBrush(Qt::NoBrush);

    // Calibration crosses: origin, far point on the X axis, far point on the Y axis.
    const QPointF x1 = toPixel(10, 0);
    const QPointF y1 = toPixel(0, 50);
    drawCross(p, origin, OriginGreen);
    drawCross(p, x1, AxisXMaroon);
    drawCross(p, y1, AxisYBlue);

    QFont labelFont = pictureFont(13, true);
    p.setFont(labelFont);
    p.setPen(OriginGreen);
    p.drawText(QRectF(origin.x() - 64, origin.y() + 8, 54, 18), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("xo, yo"));
    p.setPen(AxisXMaroon);
    p.drawText(QRectF(x1.x() + 8, x1.y() - 26, 30, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("x1"));
    p.setPen(AxisYBlue);
    p.drawText(QRectF(y1.x() + 12, y1.y() - 9, 30, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("y1"));

    // The differences that the calibration input dialog asks for.
    const double dimY = origin.y() + 42;
    p.setPen(QPen(AxisXMaroon, 1, Qt::DotLine));
    p.drawLine(origin + QPointF(0, 22), QPointF(origin.x(), dimY + 6));
    p.drawLine(x1 + QPointF(0, 22), QPointF(x1.x(), dimY + 6));
    drawDimension(p, QPointF(origin.x(), dimY), QPointF(x1.x(), dimY), AxisXMaroon);
    p.setFont(pictureFont(13, true));
    const QRectF dxLabel(QPointF((origin.x() + x1.x()) / 2 - 40, dimY - 1), QSizeF(80, 18));
    p.fillRect(dxLabel.adjusted(4, 0, -4, 0), QColor(0xFC, 0xFC, 0xFA));
    p.setPen(AxisXMaroon);
    p.drawText(dxLabel, Qt::AlignCenter, QStringLiteral("x1 - xo"));

    const double dimX = origin.x() - 58;
    p.setPen(QPen(AxisYBlue, 1, Qt::DotLine));
    p.drawLine(y1 - QPointF(44, 0), QPointF(dimX - 6, y1.y()));
    p.drawLine(origin - QPointF(44, 0), QPointF(dimX - 6, origin.y()));
    drawDimension(p, QPointF(dimX, origin.y()), QPointF(dimX, y1.y()), AxisYBlue);
    const QRectF dyLabel(QPointF(dimX - 34, (origin.y() + y1.y()) / 2 - 9), QSizeF(68, 18));
    p.fillRect(dyLabel, QColor(0xFC, 0xFC, 0xFA));
    p.setPen(AxisYBlue);
    p.drawText(dyLabel, Qt::AlignCenter, QStringLiteral("y1 - yo"));

    // Call-outs for the first captured point and the polyline.
    p.setFont(pictureFont(13, true));
    const QPointF start = polyline.first();
    const QRectF startLabel(QPointF(toPixel(0.4, 34).x(), toPixel(0, 34).y()), QSizeF(90, 18));
    p.setPen(Ink);
    p.drawText(startLabel, Qt::AlignLeft | Qt::AlignVCenter, textOf(texts, QStringLiteral("start-point")));
    drawLeader(p, QPointF(startLabel.left() + 14, startLabel.bottom() + 1), start + QPointF(0, -5), Ink);

    const QPointF mid = (polyline[6] + polyline[7]) / 2;
    const QRectF lineLabel(mid.x() + 36, mid.y() - 62, 110, 18);
    p.setPen(PolylineRed);
    p.drawText(lineLabel, Qt::AlignLeft | Qt::AlignVCenter, textOf(texts, QStringLiteral("polyline")));
    drawLeader(p, QPointF(lineLabel.left() + 20, lineLabel.bottom() + 1), mid + QPointF(2, -3), PolylineRed);

    // Legend in the upper right corner.
    const QRectF legend(Margin + TextWidth - 222, top + 12, 210, 66);
    p.setPen(QPen(Hairline, 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(legend, 4, 4);
    p.setFont(pictureFont(12));
    const double crossY = legend.top() + 17;
    drawCross(p, QPointF(legend.left() + 17, crossY), OriginGreen);
    drawCross(p, QPointF(legend.left() + 37, crossY), AxisXMaroon);
    drawCross(p, QPointF(legend.left() + 57, crossY), AxisYBlue);
    p.setPen(Ink);
    p.drawText(QRectF(legend.left() + 76, legend.top() + 6, 126, 22), Qt::AlignLeft | Qt::AlignVCenter,
               textOf(texts, QStringLiteral("legend-right")));
    const double rowY = legend.top() + 47;
    p.setPen(QPen(PolylineRed, 1.6));
    const QPolygonF sample({QPointF(legend.left() + 9, rowY + 5), QPointF(legend.left() + 30, rowY - 3),
                            QPointF(legend.left() + 46, rowY + 1), QPointF(legend.left() + 65, rowY - 5)});
    p.drawPolyline(sample);
    p.setPen(Ink);
    p.drawText(QRectF(legend.left() + 76, rowY - 11, 126, 22), Qt::AlignLeft | Qt::AlignVCenter,
               textOf(texts, QStringLiteral("legend-left")));
    p.restore();
}

Section exampleSection(int number, const TextBlock& block, const QList<TextBlock>& texts)
{
    auto caption = std::make_shared<RichText>(block.text, TextWidth - 34);
    return {[caption] { return HeadingHeight + HeadingGap + DiagramHeight + 12 + caption->height(); },
            [caption, number, title = block.title, texts](QPainter& p, int top) {
                drawHeading(p, top, number, title);
                drawExampleDiagram(p, top + HeadingHeight + HeadingGap, texts);
                caption->draw(p, Margin + 34, top + HeadingHeight + HeadingGap + DiagramHeight + 12);
            }};
}

// ------------------------------------------------------------------ texts

QList<Section> sections(const QList<TextBlock>& texts)
{
    QList<Section> list;
    list << headerSection(texts);
    int number = 0;
    for (const TextBlock& b : texts) {
        if (b.kind == QLatin1String("section"))
            list << textSection(++number, b.title, b.text);
        else if (b.kind == QLatin1String("example"))
            list << exampleSection(++number, b, texts);
    }
    return list;
}

constexpr int FooterHeight = 34;

} // namespace

InstructionsPicture renderInstructionsPicture(qreal ratio)
{
    InstructionsPicture result;
    result.image = QImage(QSize(InstructionsWidth, InstructionsHeight) * ratio, QImage::Format_RGB32);
    result.image.setDevicePixelRatio(ratio);
    result.image.fill(Qt::white);

    const QList<TextBlock> texts = instructionTexts();
    const QList<Section> list = sections(texts);
    QList<int> heights;
    int used = 0;
    for (const Section& s : list) {
        heights << s.height();
        used += heights.last();
    }
    // The spare height goes evenly into the gaps between the bands, so the
    // last band ends just above the footer whatever the font measures.
    const int gaps = int(list.size()) - 1;
    const int spare = InstructionsHeight - FooterHeight - used - 28;
    const int gap = std::max(14, spare / std::max(1, gaps));

    QPainter p(&result.image);
    p.setRenderHint(QPainter::TextAntialiasing);
    int top = 0;
    for (qsizetype i = 0; i < list.size(); ++i) {
        list[i].draw(p, top);
        result.parts << QRect(0, top, InstructionsWidth, heights[i]);
        top += heights[i] + gap;
    }

    const int footerTop = InstructionsHeight - FooterHeight;
    p.fillRect(QRect(0, footerTop, InstructionsWidth, FooterHeight), HeaderFill);
    p.fillRect(QRect(0, footerTop, InstructionsWidth, 2), Accent);
    p.setPen(Muted);
    p.setFont(pictureFont(12));
    p.drawText(QRect(0, footerTop + 2, InstructionsWidth, FooterHeight - 2), Qt::AlignCenter,
               textOf(texts, QStringLiteral("footer")));
    p.end();
    return result;
}

const QImage& instructionsPicture(qreal ratio)
{
    static std::map<qreal, QImage> pictures;
    QImage& picture = pictures[ratio];
    if (picture.isNull())
        picture = renderInstructionsPicture(ratio).image;
    return picture;
}

} // namespace kuvaro
