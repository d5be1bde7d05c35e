// The module search window, with a search of its own in place of the port: the progress it
// shows, a cancel in the middle of it, what it found or why it failed, and the choice of a
// module found.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ItemViewGestures.h"
#include "shell/ScanDialog.h"
#include "widgets/StoredControls.h"

namespace {

enum TColumn : int { kNumber, kVersion };

// Three modules on the line, one of them past the middle of the numbers.
const std::vector<TScanHit> kModules = {{5, "VER 08.03"}, {12, "VER 08.00"}, {40, "VER 08.03"}};

// Asks the numbers 0 to 99 as the real search does: progress before each, a stop when it says
// so, and the modules whose numbers were asked answer. Records what the window showed.
struct TFakeScan {
    std::vector<TScanHit> Modules = kModules;
    // Runs inside the search before each number; may click, press keys or throw.
    std::function<void(int number)> BeforeNumber;

    std::vector<std::string> PortsAsked;
    std::vector<int> BarValues;
    // The number at which progress said to stop.
    std::optional<int> StoppedAt;

    std::vector<TScanHit> Run(TScanDialog& dialog, const std::string& port,
                              const TScanProgress& progress) {
        PortsAsked.push_back(port);
        std::vector<TScanHit> found;
        for (int number = kScanFirstNumber; number <= kScanLastNumber; ++number) {
            if (BeforeNumber) {
                BeforeNumber(number);
            }
            if (!progress(number, number - kScanFirstNumber, kScanNumberCount)) {
                StoppedAt = number;
                break;
            }
            BarValues.push_back(dialog.ProgressBar->value());
            const auto module =
                std::find_if(Modules.begin(), Modules.end(),
                             [&](const TScanHit& m) { return m.ObjectNumber == number; });
            if (module != Modules.end()) {
                found.push_back(*module);
            }
        }
        return found;
    }
};

std::vector<TSerialPortInfo> Ports() {
    TSerialPortInfo builtIn;
    builtIn.Name = "ttyS0";
    TSerialPortInfo adapter;
    adapter.Name = "ttyUSB0";
    adapter.IsUsb = true;
    adapter.Product = "FT232R USB UART";
    adapter.SerialNumber = "A50285BI";
    adapter.ById = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    return {builtIn, adapter};
}

// The found table's rows: number and version.
std::vector<std::pair<QString, QString>> FoundRows(const TScanDialog& dialog) {
    std::vector<std::pair<QString, QString>> rows;
    for (int n = 0; n < dialog.FoundTable->topLevelItemCount(); ++n) {
        const QTreeWidgetItem* row = dialog.FoundTable->topLevelItem(n);
        rows.emplace_back(row->text(kNumber), row->text(kVersion));
    }
    return rows;
}

class ScanDialogTest : public testing::Test {
  protected:
    ScanDialogTest() {
        dialog.SetPorts(Ports());
        dialog.SetPortName("ttyUSB0");
        dialog.Scan = [this](const std::string& port, const TScanProgress& progress) {
            return scan.Run(dialog, port, progress);
        };
    }

    QTreeWidgetItem* Row(int row) const { return dialog.FoundTable->topLevelItem(row); }

    void ShowAndWait() {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }

    // What can be pressed: the search's own controls swap with the others while it runs.
    void ExpectControls(bool scanning) const {
        EXPECT_EQ(dialog.Scanning(), scanning);
        EXPECT_EQ(dialog.StartButton->isEnabled(), !scanning);
        EXPECT_EQ(dialog.PortBox->isEnabled(), !scanning);
        EXPECT_EQ(dialog.CloseButton->isEnabled(), !scanning);
        EXPECT_EQ(dialog.CancelButton->isEnabled(), scanning);
    }

    TScanDialog dialog;
    TFakeScan scan;
};

const std::vector<std::pair<QString, QString>> kFirstTwo = {{"5", "VER 08.03"},
                                                            {"12", "VER 08.00"}};
const std::vector<std::pair<QString, QString>> kAllThree = {
    {"5", "VER 08.03"}, {"12", "VER 08.00"}, {"40", "VER 08.03"}};

TEST_F(ScanDialogTest, BeforeASearchOnlyTheSearchAndClosingCanBeDone) {
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Поиск модуля"));
    EXPECT_EQ(dialog.FoundTable->headerItem()->text(kNumber), QString::fromUtf8("Номер"));
    EXPECT_EQ(dialog.FoundTable->headerItem()->text(kVersion), QString::fromUtf8("Версия"));
    ExpectControls(false);
    EXPECT_FALSE(dialog.ConnectButton->isEnabled());
    EXPECT_EQ(dialog.FoundTable->topLevelItemCount(), 0);
    EXPECT_EQ(dialog.ProgressBar->value(), 0);
    EXPECT_EQ(dialog.ChosenNumber(), std::nullopt);
}

TEST_F(ScanDialogTest, EveryControlHasANameForScreenReaders) {
    const QWidget* controls[] = {dialog.PortBox,     dialog.StartButton,   dialog.CancelButton,
                                 dialog.ProgressBar, dialog.ProgressLabel, dialog.StatusLabel,
                                 dialog.FoundTable,  dialog.ConnectButton, dialog.CloseButton,
                                 dialog.PortLabel};
    for (const QWidget* control : controls) {
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().data();
    }
    for (const QPushButton* button :
         {dialog.StartButton, dialog.CancelButton, dialog.ConnectButton, dialog.CloseButton}) {
        EXPECT_EQ(button->accessibleName(), button->text());
    }
    EXPECT_EQ(dialog.StatusLabel->accessibleDescription(), dialog.StatusLabel->text());
}

// The box lists the ports as the connect dialog does, and a name typed in is a port as well.
TEST_F(ScanDialogTest, ThePortIsAListedDeviceOrTheNameTypedIn) {
    ASSERT_EQ(dialog.PortBox->count(), 2);
    EXPECT_EQ(dialog.PortBox->itemText(0),
              QString::fromUtf8("ttyUSB0 — FT232R USB UART (A50285BI)"));
    EXPECT_EQ(dialog.PortBox->itemText(1), QString("ttyS0"));
    EXPECT_EQ(dialog.PortBox->itemData(0, Qt::ToolTipRole).toString(),
              QString::fromStdString(Ports()[1].ById));
    EXPECT_EQ(dialog.PortBox->itemData(1, Qt::ToolTipRole).toString(), QString("/dev/ttyS0"));

    const struct {
        const char* Name;
        std::function<void(TScanDialog&)> Choose;
        const char* Port;
    } cases[] = {
        {"a listed port by its name", [](TScanDialog& d) { d.SetPortName("ttyS0"); }, "ttyS0"},
        {"a port missing from the list", [](TScanDialog& d) { d.SetPortName("/dev/pts/7"); },
         "/dev/pts/7"},
        {"an item's text typed in full",
         [](TScanDialog& d) {
             d.PortBox->setEditText(QString::fromUtf8("ttyUSB0 — FT232R USB UART (A50285BI)"));
         },
         "ttyUSB0"},
        {"a name typed with blanks around it",
         [](TScanDialog& d) { d.PortBox->setEditText(" ttyACM1 "); }, "ttyACM1"},
        {"the list read again keeps the chosen port",
         [](TScanDialog& d) {
             d.SetPortName("ttyS0");
             d.SetPorts(Ports());
         },
         "ttyS0"},
        {"the list read again keeps a typed name",
         [](TScanDialog& d) {
             d.SetPortName("/dev/pts/7");
             d.SetPorts(Ports());
         },
         "/dev/pts/7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Choose(dialog);
        EXPECT_EQ(dialog.PortName(), c.Port);
        dialog.StartButton->click();
        ASSERT_FALSE(scan.PortsAsked.empty());
        EXPECT_EQ(scan.PortsAsked.back(), c.Port);
    }
}

TEST_F(ScanDialogTest, WithoutAPortTheSearchAsksForOne) {
    dialog.SetPortName("");
    dialog.StartButton->click();
    EXPECT_TRUE(scan.PortsAsked.empty());
    EXPECT_EQ(dialog.StatusLabel->text(),
              QString::fromUtf8("Выберите Com-порт или введите его имя."));
    ExpectControls(false);
}

// The bar and the line under it follow the numbers while the search runs, with only «Отмена» to
// press; at the end the modules that answered are listed, the first selected.
TEST_F(ScanDialogTest, TheSearchShowsItsProgressAndThenTheModulesFound) {
    ShowAndWait();
    scan.BeforeNumber = [this](int number) {
        if (number == 42) {
            SCOPED_TRACE("during the search");
            ExpectControls(true);
            EXPECT_FALSE(dialog.ConnectButton->isEnabled());
            EXPECT_EQ(dialog.ProgressLabel->text(),
                      QString::fromUtf8("№ 41 — опрошено номеров: 41 из 100"));
            EXPECT_EQ(dialog.ProgressBar->maximum(), kScanNumberCount);
        }
    };
    dialog.StartButton->click();

    ASSERT_EQ(scan.PortsAsked, std::vector<std::string>{"ttyUSB0"});
    ASSERT_EQ(scan.BarValues.size(), static_cast<std::size_t>(kScanNumberCount));
    for (int n = 0; n < kScanNumberCount; ++n) {
        ASSERT_EQ(scan.BarValues[n], n);
    }
    EXPECT_EQ(scan.StoppedAt, std::nullopt);
    EXPECT_EQ(dialog.ProgressBar->value(), kScanNumberCount);
    EXPECT_EQ(dialog.ProgressLabel->text(), QString::fromUtf8("Опрошены все номера от 0 до 99"));
    ExpectControls(false);
    EXPECT_EQ(FoundRows(dialog), kAllThree);
    EXPECT_EQ(dialog.FoundTable->selectedItems(), QList<QTreeWidgetItem*>{Row(0)});
    EXPECT_TRUE(dialog.ConnectButton->isEnabled());
    EXPECT_EQ(dialog.StatusLabel->text(), QString::fromUtf8("Найдено модулей: 3"));
    EXPECT_EQ(dialog.StatusLabel->accessibleDescription(), dialog.StatusLabel->text());
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(ScanDialogTest, WhenNoNumberAnswersTheWindowSaysWhatToCheck) {
    scan.Modules.clear();
    dialog.StartButton->click();
    EXPECT_EQ(dialog.FoundTable->topLevelItemCount(), 0);
    EXPECT_FALSE(dialog.ConnectButton->isEnabled());
    EXPECT_EQ(dialog.StatusLabel->text(),
              QString::fromUtf8("Модули не найдены: ни один номер от 0 до 99 не ответил. "
                                "Проверьте кабель и питание модуля."));
    ExpectControls(false);
}

// However the stop is asked for while the search runs (the window answers clicks and keys
// between numbers), the next progress says to stop, the window stays open, and it lists what was
// found before the stop.
TEST_F(ScanDialogTest, AStopDuringTheSearchEndsItAndListsWhatWasFoundBefore) {
    const std::function<void(TScanDialog&)> clickCancel = [](TScanDialog& d) {
        QTest::mouseClick(d.CancelButton, Qt::LeftButton);
    };
    const struct {
        const char* Name;
        int StopAt;
        // Run by the window between numbers, as a person's action would be.
        std::function<void(TScanDialog&)> Stop;
        const char* Status;
        std::vector<std::pair<QString, QString>> Rows;
    } cases[] = {
        {"«Отмена»", 30, clickCancel, "Поиск остановлен: опрошены номера 0–29, ответили: 5, 12.",
         kFirstTwo},
        {"Esc", 30, [](TScanDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
         "Поиск остановлен: опрошены номера 0–29, ответили: 5, 12.", kFirstTwo},
        {"the frame's close", 30, [](TScanDialog& d) { d.close(); },
         "Поиск остановлен: опрошены номера 0–29, ответили: 5, 12.", kFirstTwo},
        {"a stop before any answer",
         4,
         clickCancel,
         "Поиск остановлен: опрошены номера 0–3, ни один не ответил.",
         {}},
        {"a stop at the first number", 0, clickCancel, "Поиск остановлен до первого номера.", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TFakeScan stopped;
        TScanDialog window;
        window.SetPortName("ttyUSB0");
        window.Scan = [&](const std::string& port, const TScanProgress& progress) {
            return stopped.Run(window, port, progress);
        };
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QSignalSpy finished(&window, &QDialog::finished);
        stopped.BeforeNumber = [&](int number) {
            if (number == c.StopAt) {
                QTimer::singleShot(0, &window, [&] { c.Stop(window); });
            }
        };
        window.StartButton->click();

        EXPECT_EQ(stopped.StoppedAt, c.StopAt);
        EXPECT_EQ(window.StatusLabel->text(), QString::fromUtf8(c.Status));
        EXPECT_EQ(window.ProgressBar->value(), c.StopAt);
        EXPECT_EQ(window.ProgressBar->maximum(), kScanNumberCount);
        EXPECT_EQ(FoundRows(window), c.Rows);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(finished.count(), 0);
        EXPECT_FALSE(window.Scanning());
        EXPECT_TRUE(window.StartButton->isEnabled());
        EXPECT_FALSE(window.CancelButton->isEnabled());
    }
}

// The port cannot be opened, or fails on the way: the window gives the reason and can search
// again.
TEST_F(ScanDialogTest, AFailedSearchShowsItsReasonAndCanBeStartedAgain) {
    const struct {
        const char* Name;
        int FailAt;
        const char* Reason;
    } cases[] = {
        {"the port does not open", 0, "Не удалось открыть порт ttyUSB0: нет такого устройства"},
        {"the port fails midway", 37, "Порт ttyUSB0 не отвечает: устройство отключено"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        scan.BeforeNumber = [&c](int number) {
            if (number == c.FailAt) {
                throw std::runtime_error(c.Reason);
            }
        };
        dialog.StartButton->click();
        EXPECT_EQ(dialog.StatusLabel->text(), QString::fromUtf8(c.Reason));
        EXPECT_EQ(dialog.StatusLabel->accessibleDescription(), QString::fromUtf8(c.Reason));
        EXPECT_EQ(dialog.FoundTable->topLevelItemCount(), 0);
        EXPECT_FALSE(dialog.ConnectButton->isEnabled());
        ExpectControls(false);

        scan.BeforeNumber = nullptr;
        dialog.StartButton->click();
        EXPECT_EQ(FoundRows(dialog), kAllThree);
        EXPECT_EQ(dialog.StatusLabel->text(), QString::fromUtf8("Найдено модулей: 3"));
    }
}

// A module found is chosen as a backup is: its row double-clicked, Enter on it, or «Подключиться»
// with it selected.
TEST_F(ScanDialogTest, AFoundModuleIsChosenByDoubleClickEnterOrConnect) {
    const struct {
        const char* Name;
        int Row;
        std::function<void(TScanDialog&, QTreeWidgetItem&)> Gesture;
        int Number;
    } cases[] = {
        {"double-click", 1,
         [](TScanDialog& d, QTreeWidgetItem& item) { DoubleClickRow(*d.FoundTable, item); }, 12},
        {"Return", 2,
         [](TScanDialog& d, QTreeWidgetItem& item) {
             PressOnRow(*d.FoundTable, item, Qt::Key_Return);
         },
         40},
        {"Enter", 0,
         [](TScanDialog& d, QTreeWidgetItem& item) {
             PressOnRow(*d.FoundTable, item, Qt::Key_Enter);
         },
         5},
        {"«Подключиться»", 2,
         [](TScanDialog& d, QTreeWidgetItem& item) {
             d.FoundTable->setCurrentItem(&item);
             QTest::mouseClick(d.ConnectButton, Qt::LeftButton);
         },
         40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        ShowAndWait();
        dialog.StartButton->click();
        ASSERT_EQ(FoundRows(dialog), kAllThree);
        QSignalSpy accepted(&dialog, &QDialog::accepted);

        c.Gesture(dialog, *Row(c.Row));
        EXPECT_EQ(accepted.count(), 1);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.ChosenNumber(), c.Number);
    }
}

// Closing leaves without a choice, also after a module was chosen the time before, and a new
// search forgets the one chosen.
TEST_F(ScanDialogTest, CloseEscAndANewSearchChooseNothing) {
    const struct {
        const char* Name;
        std::function<void(TScanDialog&)> Gesture;
        bool Closes;
    } cases[] = {
        {"«Закрыть»", [](TScanDialog& d) { QTest::mouseClick(d.CloseButton, Qt::LeftButton); },
         true},
        {"Esc in the found table",
         [](TScanDialog& d) {
             d.FoundTable->setFocus();
             QTest::keyClick(d.FoundTable, Qt::Key_Escape);
         },
         true},
        {"the frame", [](TScanDialog& d) { d.close(); }, true},
        {"a new search", [](TScanDialog& d) { d.StartButton->click(); }, false},
    };
    dialog.StartButton->click();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        PressOnRow(*dialog.FoundTable, *Row(0), Qt::Key_Return);
        ASSERT_EQ(dialog.ChosenNumber(), 5);

        ShowAndWait();
        c.Gesture(dialog);
        EXPECT_EQ(dialog.isVisible(), !c.Closes);
        EXPECT_EQ(dialog.ChosenNumber(), std::nullopt);
    }
}

// The controller runs the window with exec(): Enter starts the search from the port box, and
// Enter on a module found ends the window with its number.
TEST_F(ScanDialogTest, RunModalEnterSearchesAndEnterOnAModuleChoosesIt) {
    QTimer::singleShot(0, &dialog, [this] {
        dialog.PortBox->setFocus();
        QTest::keyClick(dialog.PortBox->lineEdit(), Qt::Key_Return);
        if (dialog.FoundTable->topLevelItemCount() == std::ssize(kAllThree)) {
            QTest::keyClick(dialog.FoundTable, Qt::Key_Down);
            QTest::keyClick(dialog.FoundTable, Qt::Key_Return);
        }
        // Ends the run whatever happened, so that a failure shows as a wrong result.
        if (dialog.isVisible()) {
            dialog.reject();
        }
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(scan.PortsAsked, std::vector<std::string>{"ttyUSB0"});
    EXPECT_EQ(dialog.ChosenNumber(), 12);
}

}  // namespace
