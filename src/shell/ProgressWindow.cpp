// The progress window: a small framed window over the main window while a page is read or written.
#include "shell/ProgressWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// Wide enough for "Запись: Реле 2 — 536 из 536, ошибок: 536" and for a window manager's title bar,
// buttons and all, to show the title whole.
constexpr int kWidth = 360;
constexpr int kMargin = 8;
}  // namespace

// A dialog window of the main window stays above it but not above other programs, and its frame
// offers no close button, since "Отмена" is the way to stop.
TProgressWindow::TProgressWindow(QWidget* mainForm)
    : QWidget(mainForm, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      OperationLabel(new QLabel(this)),
      ProgressBar(new QProgressBar(this)),
      NoteLabel(new QLabel(this)),
      CancelButton(new QPushButton(QString::fromUtf8("Отмена"), this)),
      m_mainForm(mainForm) {
    setObjectName("FormProgress");
    setWindowTitle("Прогресс");
    OperationLabel->setObjectName("lbOperation");
    OperationLabel->setMinimumHeight(OperationLabel->fontMetrics().height());
    ProgressBar->setObjectName("pb");
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    ProgressBar->setFixedHeight(17);
    NoteLabel->setObjectName("lbNote");
    NoteLabel->setWordWrap(true);
    NoteLabel->hide();
    CancelButton->setObjectName("btCancel");
    // The button keeps its designed width unless the font needs it wider, and stays centred.
    CancelButton->setFixedWidth(std::max(75, CancelButton->sizeHint().width()));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->addWidget(OperationLabel);
    layout->addWidget(ProgressBar);
    layout->addWidget(NoteLabel);
    layout->addWidget(CancelButton, 0, Qt::AlignHCenter);
    setFixedWidth(kWidth);
    FitHeight();
    connect(CancelButton, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });
}

void TProgressWindow::FitHeight() {
    layout()->activate();
    setFixedHeight(layout()->hasHeightForWidth() ? layout()->heightForWidth(kWidth)
                                                 : layout()->sizeHint().height());
}

void TProgressWindow::SetText(const QString& text) {
    OperationLabel->setText(text);
}

void TProgressWindow::SetNote(const QString& note) {
    NoteLabel->setText(note);
    NoteLabel->setVisible(!note.isEmpty());
    FitHeight();
}

void TProgressWindow::SetPosition(int position) {
    ProgressBar->setValue(position);
}

void TProgressWindow::SetMin(int minimum) {
    ProgressBar->setMinimum(minimum);
}

void TProgressWindow::SetMax(int maximum) {
    ProgressBar->setMaximum(maximum);
}

void TProgressWindow::SetStep(int step) {
    m_step = step;
}

void TProgressWindow::StepIt() {
    const int minimum = ProgressBar->minimum();
    const int maximum = ProgressBar->maximum();
    int next = ProgressBar->value() + m_step;
    if (next > maximum && maximum > minimum) {
        next = minimum + (next - minimum) % (maximum - minimum);
    }
    ProgressBar->setValue(std::clamp(next, minimum, maximum));
}

void TProgressWindow::ShowProgress() {
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

void TProgressWindow::closeEvent(QCloseEvent* event) {
    m_cancelRequested = true;
    event->ignore();
}

void TProgressWindow::HideProgress() {
    if (isVisible()) {
        hide();
    }
}
