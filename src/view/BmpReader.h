#pragma once
// Reading a BMP file into a 32-bit picture. Throws KuvaroError with a German
// message when the file is not a BMP picture that can be read whole.

#include <QImage>
#include <QString>

namespace kuvaro {

QImage readBmpFile(const QString& path);

} // namespace kuvaro
