// The module search window. The search runs on the window's own thread and lets the window
// answer between numbers, so that «Отмена» can be clicked; a number takes a tenth of a second.
#include "shell/ScanDialog.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStringList>
#include <QVBoxLayout>
#include <exception>

#include "shell/PortBox.h"
#include "widgets/StoredControls.h"

namespace {

enum TColumn : int { kNumberColumn, kVersionColumn };
constexpr int kColumnCount = 2;

// The object number of a row, kept on its first cell.
constexpr int kNumberRole = Qt::UserRole;

constexpr QSize kDefaultSize(480, 420);
// The box shows a port's name and a good part of its description before the list drops down.
constexpr int kPortBoxCharacters = 24;

QString NumbersRange(int first, int last) {
    return QString::fromUtf8("%1–%2").arg(first).arg(last);
}

// What the search found before it was stopped, and how far it had gone.
QString StoppedText(int asked, const std::vector<TScanHit>& hits) {
    if (asked <= 0) {
        return QString::fromUtf8("Поиск остановлен до первого номера.");
    }
    const QString range = NumbersRange(kScanFirstNumber, kScanFirstNumber + asked - 1);
    if (hits.empty()) {
        return QString::fromUtf8("Поиск остановлен: опрошены номера %1, ни один не ответил.")
            .arg(range);
    }
    QStringList numbers;
    for (const TScanHit& hit : hits) {
        numbers << QString::number(hit.ObjectNumber);
    }
    return QString::fromUtf8("Поиск остановлен: опрошены номера %1, ответили: %2.")
        .arg(range, numbers.join(QStringLiteral(", ")));
}

}  // namespace

TScanDialog::TScanDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      PortLabel(new QLabel(QString::fromUtf8("Com-порт:"), this)),
      PortBox(new TComboBox(this)),
      StartButton(new QPushButton(QString::fromUtf8("Начать поиск"), this)),
      CancelButton(new QPushButton(QString::fromUtf8("Отмена"), this)),
      ProgressBar(new QProgressBar(this)),
      ProgressLabel(new QLabel(this)),
      StatusLabel(new QLabel(this)),
      FoundTable(new QTreeWidget(this)),
      ConnectButton(new QPushButton(QString::fromUtf8("Подключиться"), this)),
      CloseButton(new QPushButton(QString::fromUtf8("Закрыть"), this)) {
    setObjectName("FormScan");
    setWindowTitle(QString::fromUtf8("Поиск модуля"));
    setSizeGripEnabled(true);

    PortLabel->setObjectName("lbPort");
    PortLabel->setAccessibleName(QString::fromUtf8("Com-порт"));
    PortLabel->setBuddy(PortBox);

    PortBox->setObjectName("cbPort");
    PortBox->setAccessibleName(QString::fromUtf8("Com-порт"));
    PortBox->setAccessibleDescription(QString::fromUtf8("Порт, на котором искать модули"));
    // A port missing from the list (a pseudo-terminal, a path) can be typed in.
    PortBox->setEditable(true);
    PortBox->setMinimumContentsLength(kPortBoxCharacters);
    PortBox->lineEdit()->installEventFilter(this);
    PortBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // A chosen port shows from its name on, and its tooltip gives the device's path.
    connect(PortBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        PortBox->lineEdit()->setCursorPosition(0);
        PortBox->setToolTip(index >= 0 ? PortBox->itemData(index, Qt::ToolTipRole).toString()
                                       : QString());
    });

    StartButton->setObjectName("btStart");
    StartButton->setAccessibleDescription(
        QString::fromUtf8("Опросить на выбранном порту номера от %1 до %2")
            .arg(kScanFirstNumber)
            .arg(kScanLastNumber));
    CancelButton->setObjectName("btCancel");
    CancelButton->setAccessibleDescription(QString::fromUtf8("Остановить поиск"));
    ConnectButton->setObjectName("btConnect");
    ConnectButton->setAccessibleDescription(QString::fromUtf8("Подключиться к выбранному модулю"));
    CloseButton->setObjectName("btClose");
    CloseButton->setAccessibleDescription(QString::fromUtf8("Закрыть, не подключаясь"));
    for (QPushButton* button : {StartButton, CancelButton, ConnectButton, CloseButton}) {
        button->setAccessibleName(button->text());
    }
    // Enter outside the found table starts the search, the likely next step until one has run.
    StartButton->setDefault(true);
    connect(StartButton, &QPushButton::clicked, this, &TScanDialog::StartScan);
    connect(CancelButton, &QPushButton::clicked, this, &TScanDialog::reject);
    connect(ConnectButton, &QPushButton::clicked, this, [this] {
        const QList<QTreeWidgetItem*> selected = FoundTable->selectedItems();
        Choose(selected.isEmpty() ? nullptr : selected.first());
    });
    connect(CloseButton, &QPushButton::clicked, this, &TScanDialog::reject);

    ProgressBar->setObjectName("pbScan");
    ProgressBar->setAccessibleName(QString::fromUtf8("Ход поиска"));
    ProgressBar->setRange(0, kScanNumberCount);
    ProgressBar->setValue(0);
    ProgressBar->setFormat(QString::fromUtf8("%v из %m"));

    ProgressLabel->setObjectName("lbProgress");
    ProgressLabel->setAccessibleName(QString::fromUtf8("Опрашиваемый номер"));

    StatusLabel->setObjectName("lbStatus");
    StatusLabel->setAccessibleName(QString::fromUtf8("Результат поиска"));
    StatusLabel->setWordWrap(true);
    StatusLabel->setTextFormat(Qt::PlainText);

    FoundTable->setObjectName("tvFound");
    FoundTable->setAccessibleName(QString::fromUtf8("Найденные модули"));
    FoundTable->setAccessibleDescription(
        QString::fromUtf8("Номера, которые ответили; Enter или двойной щелчок подключает"));
    FoundTable->setColumnCount(kColumnCount);
    FoundTable->setHeaderLabels({QString::fromUtf8("Номер"), QString::fromUtf8("Версия")});
    FoundTable->setRootIsDecorated(false);
    FoundTable->setItemsExpandable(false);
    FoundTable->setUniformRowHeights(true);
    FoundTable->setAllColumnsShowFocus(true);
    FoundTable->setSelectionMode(QAbstractItemView::SingleSelection);
    FoundTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    FoundTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Enter connects to the row; without the filter the view passes it on to the default button.
    FoundTable->installEventFilter(this);
    connect(FoundTable, &QTreeWidget::itemSelectionChanged, this,
            &TScanDialog::UpdateConnectButton);
    connect(FoundTable, &QTreeWidget::itemDoubleClicked, this,
            [this](const QTreeWidgetItem* item) { Choose(item); });

    auto* port = new QHBoxLayout;
    port->addWidget(PortLabel);
    port->addWidget(PortBox, 1);
    port->addWidget(StartButton);
    port->addWidget(CancelButton);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ConnectButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(port);
    layout->addWidget(ProgressBar);
    layout->addWidget(ProgressLabel);
    layout->addWidget(StatusLabel);
    layout->addWidget(FoundTable, 1);
    layout->addLayout(buttons);

    resize(kDefaultSize);
    SetStatus(QString::fromUtf8("Будут опрошены номера от %1 до %2; поиск занимает около "
                                "10 секунд.")
                  .arg(kScanFirstNumber)
                  .arg(kScanLastNumber));
    SetScanning(false);
    PortBox->setFocus();
}

void TScanDialog::SetPorts(std::vector<TSerialPortInfo> ports) {
    // The port chosen (or typed) before stays chosen when the list has it.
    const std::string chosen = PortName();
    FillPortBox(*PortBox, std::move(ports));
    SetPortName(chosen);
}

void TScanDialog::SetPortName(const std::string& name) {
    ShowPortInBox(*PortBox, name);
}

std::string TScanDialog::PortName() const {
    return PortNameInBox(*PortBox);
}

void TScanDialog::StartScan() {
    if (m_scanning || !Scan) {
        return;
    }
    const std::string port = PortName();
    if (port.empty()) {
        SetStatus(QString::fromUtf8("Выберите Com-порт или введите его имя."));
        PortBox->setFocus();
        return;
    }
    m_chosen.reset();
    m_cancelRequested = false;
    m_asked = 0;
    m_total = kScanNumberCount;
    FoundTable->clear();
    ProgressBar->setRange(0, m_total);
    ProgressBar->setValue(0);
    ProgressLabel->clear();
    ProgressLabel->setAccessibleDescription(QString());
    SetStatus(QString::fromUtf8("Идёт поиск на порту %1…").arg(QString::fromStdString(port)));
    SetScanning(true);

    bool stopped = false;
    std::vector<TScanHit> hits;
    QString failure;
    try {
        hits = Scan(port, [this, &stopped](int number, int done, int total) {
            const bool goOn = ShowProgress(number, done, total);
            stopped = stopped || !goOn;
            return goOn;
        });
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
        if (failure.isEmpty()) {
            failure = QString::fromUtf8("Поиск не выполнен.");
        }
    } catch (...) {
        // Whatever stopped the search, the window must come back to life.
        failure = QString::fromUtf8("Поиск не выполнен.");
    }
    SetScanning(false);

    if (!failure.isEmpty()) {
        SetStatus(failure);
        StartButton->setFocus();
        return;
    }
    if (!stopped) {
        m_asked = m_total;
        ProgressBar->setValue(m_total);
        // The line names the number being asked; once all are asked, it says so.
        ProgressLabel->setText(QString::fromUtf8("Опрошены все номера от %1 до %2")
                                   .arg(kScanFirstNumber)
                                   .arg(kScanLastNumber));
        ProgressLabel->setAccessibleDescription(ProgressLabel->text());
    }
    ShowHits(hits);
    if (stopped) {
        SetStatus(StoppedText(m_asked, hits));
    } else if (hits.empty()) {
        SetStatus(QString::fromUtf8("Модули не найдены: ни один номер от %1 до %2 не ответил. "
                                    "Проверьте кабель и питание модуля.")
                      .arg(kScanFirstNumber)
                      .arg(kScanLastNumber));
    } else {
        SetStatus(QString::fromUtf8("Найдено модулей: %1").arg(hits.size()));
    }
    if (hits.empty()) {
        StartButton->setFocus();
    } else {
        FoundTable->setFocus();
    }
}

bool TScanDialog::ShowProgress(int number, int done, int total) {
    m_asked = done;
    m_total = total;
    ProgressBar->setRange(0, total);
    ProgressBar->setValue(done);
    ProgressLabel->setText(
        QString::fromUtf8("№ %1 — опрошено номеров: %2 из %3").arg(number).arg(done).arg(total));
    ProgressLabel->setAccessibleDescription(ProgressLabel->text());
    QCoreApplication::processEvents();
    return !m_cancelRequested;
}

void TScanDialog::ShowHits(const std::vector<TScanHit>& hits) {
    FoundTable->clear();
    for (const TScanHit& hit : hits) {
        auto* item = new QTreeWidgetItem(FoundTable);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setData(kNumberColumn, kNumberRole, hit.ObjectNumber);
        item->setText(kNumberColumn, QString::number(hit.ObjectNumber));
        item->setText(kVersionColumn, QString::fromStdString(hit.Version));
    }
    if (!hits.empty()) {
        FoundTable->setCurrentItem(FoundTable->topLevelItem(0));
    }
    FoundTable->resizeColumnToContents(kNumberColumn);
    UpdateConnectButton();
}

void TScanDialog::SetStatus(const QString& text) {
    StatusLabel->setText(text);
    StatusLabel->setAccessibleDescription(text);
}

void TScanDialog::SetScanning(bool scanning) {
    m_scanning = scanning;
    PortBox->setEnabled(!scanning);
    StartButton->setEnabled(!scanning);
    CancelButton->setEnabled(scanning);
    // «Отмена» is the one way on while a search runs.
    CloseButton->setEnabled(!scanning);
    FoundTable->setEnabled(!scanning);
    UpdateConnectButton();
    if (scanning) {
        CancelButton->setFocus();
    }
}

void TScanDialog::UpdateConnectButton() {
    ConnectButton->setEnabled(!m_scanning && !FoundTable->selectedItems().isEmpty());
}

void TScanDialog::Choose(const QTreeWidgetItem* item) {
    if (m_scanning || item == nullptr) {
        return;
    }
    m_chosen = item->data(kNumberColumn, kNumberRole).toInt();
    accept();
}

void TScanDialog::reject() {
    if (m_scanning) {
        if (!m_cancelRequested) {
            m_cancelRequested = true;
            CancelButton->setEnabled(false);
            SetStatus(QString::fromUtf8("Поиск останавливается…"));
        }
        return;
    }
    m_chosen.reset();
    QDialog::reject();
}

bool TScanDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<const QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == FoundTable) {
                Choose(FoundTable->currentItem());
                return true;
            }
            if (watched == PortBox->lineEdit()) {
                // The box's line takes Enter for itself, so the dialog's default button never sees
                // it.
                StartScan();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
