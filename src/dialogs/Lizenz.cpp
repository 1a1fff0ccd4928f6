#include "dialogs/Lizenz.h"

#include "app/Controls.h"
#include "app/Fonts.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>

using namespace kuvaro;

TLizForm::TLizForm(const QString& buildStamp, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_buildStamp(buildStamp)
{
    setObjectName(QStringLiteral("LizForm"));
    setModal(true);
    setBackground(this, clSilver);
    setFixedSize(711, 600);
    setFont(msSansSerifFont(11));
    setWindowTitle(QStringLiteral("  Bedienung und Lizenzvereinbarung"));

    VersionNameLabel = makeLabel(this, {"VersionNameLabel", QRect(16, 22, 681, 20), QString(), Qt::AlignCenter,
                                        clRedBand, tahomaFont(13)});
    setLabelFontColor(VersionNameLabel, clWhite);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setGeometry(16, 48, 680, 480);
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    Image1 = new QLabel;
    Image1->setObjectName(QStringLiteral("Image1"));
    ScrollBox1->setWidget(Image1);

    CloseBtn = new QPushButton(QStringLiteral("&Schließen"), this);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
    CloseBtn->setGeometry(296, 551, 97, 25);
    CloseBtn->setFont(msSansSerifFont(13));
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::close);
}
