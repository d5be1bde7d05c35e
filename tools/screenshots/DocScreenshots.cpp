// Photographs the tool's windows for the documentation: the real windows and controller, talking
// to the module emulator, with a made-up USB adapter in the port list. Run it under an X server
// (Xvfb) with the scale factor to show; it writes one PNG a scene into the folder it is given.
#include <QAbstractItemView>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QMenuBar>
#include <QPixmap>
#include <QPrintDialog>
#include <QProgressBar>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "backup/BackupStore.h"
#include "emulator/ModuleEmulator.h"
#include "pages/RelayPage.h"
#include "shell/AppErrorReport.h"
#include "shell/BackupsDialog.h"
#include "shell/CompareWindow.h"
#include "shell/ConnectDialog.h"
#include "shell/ErrorListWindow.h"
#include "shell/FormsController.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"
#include "shell/QtSyncDispatcher.h"
#include "shell/QtTranslations.h"
#include "shell/ScanDialog.h"
#include "widgets/StoredControls.h"

namespace {

void Settle(int ms = 300) {
    QTimer wait;
    wait.setSingleShot(true);
    QEventLoop loop;
    QObject::connect(&wait, &QTimer::timeout, &loop, &QEventLoop::quit);
    wait.start(ms);
    loop.exec();
}

// What the screen shows inside the rectangle (in logical pixels) of the widget and its pop-ups.
void Photograph(const QRect& area, const QString& fileName) {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    if (!shot.save(fileName)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(fileName));
    } else {
        std::printf("%s %dx%d\n", qPrintable(fileName), shot.width(), shot.height());
    }
}

QRect Framed(const QWidget& window) {
    return window.frameGeometry().adjusted(-2, -2, 2, 2);
}

TModuleState SampleModule() {
    TModuleState state = PowerUpState(12);
    int value = 5;
    for (TRelaySettings& relay : state.Relays) {
        relay.Duration = 10 * relay.Number;
        for (auto& row : relay.Zones) {
            for (auto& code : row) {
                value = (value * 13 + 7) % 97;
                code = value % 7 < 4 ? 0 : value % 5;
            }
        }
        for (auto& row : relay.Partitions) {
            for (auto& code : row) {
                value = (value * 13 + 7) % 97;
                code = value % 5 < 3 ? 0 : value % 5;
            }
        }
        for (auto& code : relay.Yes) {
            value = (value * 13 + 7) % 97;
            code = value % 5;
        }
    }
    return state;
}

std::vector<TSerialPortInfo> SamplePorts() {
    std::vector<TSerialPortInfo> ports(3);
    ports[0].Name = "ttyUSB0";
    ports[0].IsUsb = true;
    ports[0].Manufacturer = "FTDI";
    ports[0].Product = "FT232R USB UART";
    ports[0].SerialNumber = "A50285BI";
    ports[0].VendorId = "0403";
    ports[0].ProductId = "6001";
    ports[1].Name = "ttyS0";
    ports[2].Name = "ttyS1";
    return ports;
}

// The tool's main window with its controller, its settings in the given folder.
struct TToolWindow {
    explicit TToolWindow(const std::filesystem::path& dir)
        : progress(&main), controller(main, progress, (dir / "current.ini").string()) {
        main.Controller = &controller;
        controller.ListPorts = SamplePorts;
        main.show();
        Settle();
    }
    TMainWindow main;
    TProgressWindow progress;
    TFormsController controller;
};

}  // namespace

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TQtSyncDispatcherScope syncDispatcher;
    // Qt's own dialogs (the print dialog) in Russian, as the program shows them.
    InstallRussianQtTexts(app);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    const QString suffix = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    QDir().mkpath(outDir);
    auto name = [&](const char* scene) {
        return outDir + "/" + scene + (suffix.isEmpty() ? "" : "-" + suffix) + ".png";
    };

    char pattern[] = "/tmp/tarnel-shots-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        return 1;
    }
    const std::filesystem::path dir = pattern;

    TEmulatorOptions options;
    options.Pacing = true;
    TModuleEmulator module(options, SampleModule());

    {
        TToolWindow tool(dir);
        TMainWindow& main = tool.main;
        TFormsController& controller = tool.controller;

        // The connect dialog with its list dropped down, the USB adapter chosen.
        controller.RunConnectDialog = [&](TConnectDialog& dialog) {
            dialog.show();
            dialog.ComPorts->setCurrentIndex(0);
            Settle();
            Photograph(Framed(dialog), name("connect-dialog"));
            dialog.ComPorts->showPopup();
            Settle();
            const QWidget* popup = dialog.ComPorts->view()->window();
            Photograph(Framed(dialog).united(popup->frameGeometry()), name("connect-ports"));
            dialog.ComPorts->hidePopup();
            dialog.ComPorts->setEditText(QString::fromStdString(module.DevicePath()));
            dialog.etObjN->setText("12");
            return true;
        };
        controller.Connect();

        // The progress window, photographed once reading every page is past its middle: a timer
        // of fixed length would miss a read that the idle machine finishes sooner.
        QTimer watch;
        bool photographed = false;
        QObject::connect(&watch, &QTimer::timeout, &main, [&] {
            const QProgressBar& bar = *tool.progress.ProgressBar;
            if (!photographed && tool.progress.isVisible() && bar.maximum() > 0 &&
                bar.value() * 2 >= bar.maximum()) {
                photographed = true;
                Photograph(main.frameGeometry(), name("progress"));
            }
        });
        watch.start(10);
        controller.ReadAll();
        watch.stop();
        controller.SelectPage(3);
        Settle();
        Photograph(Framed(main), name("relay-page"));
        controller.SelectPage(0);
        Settle();
        Photograph(Framed(main), name("common-page"));

        // Relay 2 with a few values changed since the read: its markers, the tree's mark and the
        // status bar's count; then the "Правка" menu and the compare window.
        controller.SelectPage(2);
        TRelayPage& relay = *controller.RelayPage(2);
        for (const auto& [col, row] : {std::pair{3, 1}, std::pair{4, 1}, std::pair{9, 2}}) {
            relay.ZoneGrid->SetFocusCell(col, row);
            QTest::keyClick(relay.ZoneGrid, Qt::Key_Space);
        }
        relay.PartitionGrid->SetFocusCell(16, 3);
        QTest::keyClick(relay.PartitionGrid, Qt::Key_Space);
        relay.etDuration->setText("45");
        QTest::keyClick(relay.etDuration, Qt::Key_Return);
        relay.ZoneGrid->setFocus();
        QCursor::setPos(relay.ZoneGrid->mapToGlobal(relay.ZoneGrid->CellRect(4, 1).center()));
        Settle(1200);
        Photograph(Framed(main), name("relay-page-marked"));
        QCursor::setPos(main.frameGeometry().bottomRight() + QPoint(50, 50));
        main.EditMenu->popup(main.menuBar()->mapToGlobal(
            main.menuBar()->actionGeometry(main.EditMenu->menuAction()).bottomLeft()));
        Settle();
        Photograph(Framed(main).united(main.EditMenu->frameGeometry()), name("edit-menu"));
        main.EditMenu->hide();
        controller.RunCompareWindow = [&](TCompareWindow& window) {
            window.show();
            window.DifferenceTable->topLevelItem(2)->setCheckState(0, Qt::Unchecked);
            Settle();
            Photograph(Framed(window), name("compare-window"));
        };
        controller.CompareWithModule();

        // The write of those changes keeps a copy of the module first; two older copies beside it
        // make the backups window's list.
        controller.BackupFolder = dir / "backups";
        const TBackupStore store(controller.BackupFolder);
        const auto now = std::chrono::system_clock::now();
        TModuleSettings older;
        older.Common.ObjectNumber = "12";
        older.Relays = SampleModule().Relays;
        store.Save(older, 12, "VER 08.03", now - std::chrono::hours(24 * 9 + 5));
        older.Relays[0].Duration = 0;
        store.Save(older, 12, "VER 08.03", now - std::chrono::hours(24 * 2 + 3));
        controller.WriteChanges();
        controller.RunBackupsDialog = [&](TBackupsDialog& dialog) {
            dialog.show();
            Settle();
            Photograph(Framed(dialog), name("backups-window"));
            return false;
        };
        controller.ShowBackups();
        main.FileMenu->popup(main.menuBar()->mapToGlobal(
            main.menuBar()->actionGeometry(main.FileMenu->menuAction()).bottomLeft()));
        Settle();
        Photograph(Framed(main).united(main.FileMenu->frameGeometry()), name("file-menu"));
        main.FileMenu->hide();
        controller.RunPrintDialog = [&](QPrintDialog& dialog) {
            dialog.show();
            Settle(600);
            Photograph(Framed(dialog), name("print-dialog"));
            return false;
        };
        controller.PrintReport();
        controller.Disconnect();

        // The search for a module on the emulator's line, the whole range asked.
        controller.RunScanDialog = [&](TScanDialog& dialog) {
            dialog.show();
            dialog.SetPortName(module.DevicePath());
            dialog.StartScan();
            Settle();
            Photograph(Framed(dialog), name("scan-window"));
            return false;
        };
        controller.FindModule();
        main.close();
    }
    {
        // A module that does not answer the alarm rows of relay 2: the error window.
        TEmulatorOptions faultOptions;
        faultOptions.Behaviour.Faults.IgnoreLetters = "A";
        TModuleEmulator silentZones(faultOptions, SampleModule());
        TToolWindow tool(dir);
        TMainWindow& main = tool.main;
        TFormsController& controller = tool.controller;
        controller.RunConnectDialog = [&](TConnectDialog& dialog) {
            dialog.ComPorts->setEditText(QString::fromStdString(silentZones.DevicePath()));
            dialog.etObjN->setText("12");
            return true;
        };
        controller.RunErrorWindow = [&](TErrorListWindow& window) {
            window.show();
            Settle();
            Photograph(Framed(window), name("error-window"));
        };
        controller.Connect();
        controller.SelectPage(2);
        controller.ReadCurrent();
        controller.Disconnect();
        main.close();
    }
    std::filesystem::remove_all(dir);
    return 0;
}
