// Opening a picture: the file dialog, reading, fitting into the view.

#include "app/Application.h"
#include "app/Main.h"
#include "view/BmpReader.h"
#include "view/Fit.h"
#include "view/PictureView.h"
#include "view/TImage.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>

using namespace kuvaro;

void TMainForm::DateiOeffnenSBnClick()
{
    if (!OpenDialog1) {
        OpenDialog1 = new QFileDialog(this);
        OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
        OpenDialog1->setOption(QFileDialog::DontUseNativeDialog);
        OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
        OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    }
    OpenDialog1->setWindowTitle(QStringLiteral("Grafik-Datei einlesen"));
    OpenDialog1->setDirectory(QCoreApplication::applicationDirPath());
    OpenDialog1->setNameFilter(QStringLiteral("Bmp-Datei (*.bmp)"));
    OpenDialog1->setDefaultSuffix(QStringLiteral("bmp"));
    OpenDialog1->selectFile(QString());

    if (execFileDialog(OpenDialog1) != QDialog::Accepted)
        return;
    const QStringList chosen = OpenDialog1->selectedFiles();
    if (chosen.isEmpty())
        return;
    const QString path = chosen.first();
    if (!QFileInfo(path).isFile())
        return;

    // Opening is all or nothing: the points, the calibration and the picture
    // stay as they are unless the new picture has been read whole.
    const QImage picture = readBmpFile(path);
    SetPicture(picture, QFileInfo(path).absoluteFilePath());
}

void TMainForm::SetPicture(const QImage& picture, const QString& path)
{
    Image2->setPicture(picture);
    setWindowTitle(applicationTitle() + QStringLiteral(" - ") + path);

    const QSize inner(Panel1->width() - 12, Panel1->height() - 12);
    DisplayScale = fitScale(inner, picture.size());
    Image1->setDisplayScale(DisplayScale);
    Image1->resize(fittedViewSize(picture.size(), DisplayScale));

    // The full reset makes the working bitmap a copy of the new pristine one.
    ResetDigitizing();
    Label4->setText(QStringLiteral("  Erfasse mit rechtem Mausklick den Nullpunkt"));
}

void TMainForm::RestoreWorkingBitmap()
{
    Image1->Picture = Image2->Picture;
    Image1->pictureReplaced();
}
