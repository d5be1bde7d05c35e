#include "shell/AboutDialog.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The maker's logo is drawn, so the box needs no image files beside the program.
QPixmap DrawLogo() {
    QPixmap logo(249, 60);
    logo.fill(Qt::white);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 84, 160));
    p.drawRoundedRect(QRectF(4, 6, 48, 48), 8, 8);
    p.setPen(QPen(Qt::white, 4));
    p.drawPolyline(QPolygonF({QPointF(12, 42), QPointF(22, 42), QPointF(22, 18), QPointF(34, 18),
                              QPointF(34, 42), QPointF(44, 42)}));
    QFont font("Tahoma");
    font.setBold(true);
    font.setPixelSize(26);
    p.setFont(font);
    p.setPen(QColor(0, 84, 160));
    p.drawText(QRectF(62, 0, 187, 60), Qt::AlignVCenter | Qt::AlignLeft,
               QString::fromUtf8("ТАРНЕЛ"));
    return logo;
}

}  // namespace

TAboutDialog::TAboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("FormAbout");
    setWindowTitle(QString::fromUtf8("О программе"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(269, 225);
    setFont(QFont("Tahoma", 8));

    Logo = new QLabel(this);
    Logo->setObjectName("Logo");
    Logo->setPixmap(DrawLogo());
    Logo->setAlignment(Qt::AlignCenter);

    LinkLabel = new QLabel(this);
    LinkLabel->setObjectName("LinkLabel");
    LinkLabel->setText("<a href=\"https://example.org/tarnel\">https://example.org/tarnel</a>");
    LinkLabel->setTextFormat(Qt::RichText);
    LinkLabel->setOpenExternalLinks(true);
    LinkLabel->setAlignment(Qt::AlignCenter);

    MakerLabel = new QLabel(this);
    MakerLabel->setObjectName("MakerLabel");
    MakerLabel->setText(
        QString::fromUtf8("Мастерская «Реле и сигнал»\n"
                          "г. Энск\n"
                          "тел. +7 (000) 000-00-01\n"
                          "тел. +7 (000) 000-00-02"));
    MakerLabel->setAlignment(Qt::AlignCenter);

    VersionLabel = new QLabel(this);
    VersionLabel->setObjectName("VersionLabel");
    VersionLabel->setText(QString::fromUtf8("Программа настройки Тарнел, версия %1")
                              .arg(QStringLiteral(TARNEL_VERSION)));
    VersionLabel->setAlignment(Qt::AlignCenter);

    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TAboutDialog::Button1Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Logo);
    layout->addWidget(VersionLabel);
    layout->addWidget(LinkLabel);
    layout->addWidget(MakerLabel);
    layout->addWidget(Button1, 0, Qt::AlignHCenter);
    // As designed, grown by the version line where the fonts at hand need it.
    setFixedSize(sizeHint().expandedTo(QSize(269, 225)));
}

void TAboutDialog::Button1Click() {
    accept();
}
