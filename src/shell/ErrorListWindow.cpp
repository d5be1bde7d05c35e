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
      lbCount(new QLabel("Количество ошибок", this)),
      pErrCount(new QLabel(this)),
      lErrors(new QTableWidget(0, 1, this)),
      lbNotes(new QLabel(this)),
      btClose(new QPushButton(QString::fromUtf8("Закрыть"), this)) {
    setObjectName("FormErrors");
    setWindowTitle("Ошибки");

    // The caption is as wide as the font draws it, and the count box moves aside when it must.
    const QFontMetrics metrics(lbCount->font());
    const int captionWidth = std::max(110, metrics.horizontalAdvance(lbCount->text()) + 2);
    const int captionHeight = std::max(17, metrics.height());
    lbCount->setObjectName("lbCount");
    lbCount->setGeometry(kMargin, kTop + (25 - captionHeight) / 2, captionWidth, captionHeight);
    pErrCount->setObjectName("pErrCount");
    pErrCount->setGeometry(std::max(136, kMargin + captionWidth + kCountGap), kTop, 81, 25);
    pErrCount->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pErrCount->setAlignment(Qt::AlignCenter);

    lErrors->setObjectName("lErrors");
    lErrors->horizontalHeader()->hide();
    lErrors->verticalHeader()->hide();
    lErrors->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    lErrors->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    lErrors->setShowGrid(true);
    lErrors->setSelectionBehavior(QAbstractItemView::SelectRows);
    lErrors->setSelectionMode(QAbstractItemView::SingleSelection);
    lErrors->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lErrors->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    // A scroll bar coming or going changes the room the column has to fill.
    lErrors->viewport()->installEventFilter(this);

    lbNotes->setObjectName("lbNotes");
    lbNotes->setWordWrap(true);
    lbNotes->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lbNotes->hide();

    btClose->setObjectName("btClose");
    btClose->setDefault(true);
    btClose->resize(std::max(75, btClose->sizeHint().width()),
                    std::max(23, btClose->sizeHint().height()));
    connect(btClose, &QPushButton::clicked, this, &QDialog::accept);

    FitSize();
}

void TErrorListWindow::SetErrors(const std::vector<std::string>& errors) {
    pErrCount->setText(QString::number(errors.size()));
    lErrors->setRowCount(static_cast<int>(errors.size()));
    for (int row = 0; row < static_cast<int>(errors.size()); ++row) {
        const QString text = QString::fromStdString(errors[static_cast<std::size_t>(row)]);
        auto* item = new QTableWidgetItem(text);
        item->setToolTip(text);
        lErrors->setItem(row, 0, item);
    }
    FitColumn();
    FitSize();
}

void TErrorListWindow::SetNotes(const std::vector<std::string>& notes) {
    QStringList lines;
    for (const std::string& note : notes) {
        lines << QString::fromStdString(note);
    }
    lbNotes->setText(lines.join('\n'));
    lbNotes->setVisible(!lines.isEmpty());
    FitSize();
}

void TErrorListWindow::FitSize() {
    // Without errors the window reports only what the command did.
    const bool errors = HasErrors() || lbNotes->text().isEmpty();
    lbCount->setVisible(errors);
    pErrCount->setVisible(errors);
    lErrors->setVisible(errors);
    setWindowTitle(errors ? "Ошибки" : "Итог обмена");

    // Wide enough for the longest line beside a vertical scroll bar, within most of the screen.
    const int frame = 2 * lErrors->frameWidth();
    const int notesWidth =
        lbNotes->isHidden()
            ? 0
            : lbNotes->fontMetrics().boundingRect(QRect(), 0, lbNotes->text()).width();
    const int wanted =
        kMargin +
        std::max(LongestLine() + frame + lErrors->verticalScrollBar()->sizeHint().width(),
                 notesWidth) +
        kRightMargin;
    const QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : this->screen();
    const int most = screen != nullptr
                         ? static_cast<int>(screen->availableGeometry().width() * kMostOfScreen)
                         : wanted;
    const int narrowest =
        std::max(kDesignedSize.width(), pErrCount->geometry().right() + 1 + kMargin);
    // The notes wrap at the width the window opens with.
    resize(std::max(narrowest, std::min(wanted, most)), height());
    const int buttonRow = btClose->height() + kGap;
    const int notes = lbNotes->isHidden() ? 0 : NotesHeight() + kGap;
    setMinimumSize(narrowest, errors ? kDesignedSize.height() + buttonRow + notes
                                     : kTop + notes + buttonRow + kBottomMargin);
    resize(width(), minimumHeight());
    PlaceControls();
}

int TErrorListWindow::NotesHeight() const {
    return lbNotes->heightForWidth(width() - kMargin - kRightMargin);
}

bool TErrorListWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lErrors->viewport() && event->type() == QEvent::Resize) {
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
    int top = lErrors->isHidden() ? kTop : kListTop;
    if (!lbNotes->isHidden()) {
        const int notesHeight = NotesHeight();
        lbNotes->setGeometry(kMargin, top, inner, notesHeight);
        top += notesHeight + kGap;
    }
    const int buttonTop = height() - kBottomMargin - btClose->height();
    btClose->move(width() - kRightMargin - btClose->width(), buttonTop);
    lErrors->setGeometry(kMargin, top, inner, buttonTop - kGap - top);
}

int TErrorListWindow::LongestLine() const {
    // The table hides the measure that every item view offers.
    const QAbstractItemView& view = *lErrors;
    return lErrors->rowCount() > 0 ? view.sizeHintForColumn(0) : 0;
}

void TErrorListWindow::FitColumn() {
    lErrors->setColumnWidth(0, std::max(LongestLine(), lErrors->viewport()->width()));
}
