// Opening a picture: the file dialog, reading, fitting into the view.

#include "app/Application.h"
#include "core/Errors.h"
#include "app/Main.h"
#include "view/BmpReader.h"
#include "view/Fit.h"
#include "view/PictureMemory.h"
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
    // A new dialog each time: Qt's dialog keeps the last file name and offers
    // no way to empty it.
    delete OpenDialog1;
    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    // Qt's own dialog, so that it speaks German like the rest of the program.
    OpenDialog1->setOption(QFileDialog::DontUseNativeDialog);
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    OpenDialog1->setWindowTitle(QStringLiteral("Grafik-Datei einlesen"));
    OpenDialog1->setDirectory(QCoreApplication::applicationDirPath());
    OpenDialog1->setNameFilter(QStringLiteral("Bmp-Datei (*.bmp)"));
    OpenDialog1->setDefaultSuffix(QStringLiteral("bmp"));

    if (execFileDialog(OpenDialog1) != QDialog::Accepted)
        return;
    const QStringList chosen = OpenDialog1->selectedFiles();
    if (chosen.isEmpty())
        return;
    const QString path = chosen.first();
    if (!QFileInfo(path).isFile())
        return;

    // Opening is all or nothing: the points, the calibration and the picture
    // stay as they are unless the new picture has been read whole and unsaved
    // points have been saved or given up.
    const QImage picture = readBmpFile(path);
    if (!OfferToSavePoints())
        return;
    SetPicture(picture, QFileInfo(path).absoluteFilePath());
}

void TMainForm::SetPicture(const QImage& picture, const QString& path)
{
    // Everything that can fail comes first, so a failure changes nothing.
    if (picture.isNull())
        throw KuvaroError(QStringLiteral("Bitmap ist ungültig"));
    const QImage pristine =
        picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    QImage working = workingCopyOf(pristine);
    if (working.isNull())
        throw outOfMemory();
    const QSize inner(Panel1->width() - 12, Panel1->height() - 12);
    const double scale = fitScale(inner, pristine.size());
    const QSize view = fittedViewSize(pristine.size(), scale);

    Image2->setPicture(pristine);
    setWindowTitle(applicationTitle() + QStringLiteral(" - ") + path);
    DisplayScale = scale;
    Image1->setDisplayScale(DisplayScale);
    Image1->resize(view);
    Image1->Picture = working;
    working = QImage();
    Image1->pictureReplaced(pristine);

    // The full reset: the working bitmap is already a fresh copy of the new
    // pristine one, so it has nothing left to restore.
    ResetDigitizing();
    Label4->setText(QStringLiteral("  Erfasse mit rechtem Mausklick den Nullpunkt"));
}

void TMainForm::RestoreWorkingBitmap()
{
    Image1->restoreFrom(Image2->Picture);
    Image1->clearMarks();
}

int TMainForm::ViewToPixel(int v) const { return viewToPixel(DisplayScale, v); }

bool TMainForm::PictureEmpty() const { return Image1->empty(); }
