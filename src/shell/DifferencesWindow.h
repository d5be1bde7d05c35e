// The window that lists where the module differs from the pages.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <string>
#include <vector>

class TDifferencesWindow : public QDialog {
    Q_OBJECT
  public:
    explicit TDifferencesWindow(QWidget* parent = nullptr);

    void SetLines(const std::vector<std::string>& lines);

    QLabel* CountLabel;
    QListWidget* DifferenceList;
    QPushButton* OkButton;
};
