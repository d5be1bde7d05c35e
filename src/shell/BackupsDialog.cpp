// The backups window: one row a copy, the first selected so that Enter loads the newest; a copy
// that cannot be read stays in the list, marked, but cannot be loaded.
#include "shell/BackupsDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace {

enum TColumn : int { kObjectColumn, kVersionColumn, kTimeColumn, kDifferencesColumn };
constexpr int kColumnCount = 4;

// The index of a row's copy, kept on the row's first cell.
constexpr int kIndexRole = Qt::UserRole;

constexpr QSize kDefaultSize(600, 380);

// A copy's name holds "VER-08.03" for the module's "VER 08.03": its blank became a "-".
QString VersionText(const std::string& versionPart) {
    QString text = QString::fromStdString(versionPart);
    const QString written = QStringLiteral("VER-");
    if (text.startsWith(written)) {
        text[written.size() - 1] = QLatin1Char(' ');
    }
    return text;
}

QString DifferencesText(const std::optional<int>& differing) {
    if (!differing.has_value()) {
        return QString::fromUtf8("не читается");
    }
    return *differing == 0 ? QString::fromUtf8("нет") : QString::number(*differing);
}

}  // namespace

TBackupsDialog::TBackupsDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      FolderLabel(new QLabel(this)),
      CountLabel(new QLabel(this)),
      BackupTable(new QTreeWidget(this)),
      LoadButton(new QPushButton(QString::fromUtf8("Загрузить"), this)),
      CloseButton(new QPushButton(QString::fromUtf8("Закрыть"), this)) {
    setObjectName("FormBackups");
    setWindowTitle(QString::fromUtf8("Резервные копии"));
    setSizeGripEnabled(true);

    FolderLabel->setObjectName("lbFolder");
    FolderLabel->setAccessibleName(QString::fromUtf8("Папка резервных копий"));
    FolderLabel->setWordWrap(true);
    // The path may be wanted in a file manager or a terminal.
    FolderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    FolderLabel->setTextFormat(Qt::PlainText);

    CountLabel->setObjectName("lbCount");
    CountLabel->setAccessibleName(QString::fromUtf8("Число копий"));

    BackupTable->setObjectName("tvBackups");
    BackupTable->setAccessibleName(QString::fromUtf8("Резервные копии"));
    BackupTable->setAccessibleDescription(
        QString::fromUtf8("Настройки модуля, сохранённые перед записью, новые сверху"));
    BackupTable->setColumnCount(kColumnCount);
    BackupTable->setHeaderLabels({QString::fromUtf8("Объект"), QString::fromUtf8("Версия"),
                                  QString::fromUtf8("Дата и время"),
                                  QString::fromUtf8("Отличий от страниц")});
    BackupTable->setRootIsDecorated(false);
    BackupTable->setItemsExpandable(false);
    BackupTable->setUniformRowHeights(true);
    BackupTable->setAllColumnsShowFocus(true);
    BackupTable->setSelectionMode(QAbstractItemView::SingleSelection);
    BackupTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    BackupTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    BackupTable->header()->setSectionResizeMode(QHeaderView::Interactive);
    // Enter loads the row; without the filter the view passes it on to the default button.
    BackupTable->installEventFilter(this);
    connect(BackupTable, &QTreeWidget::itemSelectionChanged, this,
            &TBackupsDialog::UpdateLoadButton);
    connect(BackupTable, &QTreeWidget::itemDoubleClicked, this,
            [this](const QTreeWidgetItem* item) { Load(item); });

    LoadButton->setObjectName("btLoad");
    LoadButton->setAccessibleDescription(
        QString::fromUtf8("Загрузить выбранную копию на страницы"));
    CloseButton->setObjectName("btClose");
    CloseButton->setAccessibleDescription(QString::fromUtf8("Закрыть, ничего не загружая"));
    for (QPushButton* button : {LoadButton, CloseButton}) {
        button->setAccessibleName(button->text());
    }
    // Enter outside the table closes rather than loads: loading replaces what the pages hold.
    CloseButton->setDefault(true);
    connect(LoadButton, &QPushButton::clicked, this, [this] {
        const QList<QTreeWidgetItem*> selected = BackupTable->selectedItems();
        Load(selected.isEmpty() ? nullptr : selected.first());
    });
    connect(CloseButton, &QPushButton::clicked, this, &TBackupsDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(LoadButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FolderLabel);
    layout->addWidget(CountLabel);
    layout->addWidget(BackupTable, 1);
    layout->addLayout(buttons);

    resize(kDefaultSize);
    BackupTable->setFocus();
    SetFolder(QString());
    SetBackups({});
}

void TBackupsDialog::SetFolder(const QString& folder) {
    FolderLabel->setText(QString::fromUtf8("Копии хранятся в папке: %1").arg(folder));
    FolderLabel->setAccessibleDescription(folder);
}

void TBackupsDialog::SetBackups(const std::vector<TBackupRow>& rows) {
    m_rows = rows;
    m_chosen.reset();
    {
        const QSignalBlocker blocker(BackupTable);
        BackupTable->clear();
        for (int index = 0; index < static_cast<int>(m_rows.size()); ++index) {
            AddRow(m_rows[index], index);
        }
        if (m_rows.empty()) {
            // A sentence, not a copy: nothing to select or load.
            auto* line = new QTreeWidgetItem(BackupTable);
            line->setText(kObjectColumn, QString::fromUtf8("Резервных копий нет"));
            line->setFlags(Qt::ItemIsEnabled);
            line->setFirstColumnSpanned(true);
        }
    }
    if (!m_rows.empty()) {
        BackupTable->setCurrentItem(BackupTable->topLevelItem(0));
    }
    CountLabel->setText(m_rows.empty() ? QString::fromUtf8("Копий нет")
                                       : QString::fromUtf8("Копий: %1").arg(m_rows.size()));
    CountLabel->setAccessibleDescription(CountLabel->text());
    for (int column = 0; column < kColumnCount - 1; ++column) {
        BackupTable->resizeColumnToContents(column);
    }
    UpdateLoadButton();
}

void TBackupsDialog::AddRow(const TBackupRow& row, int index) {
    auto* item = new QTreeWidgetItem(BackupTable);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setData(kObjectColumn, kIndexRole, index);
    item->setText(kObjectColumn, QString::number(row.Entry.ObjectNumber));
    item->setText(kVersionColumn, VersionText(row.Entry.Version));
    item->setText(kTimeColumn, QString::fromStdString(row.Entry.Time));
    item->setText(kDifferencesColumn, DifferencesText(row.DifferingValues));
    if (!row.DifferingValues.has_value()) {
        item->setForeground(kDifferencesColumn, QBrush(Qt::darkRed));
    }
    // Which file the row is, for a copy that is wanted elsewhere or cannot be read.
    const QString path = QString::fromStdString(row.Entry.Path.string());
    for (int column = 0; column < kColumnCount; ++column) {
        item->setToolTip(column, path);
    }
}

const TBackupRow* TBackupsDialog::LoadableRowOf(const QTreeWidgetItem* item) const {
    if (item == nullptr) {
        return nullptr;
    }
    const QVariant index = item->data(kObjectColumn, kIndexRole);
    if (!index.isValid() || index.toInt() < 0 || index.toInt() >= static_cast<int>(m_rows.size())) {
        return nullptr;
    }
    const TBackupRow& row = m_rows[index.toInt()];
    return row.DifferingValues.has_value() ? &row : nullptr;
}

void TBackupsDialog::UpdateLoadButton() {
    const QList<QTreeWidgetItem*> selected = BackupTable->selectedItems();
    LoadButton->setEnabled(!selected.isEmpty() && LoadableRowOf(selected.first()) != nullptr);
}

void TBackupsDialog::Load(const QTreeWidgetItem* item) {
    const TBackupRow* row = LoadableRowOf(item);
    if (row == nullptr) {
        return;
    }
    m_chosen = row->Entry.Path;
    accept();
}

void TBackupsDialog::reject() {
    m_chosen.reset();
    QDialog::reject();
}

bool TBackupsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == BackupTable && event->type() == QEvent::KeyPress) {
        const int key = static_cast<const QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Taken here also on a row that cannot be loaded: Enter on a row never closes.
            Load(BackupTable->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
