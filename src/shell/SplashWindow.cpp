#include "shell/SplashWindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

TSplashWindow::TSplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("FormLoad");
    setWindowTitle(QString::fromUtf8("Зугрузка"));
    setFixedSize(311, 55);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    Label1 = new QLabel(QString::fromUtf8("Программа настройки Тарнел"), this);
    Label1->setObjectName("Label1");
    QFont font("Tahoma");
    font.setBold(true);
    font.setPixelSize(17);
    Label1->setFont(font);
    QPalette labelPal = Label1->palette();
    labelPal.setColor(QPalette::WindowText, palette().color(QPalette::Active, QPalette::Highlight));
    Label1->setPalette(labelPal);
    Label1->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    // Where Tahoma is missing the substitute draws the title wider, and the window grows with it.
    const QMargins margins = layout->contentsMargins();
    setFixedSize(std::max(width(), Label1->sizeHint().width() + margins.left() + margins.right()),
                 height());

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    SetOpacity(kStartOpacity);
}

void TSplashWindow::SetOpacity(int opacity) {
    m_opacity = std::clamp(opacity, 0, 255);
    setWindowOpacity(m_opacity / 255.0);
}

void TSplashWindow::FadeIn() {
    for (int i = 0; i < kFadeSteps; ++i) {
        QApplication::processEvents();
        SetOpacity(m_opacity + kFadeStep);
    }
}
