// The progress window: a small framed window over the main window while a page is read or written.
#include "fProgress.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace {
constexpr int kWidth = 240;
}

// A dialog window of the main window stays above it but not above other programs, and its frame
// offers no close button, since "Отмена" is the way to stop.
TFormProgress::TFormProgress(QWidget* mainForm)
    : QWidget(mainForm, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      pb(new QProgressBar(this)),
      btCancel(new QPushButton(QString::fromUtf8("Отмена"), this)),
      m_mainForm(mainForm) {
    setObjectName("FormProgress");
    setWindowTitle("Прогресс");
    // Wider than designed, so that a window manager's title bar, buttons and all, still shows the
    // title whole; the bar fills the width.
    setFixedSize(kWidth, 64);
    pb->setObjectName("pb");
    pb->setGeometry(8, 9, kWidth - 16, 17);
    pb->setRange(0, 100);
    pb->setValue(0);
    pb->setTextVisible(false);
    btCancel->setObjectName("btCancel");
    // The button keeps its designed place unless the font needs it wider, and stays centred.
    const int buttonWidth = std::max(75, btCancel->sizeHint().width());
    btCancel->setGeometry((width() - buttonWidth) / 2, 33, buttonWidth, 23);
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
        // The frame is centred. Before the window is first shown its frame is not known yet, and
        // the main window's frame stands in for it, as the same window manager draws both.
        QSize outer = frameGeometry().size();
        if (outer == size() && m_mainForm != nullptr) {
            outer += m_mainForm->frameGeometry().size() - m_mainForm->size();
        }
        move(around.center() - QRect(QPoint(), outer).center());
    }
    show();
}

void TFormProgress::closeEvent(QCloseEvent* event) {
    m_cancelRequested = true;
    event->ignore();
}

void TFormProgress::HideProgress() {
    if (isVisible()) {
        hide();
    }
}
