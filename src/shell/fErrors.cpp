// The error window: the failed reads of one command, counted and listed one per row.
#include "fErrors.h"

#include <QEvent>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr QSize kDesignedSize(306, 175);
constexpr int kMargin = 16;
constexpr int kListTop = 40;
constexpr int kRightMargin = 17;
constexpr int kBottomMargin = 4;
constexpr int kCountGap = 10;
// An opened window leaves some of the screen free around it, however long its lines.
constexpr double kMostOfScreen = 0.9;

}  // namespace

TFormErrors::TFormErrors(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      lbCount(new QLabel("Количество ошибок", this)),
      pErrCount(new QLabel(this)),
      lErrors(new QTableWidget(0, 1, this)) {
    setObjectName("FormErrors");
    setWindowTitle("Ошибки");

    // The caption is as wide as the font draws it, and the count box moves aside when it must.
    const QFontMetrics metrics(lbCount->font());
    const int captionWidth = std::max(110, metrics.horizontalAdvance(lbCount->text()) + 2);
    const int captionHeight = std::max(17, metrics.height());
    lbCount->setObjectName("lbCount");
    lbCount->setGeometry(kMargin, 8 + (25 - captionHeight) / 2, captionWidth, captionHeight);
    pErrCount->setObjectName("pErrCount");
    pErrCount->setGeometry(std::max(136, kMargin + captionWidth + kCountGap), 8, 81, 25);
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

    setMinimumSize(std::max(kDesignedSize.width(), pErrCount->geometry().right() + 1 + kMargin),
                   kDesignedSize.height());
    resize(minimumSize());
    PlaceList();
}

void TFormErrors::SetErrors(const std::vector<std::string>& errors) {
    pErrCount->setText(QString::number(errors.size()));
    lErrors->setRowCount(static_cast<int>(errors.size()));
    for (int row = 0; row < static_cast<int>(errors.size()); ++row) {
        const QString text = QString::fromStdString(errors[static_cast<std::size_t>(row)]);
        auto* item = new QTableWidgetItem(text);
        item->setToolTip(text);
        lErrors->setItem(row, 0, item);
    }
    FitColumn();

    // Wide enough for the longest line beside a vertical scroll bar, within most of the screen.
    const int frame = 2 * lErrors->frameWidth();
    const int wanted = kMargin + LongestLine() + frame +
                       lErrors->verticalScrollBar()->sizeHint().width() + kRightMargin;
    const QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : this->screen();
    const int most = screen != nullptr
                         ? static_cast<int>(screen->availableGeometry().width() * kMostOfScreen)
                         : wanted;
    resize(std::max(minimumWidth(), std::min(wanted, most)), height());
    PlaceList();
}

bool TFormErrors::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lErrors->viewport() && event->type() == QEvent::Resize) {
        FitColumn();
    }
    return QDialog::eventFilter(watched, event);
}

void TFormErrors::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceList();
}

void TFormErrors::PlaceList() {
    lErrors->setGeometry(kMargin, kListTop, width() - kMargin - kRightMargin,
                         height() - kListTop - kBottomMargin);
}

int TFormErrors::LongestLine() const {
    // The table hides the measure that every item view offers.
    const QAbstractItemView& view = *lErrors;
    return lErrors->rowCount() > 0 ? view.sizeHintForColumn(0) : 0;
}

void TFormErrors::FitColumn() {
    lErrors->setColumnWidth(0, std::max(LongestLine(), lErrors->viewport()->width()));
}
