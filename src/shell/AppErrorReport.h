// The application's default error report: errors that no command handles end in a message box.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include <functional>

// The title of every message box, so that a box on its own still says which program asks.
inline constexpr const char* kToolTitle = "Тарнел";
QString ToolTitle();

// Shows an error's text; tests replace it to capture the report instead of showing a box.
using TErrorReporter = std::function<void(const QString& text)>;

// Installs `reporter` and returns the one it replaces; an empty reporter restores the message box.
TErrorReporter SetErrorReporter(TErrorReporter reporter);
void ReportError(const QString& text);

// Asks a question whose safe answer is `stay`, the default of Enter and Escape; true when the user
// chose `go`.
bool AskGoOrStay(QWidget* parent, QMessageBox::Icon icon, const QString& text, const QString& go,
                 const QString& stay);

// What a window says of an error: settings files and the serial port in Russian, with the reason
// and the fix; their English texts are for the log.
QString UserMessage(const std::exception& error);

// Runs one command of the user interface; an exception it raises is reported and the program
// goes on, so that no exception leaves a slot.
void RunCommand(const std::function<void()>& command);

// Catches what escapes an event handler anyway, reports it, and lets the event loop go on.
class TApplication : public QApplication {
    Q_OBJECT
  public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
