// The backups window: its rows and their texts, which of them can be loaded, and the gestures
// that load one or close without a choice.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "ItemViewGestures.h"
#include "shell/BackupsDialog.h"

namespace {

enum TColumn : int { kObject, kVersion, kTime, kDifferences };

const char kFolder[] = "/home/installer/.local/share/tarnel-config/backups";

// Newest first, as the store lists them: one copy the pages match, one that cannot be read, and
// a version whose name holds a "-" of its own.
std::vector<TBackupRow> Rows() {
    const std::filesystem::path folder = kFolder;
    return {
        {{folder / "obj10_VER-08.03_2026-12-10T18-05-12.txt", 10, "VER-08.03",
          "2026-12-10 18:05:12"},
         3},
        {{folder / "obj10_VER-08.03_2026-12-10T17-40-00.txt", 10, "VER-08.03",
          "2026-12-10 17:40:00"},
         0},
        {{folder / "obj7_VER-08.00_2026-11-02T09-15-31.txt", 7, "VER-08.00", "2026-11-02 09:15:31"},
         std::nullopt},
        {{folder / "obj5_VER-08.03-RC_2026-10-01T08-00-00.txt", 5, "VER-08.03-RC",
          "2026-10-01 08:00:00"},
         12},
    };
}

class BackupsDialogTest : public testing::Test {
  protected:
    BackupsDialogTest() {
        dialog.SetFolder(kFolder);
        dialog.SetBackups(Rows());
    }

    QTreeWidgetItem* Row(int row) const { return dialog.BackupTable->topLevelItem(row); }

    void ShowAndWait() {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }

    TBackupsDialog dialog;
};

TEST_F(BackupsDialogTest, ListsEachCopyWithItsObjectVersionTimeAndDifferences) {
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Резервные копии"));
    const QStringList headings = {"Объект", "Версия", "Дата и время", "Отличий от страниц"};
    ASSERT_EQ(dialog.BackupTable->columnCount(), headings.size());
    for (int column = 0; column < headings.size(); ++column) {
        EXPECT_EQ(dialog.BackupTable->headerItem()->text(column), headings[column]);
    }

    const struct {
        const char* Object;
        const char* Version;
        const char* Time;
        const char* Differences;
    } rows[] = {
        {"10", "VER 08.03", "2026-12-10 18:05:12", "3"},
        {"10", "VER 08.03", "2026-12-10 17:40:00", "нет"},
        {"7", "VER 08.00", "2026-11-02 09:15:31", "не читается"},
        {"5", "VER 08.03-RC", "2026-10-01 08:00:00", "12"},
    };
    ASSERT_EQ(dialog.BackupTable->topLevelItemCount(), std::size(rows));
    for (int n = 0; n < static_cast<int>(std::size(rows)); ++n) {
        SCOPED_TRACE(n);
        const QTreeWidgetItem* item = Row(n);
        EXPECT_EQ(item->text(kObject), QString::fromUtf8(rows[n].Object));
        EXPECT_EQ(item->text(kVersion), QString::fromUtf8(rows[n].Version));
        EXPECT_EQ(item->text(kTime), QString::fromUtf8(rows[n].Time));
        EXPECT_EQ(item->text(kDifferences), QString::fromUtf8(rows[n].Differences));
        // The file the row stands for, whichever cell the pointer rests on.
        EXPECT_EQ(item->toolTip(kObject), QString::fromStdString(Rows()[n].Entry.Path.string()));
        EXPECT_EQ(item->toolTip(kDifferences), item->toolTip(kObject));
    }
    EXPECT_EQ(dialog.CountLabel->text(), QString::fromUtf8("Копий: 4"));
    EXPECT_EQ(dialog.FolderLabel->text(),
              QString::fromUtf8("Копии хранятся в папке: %1").arg(kFolder));
    EXPECT_TRUE(dialog.FolderLabel->textInteractionFlags() & Qt::TextSelectableByMouse);
}

TEST_F(BackupsDialogTest, EveryControlHasANameForScreenReaders) {
    EXPECT_EQ(dialog.BackupTable->accessibleName(), QString::fromUtf8("Резервные копии"));
    for (const QPushButton* button : {dialog.LoadButton, dialog.CloseButton}) {
        EXPECT_EQ(button->accessibleName(), button->text());
        EXPECT_FALSE(button->accessibleDescription().isEmpty()) << button->objectName().data();
    }
    EXPECT_EQ(dialog.FolderLabel->accessibleName(), QString::fromUtf8("Папка резервных копий"));
    EXPECT_EQ(dialog.FolderLabel->accessibleDescription(), QString::fromUtf8(kFolder));
    EXPECT_FALSE(dialog.CountLabel->accessibleName().isEmpty());
    EXPECT_EQ(dialog.CountLabel->accessibleDescription(), dialog.CountLabel->text());
}

// The newest copy is chosen to begin with; a copy that cannot be read can be looked at (its path
// is in its tooltip) but neither the button, a double-click nor Enter loads it.
TEST_F(BackupsDialogTest, TheNewestIsSelectedAndAnUnreadableCopyCannotBeLoaded) {
    ShowAndWait();
    ASSERT_EQ(dialog.BackupTable->selectedItems(), QList<QTreeWidgetItem*>{Row(0)});
    EXPECT_TRUE(dialog.LoadButton->isEnabled());

    dialog.BackupTable->setCurrentItem(Row(2));
    EXPECT_FALSE(dialog.LoadButton->isEnabled());
    dialog.LoadButton->click();
    DoubleClickRow(*dialog.BackupTable, *Row(2));
    PressOnRow(*dialog.BackupTable, *Row(2), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.ChosenPath(), std::nullopt);

    dialog.BackupTable->setCurrentItem(Row(3));
    EXPECT_TRUE(dialog.LoadButton->isEnabled());
    dialog.BackupTable->clearSelection();
    EXPECT_FALSE(dialog.LoadButton->isEnabled());
}

// Each way of loading takes the row it was made on, accepts, and gives that row's file.
TEST_F(BackupsDialogTest, DoubleClickEnterAndTheButtonLoadTheirRow) {
    const struct {
        const char* Name;
        int Row;
        std::function<void(TBackupsDialog&, QTreeWidgetItem&)> Gesture;
    } cases[] = {
        {"double-click", 1,
         [](TBackupsDialog& d, QTreeWidgetItem& item) { DoubleClickRow(*d.BackupTable, item); }},
        {"Return", 3,
         [](TBackupsDialog& d, QTreeWidgetItem& item) {
             PressOnRow(*d.BackupTable, item, Qt::Key_Return);
         }},
        {"Enter", 0,
         [](TBackupsDialog& d, QTreeWidgetItem& item) {
             PressOnRow(*d.BackupTable, item, Qt::Key_Enter);
         }},
        {"«Загрузить»", 1,
         [](TBackupsDialog& d, QTreeWidgetItem& item) {
             d.BackupTable->setCurrentItem(&item);
             QTest::mouseClick(d.LoadButton, Qt::LeftButton);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TBackupsDialog backups;
        backups.SetBackups(Rows());
        backups.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&backups));
        QSignalSpy accepted(&backups, &QDialog::accepted);

        c.Gesture(backups, *backups.BackupTable->topLevelItem(c.Row));
        EXPECT_EQ(accepted.count(), 1);
        EXPECT_FALSE(backups.isVisible());
        EXPECT_EQ(backups.ChosenPath(), Rows()[c.Row].Entry.Path);
    }
}

// Esc and «Закрыть» leave without a choice, also after a copy was loaded the time before; Enter
// away from the table presses «Закрыть», never «Загрузить».
TEST_F(BackupsDialogTest, EscCloseAndEnterAwayFromTheTableChooseNothing) {
    const struct {
        const char* Name;
        std::function<void(TBackupsDialog&)> Gesture;
    } cases[] = {
        {"Esc in the table",
         [](TBackupsDialog& d) {
             d.BackupTable->setFocus();
             QTest::keyClick(d.BackupTable, Qt::Key_Escape);
         }},
        {"«Закрыть»", [](TBackupsDialog& d) { QTest::mouseClick(d.CloseButton, Qt::LeftButton); }},
        {"the frame", [](TBackupsDialog& d) { d.close(); }},
        {"Enter on the folder's line",
         [](TBackupsDialog& d) {
             d.FolderLabel->setFocus();
             QTest::keyClick(d.FolderLabel, Qt::Key_Return);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        PressOnRow(*dialog.BackupTable, *Row(0), Qt::Key_Return);
        ASSERT_EQ(dialog.ChosenPath(), Rows()[0].Entry.Path);

        ShowAndWait();
        QSignalSpy rejected(&dialog, &QDialog::rejected);
        c.Gesture(dialog);
        EXPECT_EQ(rejected.count(), 1);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.ChosenPath(), std::nullopt);
    }
}

TEST_F(BackupsDialogTest, WithoutCopiesOneLineSaysSoAndNothingCanBeLoaded) {
    dialog.SetBackups({});
    ShowAndWait();
    ASSERT_EQ(dialog.BackupTable->topLevelItemCount(), 1);
    QTreeWidgetItem* line = Row(0);
    EXPECT_EQ(line->text(kObject), QString::fromUtf8("Резервных копий нет"));
    EXPECT_FALSE(line->flags() & Qt::ItemIsSelectable);
    EXPECT_TRUE(dialog.BackupTable->selectedItems().isEmpty());
    EXPECT_EQ(dialog.CountLabel->text(), QString::fromUtf8("Копий нет"));
    EXPECT_FALSE(dialog.LoadButton->isEnabled());

    DoubleClickRow(*dialog.BackupTable, *line);
    PressOnRow(*dialog.BackupTable, *line, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.ChosenPath(), std::nullopt);
}

// The controller runs the window with exec(): the choice is there when it returns.
TEST_F(BackupsDialogTest, RunModalItReturnsAcceptedWithTheRowEnterWasPressedOn) {
    QTimer::singleShot(0, &dialog,
                       [this] { PressOnRow(*dialog.BackupTable, *Row(1), Qt::Key_Return); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.ChosenPath(), Rows()[1].Entry.Path);

    // A new list forgets the choice: it was of the old one.
    dialog.SetBackups(Rows());
    EXPECT_EQ(dialog.ChosenPath(), std::nullopt);
}

}  // namespace
