// One line a difference, resizable, so that long lines can be read whole.
#include "shell/DifferencesWindow.h"

#include <QVBoxLayout>

TDifferencesWindow::TDifferencesWindow(QWidget* parent)
    : QDialog(parent),
      lbCount(new QLabel(this)),
      lDifferences(new QListWidget(this)),
      btOk(new QPushButton(QStringLiteral("OK"), this)) {
    setObjectName("FormDifferences");
    setWindowTitle(QString::fromUtf8("Сравнение с модулем"));
    lDifferences->setObjectName("lDifferences");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbCount);
    layout->addWidget(lDifferences);
    layout->addWidget(btOk, 0, Qt::AlignRight);
    connect(btOk, &QPushButton::clicked, this, &QDialog::accept);
    resize(640, 360);
}

void TDifferencesWindow::SetLines(const std::vector<std::string>& lines) {
    lDifferences->clear();
    for (const std::string& line : lines) {
        auto* item = new QListWidgetItem(QString::fromStdString(line), lDifferences);
        item->setToolTip(item->text());
    }
    lbCount->setText(QString::fromUtf8("Строк: %1").arg(lines.size()));
}
