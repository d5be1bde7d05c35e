// The compare window: a checkable row a difference, the reaction pictures beside their names, and
// the result of the last write (or load) beside each row it took.
#include "shell/CompareWindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "widgets/Icons.h"
#include "widgets/ReactionPictures.h"

namespace {

enum TColumn : int { kPageColumn, kPlaceColumn, kSourceColumn, kPagesColumn, kResultColumn };
constexpr int kColumnCount = 5;

// The index of a row's difference, kept on the row's first cell.
constexpr int kIndexRole = Qt::UserRole;

constexpr QSize kMinimumSize(640, 360);
constexpr int kDefaultHeight = 420;
// An opened window leaves some of the screen free around it, however long its lines.
constexpr double kMostOfScreen = 0.9;

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// An empty value (an object number left blank) still reads as something, on screen and aloud.
QString ValueText(const std::string& value) {
    return value.empty() ? QString::fromUtf8("(пусто)") : FromUtf8(value);
}

QString PlaceText(const TSettingsDifference& difference) {
    return difference.Column.empty() ? FromUtf8(difference.Row)
                                     : FromUtf8(difference.Row + ", " + difference.Column);
}

void SetValueCell(QTreeWidgetItem& item, int column, const std::string& value,
                  const std::optional<TRelayReaction>& code) {
    item.setText(column, ValueText(value));
    if (code.has_value()) {
        item.setIcon(column, ReactionIcon(*code));
    }
}

}  // namespace

TCompareWindow::TCompareWindow(TCompareSource source, const QString& fileName, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      DifferenceTable(new QTreeWidget(this)),
      CountLabel(new QLabel(this)),
      ActionButton(new QPushButton(source == TCompareSource::Module
                                       ? QString::fromUtf8("Записать отмеченные")
                                       : QString::fromUtf8("Загрузить отмеченные"),
                                   this)),
      CheckAllButton(new QPushButton(QString::fromUtf8("Отметить все"), this)),
      UncheckAllButton(new QPushButton(QString::fromUtf8("Снять все"), this)),
      CloseButton(new QPushButton(QString::fromUtf8("Закрыть"), this)),
      m_source(source) {
    setObjectName("FormCompare");
    setWindowTitle(source == TCompareSource::Module
                       ? QString::fromUtf8("Сравнение с модулем")
                       : QString::fromUtf8("Сравнение с файлом %1").arg(fileName));
    setSizeGripEnabled(true);

    DifferenceTable->setObjectName("tvDifferences");
    DifferenceTable->setAccessibleName(QString::fromUtf8("Различия"));
    DifferenceTable->setColumnCount(kColumnCount);
    DifferenceTable->setHeaderLabels(
        {QString::fromUtf8("Страница"), QString::fromUtf8("Место"),
         source == TCompareSource::Module ? QString::fromUtf8("В модуле")
                                          : QString::fromUtf8("В файле"),
         QString::fromUtf8("На страницах"), QString::fromUtf8("Результат")});
    DifferenceTable->setRootIsDecorated(false);
    DifferenceTable->setItemsExpandable(false);
    // Each row takes its own height: one row's may have no picture to leave room for.
    DifferenceTable->setUniformRowHeights(false);
    DifferenceTable->setAllColumnsShowFocus(true);
    DifferenceTable->setSelectionMode(QAbstractItemView::SingleSelection);
    DifferenceTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    DifferenceTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DifferenceTable->setIconSize(QSize(kPictureSize, kPictureSize));
    QHeaderView* header = DifferenceTable->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionResizeMode(kPlaceColumn, QHeaderView::Stretch);
    // Space and Enter act on the current row whichever of its cells has the focus.
    DifferenceTable->installEventFilter(this);
    connect(DifferenceTable, &QTreeWidget::itemChanged, this,
            [this](const QTreeWidgetItem*, int column) {
                if (column == kPageColumn) {
                    UpdateCount();
                }
            });
    connect(DifferenceTable, &QTreeWidget::itemDoubleClicked, this,
            [this](const QTreeWidgetItem* item) { RequestShowPlace(item); });

    CountLabel->setObjectName("lbCount");
    for (QPushButton* button : {ActionButton, CheckAllButton, UncheckAllButton, CloseButton}) {
        button->setAccessibleName(button->text());
    }
    ActionButton->setObjectName("btAction");
    CheckAllButton->setObjectName("btCheckAll");
    UncheckAllButton->setObjectName("btUncheckAll");
    CloseButton->setObjectName("btClose");
    // Enter closes the window rather than writing: the dialog would otherwise make the first
    // button, the action, its default.
    CloseButton->setDefault(true);
    connect(ActionButton, &QPushButton::clicked, this, &TCompareWindow::ActionRequested);
    connect(CheckAllButton, &QPushButton::clicked, this, [this] { SetAllChecked(true); });
    connect(UncheckAllButton, &QPushButton::clicked, this, [this] { SetAllChecked(false); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CheckAllButton);
    buttons->addWidget(UncheckAllButton);
    buttons->addStretch();
    buttons->addWidget(ActionButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CountLabel);
    layout->addWidget(DifferenceTable, 1);
    layout->addLayout(buttons);

    resize(kMinimumSize.width(), kDefaultHeight);
    SetDifferences({});
}

void TCompareWindow::SetDifferences(const std::vector<TSettingsDifference>& differences) {
    m_differences = differences;
    {
        const QSignalBlocker blocker(DifferenceTable);
        DifferenceTable->clear();
        for (int index = 0; index < static_cast<int>(m_differences.size()); ++index) {
            AddRow(m_differences[index], index);
        }
        if (m_differences.empty()) {
            // A sentence, not a difference: nothing to check, write or show.
            auto* line = new QTreeWidgetItem(DifferenceTable);
            line->setText(kPageColumn, m_source == TCompareSource::Module
                                           ? QString::fromUtf8("Модуль и страницы совпадают")
                                           : QString::fromUtf8("Файл и страницы совпадают"));
            line->setFlags(Qt::ItemIsEnabled);
            line->setFirstColumnSpanned(true);
        }
    }
    if (!m_differences.empty()) {
        // The keyboard starts on the first row, without a highlight that would look like a choice.
        DifferenceTable->selectionModel()->setCurrentIndex(
            DifferenceTable->model()->index(0, kPageColumn), QItemSelectionModel::NoUpdate);
    }
    UpdateCount();
    FitColumns();
}

QTreeWidgetItem* TCompareWindow::AddRow(const TSettingsDifference& difference, int index) {
    auto* row = new QTreeWidgetItem(DifferenceTable);
    row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    row->setCheckState(kPageColumn, Qt::Checked);
    row->setData(kPageColumn, kIndexRole, index);
    row->setText(kPageColumn, FromUtf8(difference.Page));
    row->setText(kPlaceColumn, PlaceText(difference));
    SetValueCell(*row, kSourceColumn, difference.ModuleValue, difference.ModuleCode);
    SetValueCell(*row, kPagesColumn, difference.PagesValue, difference.PagesCode);
    // The whole row in one line, for a column too narrow to show its cell.
    const QString whole =
        QString::fromUtf8("%1, %2: %3 «%4», на страницах «%5»")
            .arg(FromUtf8(difference.Page), PlaceText(difference),
                 m_source == TCompareSource::Module ? QString::fromUtf8("в модуле")
                                                    : QString::fromUtf8("в файле"),
                 FromUtf8(difference.ModuleValue), FromUtf8(difference.PagesValue));
    for (int column = kPageColumn; column < kResultColumn; ++column) {
        row->setToolTip(column, whole);
    }
    return row;
}

const TSettingsDifference* TCompareWindow::DifferenceOf(const QTreeWidgetItem* item) const {
    if (item == nullptr) {
        return nullptr;
    }
    const QVariant index = item->data(kPageColumn, kIndexRole);
    if (!index.isValid() || index.toInt() < 0 ||
        index.toInt() >= static_cast<int>(m_differences.size())) {
        return nullptr;
    }
    return &m_differences[index.toInt()];
}

std::vector<TSettingsDifference> TCompareWindow::CheckedDifferences() const {
    std::vector<TSettingsDifference> checked;
    for (int n = 0; n < DifferenceTable->topLevelItemCount(); ++n) {
        const QTreeWidgetItem* row = DifferenceTable->topLevelItem(n);
        const TSettingsDifference* difference = DifferenceOf(row);
        if (difference != nullptr && row->checkState(kPageColumn) == Qt::Checked) {
            checked.push_back(*difference);
        }
    }
    return checked;
}

TModuleValueSet TCompareWindow::CheckedPlaces() const {
    TModuleValueSet places;
    for (const TSettingsDifference& difference : CheckedDifferences()) {
        places.Add(difference.Section, difference.Key);
    }
    return places;
}

void TCompareWindow::ShowResults(const TModuleValueSet& done, const TModuleValueSet& failed) {
    const bool module = m_source == TCompareSource::Module;
    const QString doneText =
        module ? QString::fromUtf8("записано") : QString::fromUtf8("загружено");
    const QString failedText =
        module ? QString::fromUtf8("не записано") : QString::fromUtf8("не загружено");
    int doneCount = 0;
    int failedCount = 0;
    for (int n = 0; n < DifferenceTable->topLevelItemCount(); ++n) {
        QTreeWidgetItem* row = DifferenceTable->topLevelItem(n);
        const TSettingsDifference* difference = DifferenceOf(row);
        if (difference == nullptr) {
            continue;
        }
        QString result;
        if (failed.Contains(difference->Section, difference->Key)) {
            result = failedText;
            ++failedCount;
        } else if (done.Contains(difference->Section, difference->Key)) {
            result = doneText;
            ++doneCount;
        }
        row->setText(kResultColumn, result);
        row->setForeground(kResultColumn, result == failedText ? QBrush(Qt::darkRed) : QBrush());
    }
    DifferenceTable->resizeColumnToContents(kResultColumn);
    const QString summary = module ? QString::fromUtf8("Записано: %1, не записано: %2")
                                   : QString::fromUtf8("Загружено: %1, не загружено: %2");
    CountLabel->setText(summary.arg(doneCount).arg(failedCount));
}

bool TCompareWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DifferenceTable && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        QTreeWidgetItem* current = DifferenceTable->currentItem();
        switch (key->key()) {
            case Qt::Key_Space:
                if (current != nullptr && (current->flags() & Qt::ItemIsUserCheckable)) {
                    current->setCheckState(
                        kPageColumn, current->checkState(kPageColumn) == Qt::Checked ? Qt::Unchecked
                                                                                     : Qt::Checked);
                }
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                // Taken here, so that Enter on a row never reaches the dialog's buttons.
                RequestShowPlace(current);
                return true;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TCompareWindow::SetAllChecked(bool checked) {
    for (int n = 0; n < DifferenceTable->topLevelItemCount(); ++n) {
        QTreeWidgetItem* row = DifferenceTable->topLevelItem(n);
        if (row->flags() & Qt::ItemIsUserCheckable) {
            row->setCheckState(kPageColumn, checked ? Qt::Checked : Qt::Unchecked);
        }
    }
}

int TCompareWindow::CheckedCount() const {
    return static_cast<int>(CheckedDifferences().size());
}

void TCompareWindow::UpdateCount() {
    const int checked = CheckedCount();
    ActionButton->setEnabled(checked > 0);
    CheckAllButton->setEnabled(!m_differences.empty());
    UncheckAllButton->setEnabled(!m_differences.empty());
    CountLabel->setText(m_differences.empty() ? QString::fromUtf8("Различий нет")
                                              : QString::fromUtf8("Различий: %1, отмечено: %2")
                                                    .arg(m_differences.size())
                                                    .arg(checked));
}

void TCompareWindow::FitColumns() {
    // The style's fonts and margins come with the polish; measured before, the columns and the
    // header's captions come out too narrow.
    ensurePolished();
    for (int column = 0; column < kColumnCount; ++column) {
        if (column != kPlaceColumn) {
            DifferenceTable->resizeColumnToContents(column);
        }
    }
    if (isVisible()) {
        return;
    }
    // The window opens wide enough for every column whole, within most of the screen.
    int wanted = DifferenceTable->frameWidth() * 2 +
                 DifferenceTable->style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                 layout()->contentsMargins().left() + layout()->contentsMargins().right();
    // QTreeView hides the view's public column hint.
    const QAbstractItemView& view = *DifferenceTable;
    for (int column = 0; column < kColumnCount; ++column) {
        wanted += std::max(view.sizeHintForColumn(column),
                           DifferenceTable->header()->sectionSizeHint(column));
    }
    const QScreen* screen =
        this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    const int most = screen != nullptr
                         ? static_cast<int>(screen->availableGeometry().width() * kMostOfScreen)
                         : wanted;
    resize(std::clamp(wanted, kMinimumSize.width(), std::max(most, kMinimumSize.width())),
           height());
}

void TCompareWindow::RequestShowPlace(const QTreeWidgetItem* item) {
    if (const TSettingsDifference* difference = DifferenceOf(item)) {
        emit ShowPlaceRequested(*difference);
    }
}
