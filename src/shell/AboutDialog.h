// The about box: the tool's maker and how to reach them.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class TAboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutDialog(QWidget* parent = nullptr);

    QLabel* Logo = nullptr;
    QLabel* LinkLabel = nullptr;
    // The program's name and version.
    QLabel* VersionLabel = nullptr;
    QLabel* MakerLabel = nullptr;
    QPushButton* Button1 = nullptr;

  public slots:
    void Button1Click();
};
