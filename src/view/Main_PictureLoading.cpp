// Opening a picture: the file dialog, a dropped file, the clipboard; reading
// with progress for long opens; fitting into the view.

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/Main.h"
#include "core/Errors.h"
#include "dialogs/Zeigenachricht.h"
#include "view/Fit.h"
#include "view/PictureMemory.h"
#include "view/PictureReader.h"
#include "view/PictureView.h"
#include "view/TImage.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QProgressDialog>

#include <memory>

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
    const QString allPictures = QStringLiteral("Alle Bilder (*.bmp *.png *.jpg *.jpeg *.gif *.tif *.tiff *.webp)");
    OpenDialog1->setNameFilters({QStringLiteral("Bmp-Datei (*.bmp)"), allPictures});
    // Most diagrams come as PNG or JPEG: they are listed from the start.
    OpenDialog1->selectNameFilter(allPictures);
    OpenDialog1->setDefaultSuffix(QStringLiteral("bmp"));

    if (execFileDialog(OpenDialog1) != QDialog::Accepted)
        return;
    const QStringList chosen = OpenDialog1->selectedFiles();
    if (chosen.isEmpty())
        return;
    const QString path = chosen.first();
    if (!QFileInfo(path).isFile())
        return;
    OpenPictureFile(path);
}

void TMainForm::OpenPictureFile(const QString& path)
{
    // Opening is all or nothing: the points, the calibration and the picture
    // stay as they are unless the new picture has been read whole and unsaved
    // points have been saved or given up.
    // The display copy is built while the lines are read, not in a second
    // pass over the whole picture.
    DisplayBuilder display = MakeDisplayBuilder();
    const QImage picture = ReadWithProgress(path, &display);
    if (picture.isNull() || !OfferToSavePoints())
        return;
    SetPicture(picture, QFileInfo(path).absoluteFilePath(), display.take());
}

QImage TMainForm::ReadWithProgress(const QString& path, PictureWatch* watch)
{
    // The progress dialog comes only once an open has taken half a second, so
    // the common short opens cost nothing extra.
    std::unique_ptr<QProgressDialog> dialog;
    QElapsedTimer clock;
    clock.start();
    const ReadProgress progress = [&](qint64 done, qint64 total) {
        if (!dialog) {
            if (clock.elapsed() < 500)
                return true;
            dialog = std::make_unique<QProgressDialog>(QStringLiteral("Bild wird geladen …"),
                                                       QStringLiteral("Abbrechen"), 0, 1000, this);
            dialog->setObjectName(QStringLiteral("ProgressDialog1"));
            dialog->setWindowTitle(applicationTitle());
            dialog->setWindowModality(Qt::WindowModal);
            dialog->setMinimumDuration(0);
            dialog->setAutoClose(false);
            dialog->setAutoReset(false);
        }
        dialog->setValue(total > 0 ? int(std::min<qint64>(999, done * 1000 / total)) : 0);
        return !dialog->wasCanceled();
    };
    try {
        return readPictureFile(path, availableMemoryBytes(), progress, watch);
    } catch (const ReadCancelled&) {
        return {};
    }
}

void TMainForm::PastePicture()
{
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull()) {
        ZeigeNachrichtForm->ShowMessageText(QStringLiteral("Die Zwischenablage enthält kein Bild"));
        return;
    }
    DisplayBuilder display = MakeDisplayBuilder();
    const QImage picture = pictureFromImage(image, availableMemoryBytes(), &display);
    if (!OfferToSavePoints())
        return;
    SetPicture(picture, QStringLiteral("Zwischenablage"), display.take());
}

// The one local picture file of a drag, or empty.
static QString droppedPicture(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return {};
    const QString path = data->urls().first().toLocalFile();
    return QFileInfo(path).isFile() && !pictureFormatOf(path).isEmpty() ? path : QString();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    guarded([&] {
        if (!droppedPicture(event->mimeData()).isEmpty())
            event->acceptProposedAction();
    });
}

void TMainForm::dropEvent(QDropEvent* event)
{
    guarded([&] {
        const QString path = droppedPicture(event->mimeData());
        if (path.isEmpty())
            return;
        event->acceptProposedAction();
        OpenPictureFile(path);
    });
}

QSize TMainForm::FrameInner() const { return QSize(Panel1->width() - 12, Panel1->height() - 12); }

DisplayBuilder TMainForm::MakeDisplayBuilder() const
{
    return DisplayBuilder(FrameInner(), Image1->devicePixelRatioF());
}

void TMainForm::SetPicture(const QImage& picture, const QString& path, const PreparedDisplay& display)
{
    // Everything that can fail comes first, so a failure changes nothing.
    if (picture.isNull())
        throw invalidPicture();
    const QImage pristine =
        picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    QImage working = workingCopyOf(pristine);
    if (working.isNull())
        throw outOfMemory();
    const double scale = fitScale(FrameInner(), pristine.size());
    const QSize view = fittedViewSize(pristine.size(), scale);

    Image2->setPicture(pristine);
    setWindowTitle(applicationTitle() + QStringLiteral(" - ") + path);
    DisplayScale = scale;
    Image1->setDisplayScale(DisplayScale);
    Image1->resize(view);
    Image1->Picture = working;
    working = QImage();
    Image1->pictureReplaced(pristine, display);

    // The full reset: the working bitmap is already a fresh copy of the new
    // pristine one, so it has nothing left to restore.
    ResetDigitizing();
    ShowPrompt();
}

void TMainForm::RestoreWorkingBitmap()
{
    Image1->restoreFrom(Image2->Picture);
    Image1->clearMarks();
}

int TMainForm::ViewToPixel(int v) const { return viewToPixel(DisplayScale, v); }

bool TMainForm::PictureEmpty() const { return Image1->empty(); }
