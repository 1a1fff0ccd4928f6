#pragma once
// Colours as the program keeps them: 32-bit values 0x00BBGGRR, red in the low
// byte. The point list stores them as decimal numbers in this form, so they
// are not Qt's 0xAARRGGBB; the conversions below are the only crossing.

#include <QColor>
#include <QRgb>

namespace kuvaro {

using TColor = quint32;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clGrey = 0x808080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clRedBand = 0x0000D5;
constexpr TColor clRestingLabel = 0xEBEBEB;
constexpr TColor clValueLabel = 0xEEEEEE;

constexpr QRgb toQRgb(TColor c)
{
    return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}
inline QColor toQColor(TColor c) { return QColor(toQRgb(c)); }
constexpr TColor fromQRgb(QRgb rgb)
{
    return TColor(qRed(rgb)) | (TColor(qGreen(rgb)) << 8) | (TColor(qBlue(rgb)) << 16);
}
inline TColor fromQColor(const QColor& c) { return fromQRgb(c.rgb()); }

} // namespace kuvaro
