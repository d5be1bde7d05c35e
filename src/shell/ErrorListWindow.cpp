// The error window: the failed reads and writes of one command, counted and listed one per row.
#include "shell/ErrorListWindow.h"

#include <QEvent>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr QSize kDesignedSize(306, 175);
constexpr int kMargin = 16;
constexpr int kTop = 8;
constexpr int kListTop = 40;
constexpr int kRightMargin = 17;
constexpr int kBottomMargin = 4;
constexpr int kCountGap = 10;
constexpr int kGap = 6;
// An opened window leaves some of the screen free around it, however long its lines.
constexpr double kMostOfScreen = 0.9;

}  // namespace

TErrorListWindow::TErrorListWindow(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      ErrorCountCaption(new QLabel("Количество ошибок", this)),
      ErrorCount(new QLabel(this)),
      ErrorTable(new QTableWidget(0, 1, this)),
      NotesLabel(new QLabel(this)),
      CloseButton(new QPushButton(QString::fromUtf8("Закрыть"), this)) {
    setObjectName("FormErrors");
    setWindowTitle("Ошибки");

    // The caption is as wide as the font draws it, and the count box moves aside when it must.
    const QFontMetrics metrics(ErrorCountCaption->font());
    const int captionWidth =
        std::max(110, metrics.horizontalAdvance(ErrorCountCaption->text()) + 2);
    const int captionHeight = std::max(17, metrics.height());
    ErrorCountCaption->setObjectName("lbCount");
    ErrorCountCaption->setGeometry(kMargin, kTop + (25 - captionHeight) / 2, captionWidth,
                                   captionHeight);
    ErrorCount->setObjectName("pErrCount");
    ErrorCount->setGeometry(std::max(136, kMargin + captionWidth + kCountGap), kTop, 81, 25);
    ErrorCount->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ErrorCount->setAlignment(Qt::AlignCenter);

    ErrorTable->setObjectName("lErrors");
    ErrorTable->horizontalHeader()->hide();
    ErrorTable->verticalHeader()->hide();
    ErrorTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ErrorTable->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    ErrorTable->setShowGrid(true);
    ErrorTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    ErrorTable->setSelectionMode(QAbstractItemView::SingleSelection);
    ErrorTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ErrorTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    // A scroll bar coming or going changes the room the column has to fill.
    ErrorTable->viewport()->installEventFilter(this);

    NotesLabel->setObjectName("lbNotes");
    NotesLabel->setWordWrap(true);
    NotesLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    NotesLabel->hide();

    CloseButton->setObjectName("btClose");
    CloseButton->setDefault(true);
    CloseButton->resize(std::max(75, CloseButton->sizeHint().width()),
                        std::max(23, CloseButton->sizeHint().height()));
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);

    FitSize();
}

void TErrorListWindow::SetErrors(const std::vector<std::string>& errors) {
    ErrorCount->setText(QString::number(errors.size()));
    ErrorTable->setRowCount(static_cast<int>(errors.size()));
    for (int row = 0; row < static_cast<int>(errors.size()); ++row) {
        const QString text = QString::fromStdString(errors[static_cast<std::size_t>(row)]);
        auto* item = new QTableWidgetItem(text);
        item->setToolTip(text);
        ErrorTable->setItem(row, 0, item);
    }
    FitColumn();
    FitSize();
}

void TErrorListWindow::SetNotes(const std::vector<std::string>& notes) {
    QStringList lines;
    for (const std::string& note : notes) {
        lines << QString::fromStdString(note);
    }
    NotesLabel->setText(lines.join('\n'));
    NotesLabel->setVisible(!lines.isEmpty());
    FitSize();
}

void TErrorListWindow::FitSize() {
    // Without errors the window reports only what the command did.
    const bool errors = HasErrors() || NotesLabel->text().isEmpty();
    ErrorCountCaption->setVisible(errors);
    ErrorCount->setVisible(errors);
    ErrorTable->setVisible(errors);
    setWindowTitle(errors ? "Ошибки" : "Итог обмена");

    // Wide enough for the longest line beside a vertical scroll bar, within most of the screen.
    const int frame = 2 * ErrorTable->frameWidth();
    const int notesWidth =
        NotesLabel->isHidden()
            ? 0
            : NotesLabel->fontMetrics().boundingRect(QRect(), 0, NotesLabel->text()).width();
    const int wanted =
        kMargin +
        std::max(LongestLine() + frame + ErrorTable->verticalScrollBar()->sizeHint().width(),
                 notesWidth) +
        kRightMargin;
    const QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : this->screen();
    const int most = screen != nullptr
                         ? static_cast<int>(screen->availableGeometry().width() * kMostOfScreen)
                         : wanted;
    const int narrowest =
        std::max(kDesignedSize.width(), ErrorCount->geometry().right() + 1 + kMargin);
    // The notes wrap at the width the window opens with.
    resize(std::max(narrowest, std::min(wanted, most)), height());
    const int buttonRow = CloseButton->height() + kGap;
    const int notes = NotesLabel->isHidden() ? 0 : NotesHeight() + kGap;
    setMinimumSize(narrowest, errors ? kDesignedSize.height() + buttonRow + notes
                                     : kTop + notes + buttonRow + kBottomMargin);
    resize(width(), minimumHeight());
    PlaceControls();
}

int TErrorListWindow::NotesHeight() const {
    return NotesLabel->heightForWidth(width() - kMargin - kRightMargin);
}

bool TErrorListWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ErrorTable->viewport() && event->type() == QEvent::Resize) {
        FitColumn();
    }
    return QDialog::eventFilter(watched, event);
}

void TErrorListWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceControls();
}

void TErrorListWindow::PlaceControls() {
    const int inner = width() - kMargin - kRightMargin;
    int top = ErrorTable->isHidden() ? kTop : kListTop;
    if (!NotesLabel->isHidden()) {
        const int notesHeight = NotesHeight();
        NotesLabel->setGeometry(kMargin, top, inner, notesHeight);
        top += notesHeight + kGap;
    }
    const int buttonTop = height() - kBottomMargin - CloseButton->height();
    CloseButton->move(width() - kRightMargin - CloseButton->width(), buttonTop);
    ErrorTable->setGeometry(kMargin, top, inner, buttonTop - kGap - top);
}

int TErrorListWindow::LongestLine() const {
    // The table hides the measure that every item view offers.
    const QAbstractItemView& view = *ErrorTable;
    return ErrorTable->rowCount() > 0 ? view.sizeHintForColumn(0) : 0;
}

void TErrorListWindow::FitColumn() {
    ErrorTable->setColumnWidth(0, std::max(LongestLine(), ErrorTable->viewport()->width()));
}
