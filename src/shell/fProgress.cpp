// The progress window: a small borderless bar over the main window while a page is read or written.
#include "fProgress.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace {
constexpr qreal kOpacity = 215.0 / 255.0;
}

TFormProgress::TFormProgress(QWidget* mainForm)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      pb(new QProgressBar(this)),
      btCancel(new QPushButton(QString::fromUtf8("Отмена"), this)),
      m_mainForm(mainForm) {
    setObjectName("FormProgress");
    setWindowTitle("Прогресс");
    setFixedSize(165, 64);
    setWindowOpacity(kOpacity);
    pb->setObjectName("pb");
    pb->setGeometry(8, 9, 150, 17);
    pb->setRange(0, 100);
    pb->setValue(0);
    pb->setTextVisible(false);
    btCancel->setObjectName("btCancel");
    btCancel->setGeometry(45, 33, 75, 23);
    connect(btCancel, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });
}

void TFormProgress::SetPosition(int position) {
    pb->setValue(position);
}

void TFormProgress::SetMin(int minimum) {
    pb->setMinimum(minimum);
}

void TFormProgress::SetMax(int maximum) {
    pb->setMaximum(maximum);
}

void TFormProgress::SetStep(int step) {
    m_step = step;
}

void TFormProgress::StepIt() {
    const int minimum = pb->minimum();
    const int maximum = pb->maximum();
    int next = pb->value() + m_step;
    if (next > maximum && maximum > minimum) {
        next = minimum + (next - minimum) % (maximum - minimum);
    }
    pb->setValue(std::clamp(next, minimum, maximum));
}

void TFormProgress::ShowProgress() {
    if (isVisible()) {
        return;
    }
    QRect around;
    if (m_mainForm != nullptr) {
        around = m_mainForm->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        around = screen->availableGeometry();
    }
    if (around.isValid()) {
        move(around.center() - rect().center());
    }
    show();
}

void TFormProgress::HideProgress() {
    if (isVisible()) {
        hide();
    }
}
