// The error window: the failed reads of one command, counted and listed one per row.
#include "fErrors.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>

TFormErrors::TFormErrors(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      lbCount(new QLabel("Количество ошибок", this)),
      pErrCount(new QLabel(this)),
      lErrors(new QTableWidget(0, 1, this)) {
    setObjectName("FormErrors");
    setWindowTitle("Ошибки");
    setFixedSize(306, 175);

    lbCount->setObjectName("lbCount");
    lbCount->setGeometry(16, 12, 110, 17);
    pErrCount->setObjectName("pErrCount");
    pErrCount->setGeometry(136, 8, 81, 25);
    pErrCount->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pErrCount->setAlignment(Qt::AlignCenter);

    lErrors->setObjectName("lErrors");
    lErrors->setGeometry(16, 40, 273, 131);
    lErrors->horizontalHeader()->hide();
    lErrors->verticalHeader()->hide();
    lErrors->horizontalHeader()->setStretchLastSection(true);
    lErrors->setShowGrid(true);
    lErrors->setSelectionBehavior(QAbstractItemView::SelectRows);
    lErrors->setSelectionMode(QAbstractItemView::SingleSelection);
    lErrors->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lErrors->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().topLeft());
    }
}

void TFormErrors::SetErrors(const std::vector<std::string>& errors) {
    pErrCount->setText(QString::number(errors.size()));
    lErrors->setRowCount(static_cast<int>(errors.size()));
    for (int row = 0; row < static_cast<int>(errors.size()); ++row) {
        lErrors->setItem(
            row, 0,
            new QTableWidgetItem(QString::fromStdString(errors[static_cast<std::size_t>(row)])));
    }
}
