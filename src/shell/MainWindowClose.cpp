// The main window's close: held back while an exchange runs, the settings saved first, and what
// happens when they cannot be saved.
#include <QApplication>
#include <QCloseEvent>
#include <QTimer>
#include <cstdio>

#include "shell/AppErrorReport.h"
#include "shell/MainWindow.h"

namespace {

constexpr int kUnattendedRetryMs = 50;

}  // namespace

bool TMainWindow::AskCloseWithoutSavingBox(const QString& error) {
    return AskGoOrStay(
        this, QMessageBox::Warning,
        error + QString::fromUtf8("\n\nНастройки не сохранены в current.ini. Закрыть программу "
                                  "без сохранения? Чтобы не потерять изменения, выберите «Не "
                                  "закрывать» и сохраните настройки в другой файл командой "
                                  "«Сохранить»."),
        QString::fromUtf8("Закрыть без сохранения"), QString::fromUtf8("Не закрывать"));
}

// The settings are saved while the window still exists, so that a failed save can keep it open
// and the user can still save the pages elsewhere.
void TMainWindow::closeEvent(QCloseEvent* event) {
    if (Controller != nullptr && Controller->IsExchangeRunning()) {
        m_closeDeferred = true;
        if (SayCloseDeferred) {
            SayCloseDeferred();
        }
        event->ignore();
        return;
    }
    if (!SaveSettingsForClose()) {
        event->ignore();
        return;
    }
    DisconnectAtClose();
    event->accept();
}

bool TMainWindow::SaveSettingsForClose() {
    if (Controller == nullptr) {
        return true;
    }
    try {
        Controller->SaveSettings();
        return true;
    } catch (const std::exception& error) {
        if (m_closingUnattended) {
            std::fprintf(stderr, "tarnel-config: %s\n", error.what());
            m_settingsLost = true;
        } else if (!AskCloseWithoutSaving(UserMessage(error))) {
            return false;
        }
        Controller->DiscardSettings();
        return true;
    }
}

void TMainWindow::CloseUnattended() {
    m_closingUnattended = true;
    // A modal dialog runs an event loop of its own; it is cancelled first, and the close comes
    // back once the command that opened it has returned.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
        QTimer::singleShot(kUnattendedRetryMs, this, &TMainWindow::CloseUnattended);
        return;
    }
    close();
}

void TMainWindow::ExchangeEnded() {
    if (m_closeDeferred) {
        m_closeDeferred = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}
