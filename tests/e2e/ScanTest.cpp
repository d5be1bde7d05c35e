// "Найти модуль…" against the emulator: the number found fills the connect dialog, the module
// found is let go again, and nothing is written.
#include <QTest>
#include <QTimer>

#include "ToolFixture.h"
#include "shell/ConnectDialog.h"
#include "shell/ScanDialog.h"
#include "widgets/StoredControls.h"

TEST_F(ToolTest, AModuleFoundByTheScanIsConnectedToWithItsNumber) {
    StartModule(PatternedState(37, 1));
    StartTool();
    EXPECT_TRUE(m_main->FindModuleAction->isEnabled());
    QStringList found;
    QString status;
    m_controller->RunScanDialog = [&](TScanDialog& dialog) {
        dialog.SetPortName(m_module->DevicePath());
        // The search stops a few numbers past the module, as «Отмена» would.
        QTimer stopAfterTheModule;
        QObject::connect(&stopAfterTheModule, &QTimer::timeout, [&] {
            if (dialog.ProgressBar->value() > 40) {
                dialog.CancelButton->click();
            }
        });
        stopAfterTheModule.start(5);
        dialog.StartScan();
        stopAfterTheModule.stop();
        status = dialog.StatusLabel->text();
        for (int i = 0; i < dialog.FoundTable->topLevelItemCount(); ++i) {
            const QTreeWidgetItem& row = *dialog.FoundTable->topLevelItem(i);
            found << row.text(0) + " " + row.text(1);
        }
        if (dialog.FoundTable->topLevelItemCount() == 0) {
            return false;
        }
        dialog.FoundTable->setCurrentItem(dialog.FoundTable->topLevelItem(0));
        dialog.ConnectButton->click();
        return dialog.result() == QDialog::Accepted;
    };
    std::string portInDialog;
    QString numberInDialog;
    m_controller->RunConnectDialog = [&](TConnectDialog& dialog) {
        portInDialog = dialog.PortName();
        numberInDialog = dialog.etObjN->text();
        return true;
    };
    const std::size_t before = ReceivedCommands().size();
    Run(&TMainWindow::FindModule);

    ASSERT_EQ(found.size(), 1) << status.toStdString();
    EXPECT_TRUE(found[0].startsWith(QString::fromUtf8("37 VER 08."))) << found[0].toStdString();
    EXPECT_TRUE(status.startsWith(QString::fromUtf8("Поиск остановлен"))) << status.toStdString();
    EXPECT_EQ(portInDialog, m_module->DevicePath());
    EXPECT_EQ(numberInDialog, "37");
    EXPECT_TRUE(m_controller->IsConnected());
    EXPECT_FALSE(m_main->FindModuleAction->isEnabled());
    EXPECT_TRUE(m_reportedErrors.empty());

    // Asked from 0 on, released at once, nothing set; then the connection's own version check.
    const std::vector<std::string> commands = ReceivedCommands();
    ASSERT_GE(commands.size(), before + 6u);
    EXPECT_EQ(commands[before], "*00v\\r");
    const auto answered = std::find(commands.begin(), commands.end(), "*37v\\r");
    ASSERT_NE(answered, commands.end());
    EXPECT_EQ(std::vector<std::string>(answered + 1, answered + 5),
              (std::vector<std::string>{"]", "]", "]", "+rb\\r"}));
    EXPECT_EQ(commands.back(), "*37v\\r");
    for (const std::string& command : commands) {
        EXPECT_EQ(command.find('='), std::string::npos) << command;
    }
}
