// The application's default error report: errors that no command handles end in a message box.
#include "shell/AppErrorReport.h"

#include "ini/FileErrorMessage.h"
#include "ini/IniFile.h"
#include "serial/DeviceErrorText.h"

#include <QMessageBox>
#include <QPushButton>

#include <exception>
#include <utility>

namespace {

void ShowErrorBox(const QString& text) {
    QMessageBox::critical(QApplication::activeWindow(), ToolTitle(), text, QMessageBox::Ok);
}

TErrorReporter& CurrentReporter() {
    static TErrorReporter reporter = ShowErrorBox;
    return reporter;
}

// A handler may throw anything; what is not a std::exception has no text of its own.
const char* const kUnknownError = "Unknown error";

}  // namespace

QString ToolTitle() {
    return QString::fromUtf8(kToolTitle);
}

TErrorReporter SetErrorReporter(TErrorReporter reporter) {
    TErrorReporter previous = std::exchange(CurrentReporter(), std::move(reporter));
    if (!CurrentReporter()) {
        CurrentReporter() = ShowErrorBox;
    }
    return previous;
}

void ReportError(const QString& text) {
    CurrentReporter()(text);
}

bool AskGoOrStay(QWidget* parent, QMessageBox::Icon icon, const QString& text, const QString& go,
                 const QString& stay) {
    QMessageBox box(icon, ToolTitle(), text, QMessageBox::NoButton, parent);
    QPushButton* goButton = box.addButton(go, QMessageBox::AcceptRole);
    QPushButton* stayButton = box.addButton(stay, QMessageBox::RejectRole);
    box.setDefaultButton(stayButton);
    box.setEscapeButton(stayButton);
    box.exec();
    return box.clickedButton() == goButton;
}

QString UserMessage(const std::exception& error) {
    if (const auto* file = dynamic_cast<const EIniFileError*>(&error)) {
        return QString::fromStdString(FileErrorMessage(file->FileName(), file->OsError(), true));
    }
    if (const auto* device = dynamic_cast<const EDeviceError*>(&error)) {
        const QString text = QString::fromStdString(DeviceErrorText(*device));
        return text.left(1).toUpper() + text.mid(1) + ".";
    }
    return QString::fromUtf8(error.what());
}

void RunCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        ReportError(UserMessage(error));
    } catch (...) {
        ReportError(QString::fromUtf8(kUnknownError));
    }
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ReportError(UserMessage(error));
    } catch (...) {
        ReportError(QString::fromUtf8(kUnknownError));
    }
    return false;
}
