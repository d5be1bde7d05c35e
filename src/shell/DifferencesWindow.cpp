// One line a difference, resizable, so that long lines can be read whole.
#include "shell/DifferencesWindow.h"

#include <QVBoxLayout>

TDifferencesWindow::TDifferencesWindow(QWidget* parent)
    : QDialog(parent),
      CountLabel(new QLabel(this)),
      DifferenceList(new QListWidget(this)),
      OkButton(new QPushButton(QStringLiteral("OK"), this)) {
    setObjectName("FormDifferences");
    setWindowTitle(QString::fromUtf8("Сравнение с модулем"));
    DifferenceList->setObjectName("lDifferences");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CountLabel);
    layout->addWidget(DifferenceList);
    layout->addWidget(OkButton, 0, Qt::AlignRight);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    resize(640, 360);
}

void TDifferencesWindow::SetLines(const std::vector<std::string>& lines) {
    DifferenceList->clear();
    for (const std::string& line : lines) {
        auto* item = new QListWidgetItem(QString::fromStdString(line), DifferenceList);
        item->setToolTip(item->text());
    }
    CountLabel->setText(QString::fromUtf8("Строк: %1").arg(lines.size()));
}
