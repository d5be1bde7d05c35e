// The error window: the failed reads of one command, counted and listed one per row.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QTableWidget>

#include <string>
#include <vector>

class TFormErrors : public QDialog {
    Q_OBJECT
  public:
    explicit TFormErrors(QWidget* owner = nullptr);

    QLabel* lbCount;
    QLabel* pErrCount;
    QTableWidget* lErrors;

    // Shows the count and one row per line, in the order given.
    void SetErrors(const std::vector<std::string>& errors);
};
