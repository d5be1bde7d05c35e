#include "shell/CopyRelayDialog.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "model/RelayCaptions.h"

TCopyRelayDialog::TCopyRelayDialog(int source, QWidget* parent)
    : QDialog(parent), m_source(source) {
    setObjectName("FormCopyRelay");
    setWindowTitle(QString::fromUtf8("Копировать реле"));
    auto* layout = new QVBoxLayout(this);
    SourceLabel = new QLabel(QString::fromUtf8("Длительность и реакции «%1» копировать в:")
                                 .arg(QString::fromStdString(RelayPageCaption(source))),
                             this);
    layout->addWidget(SourceLabel);
    for (int n = 1; n <= kRelayCount; ++n) {
        auto* box = new QCheckBox(
            QString::fromStdString("&" + std::to_string(n) + "  " + RelayPageCaption(n)), this);
        box->setChecked(n == source);
        box->setEnabled(n != source);
        layout->addWidget(box);
        TargetBoxes.at(n - 1) = box;
    }
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->button(QDialogButtonBox::Ok)->setText(QString::fromUtf8("Копировать"));
    Buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("Отмена"));
    layout->addWidget(Buttons);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Nothing to copy to until a relay is checked.
    auto update = [this] { Buttons->button(QDialogButtonBox::Ok)->setEnabled(!Targets().empty()); };
    for (QCheckBox* box : TargetBoxes) {
        connect(box, &QCheckBox::toggled, this, update);
    }
    update();
}

std::vector<int> TCopyRelayDialog::Targets() const {
    std::vector<int> targets;
    for (int n = 1; n <= kRelayCount; ++n) {
        if (n != m_source && TargetBoxes.at(n - 1)->isChecked()) {
            targets.push_back(n);
        }
    }
    return targets;
}
