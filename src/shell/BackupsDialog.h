// The backups window: the copies of the module's settings saved before its first write, newest
// first, with how far each is from the pages, so that the installer loads one back onto them.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QTreeWidget>
#include <filesystem>
#include <optional>
#include <vector>

#include "backup/BackupStore.h"

// One copy as the window lists it.
struct TBackupRow {
    TBackupEntry Entry;
    // How many values of the copy differ from the pages; none when the file cannot be read.
    std::optional<int> DifferingValues;
};

class TBackupsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit TBackupsDialog(QWidget* parent = nullptr);

    // The folder the copies are kept in, shown as text that can be selected and copied.
    void SetFolder(const QString& folder);
    // Lists the copies in the order given, the first one selected, and forgets a choice made
    // before.
    void SetBackups(const std::vector<TBackupRow>& rows);
    // The copy loaded with the last accept(); none after a close.
    std::optional<std::filesystem::path> ChosenPath() const { return m_chosen; }

    QLabel* FolderLabel;
    QLabel* CountLabel;
    QTreeWidget* BackupTable;
    QPushButton* LoadButton;
    QPushButton* CloseButton;

  public slots:
    // Closes without a choice, also from Esc and the frame.
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The copy a row shows when it can be loaded; nullptr for an unreadable one and for the line
    // that says there are none.
    const TBackupRow* LoadableRowOf(const QTreeWidgetItem* item) const;
    void AddRow(const TBackupRow& row, int index);
    void UpdateLoadButton();
    void Load(const QTreeWidgetItem* item);

    std::vector<TBackupRow> m_rows;
    std::optional<std::filesystem::path> m_chosen;
};
