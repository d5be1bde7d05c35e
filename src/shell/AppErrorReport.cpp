// The application's default error report: errors that no command handles end in a message box.
#include "AppErrorReport.h"

#include <QMessageBox>

#include <exception>
#include <utility>

namespace {

void ShowErrorBox(const QString& text) {
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                          text, QMessageBox::Ok);
}

TErrorReporter& CurrentReporter() {
    static TErrorReporter reporter = ShowErrorBox;
    return reporter;
}

// A handler may throw anything; what is not a std::exception has no text of its own.
const char* const kUnknownError = "Unknown error";

}  // namespace

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

void RunCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        ReportError(QString::fromUtf8(error.what()));
    } catch (...) {
        ReportError(QString::fromUtf8(kUnknownError));
    }
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ReportError(QString::fromUtf8(error.what()));
    } catch (...) {
        ReportError(QString::fromUtf8(kUnknownError));
    }
    return false;
}
