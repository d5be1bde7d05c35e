// "Копировать реле": which relays take the duration and reactions of the chosen one.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <array>
#include <vector>

#include "model/RelaySettings.h"

class TCopyRelayDialog : public QDialog {
    Q_OBJECT
  public:
    // `source` (1..5) is the relay copied; its own box is shown checked and cannot be changed.
    TCopyRelayDialog(int source, QWidget* parent = nullptr);

    // The relays checked to take the copy, in relay order.
    std::vector<int> Targets() const;

    QLabel* SourceLabel;
    // Indexed by relay number - 1.
    std::array<QCheckBox*, kRelayCount> TargetBoxes;
    QDialogButtonBox* Buttons;

  private:
    int m_source;
};
