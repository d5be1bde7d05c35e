// The program: splash, windows, forms controller, message loop, and the settings saved when the
// main window closes.
#include <QDateTime>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSessionManager>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "ini/IniFile.h"
#include "ini/SettingsLock.h"
#include "log/LogWriter.h"
#include "pages/PageBase.h"
#include "report/Report.h"
#include "report/ReportSettingsFile.h"
#include "shell/AboutDialog.h"
#include "shell/AppErrorReport.h"
#include "shell/FormsController.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"
#include "shell/QtSyncDispatcher.h"
#include "shell/QtTranslations.h"
#include "shell/SettingsLocation.h"
#include "shell/SplashWindow.h"
#include "shell/TerminationSignals.h"
#include "widgets/Icons.h"

namespace {

// Another copy of the tool works on the same settings: this one may only read them.
bool AskStartReadOnly(const std::string& settingsDir) {
    return AskGoOrStay(nullptr, QMessageBox::Question,
                       QString::fromUtf8("Настройки в папке %1 уже используются другой копией "
                                         "программы.\n\nЗапустить эту копию только для чтения? "
                                         "Она не будет сохранять current.ini.")
                           .arg(QString::fromStdString(settingsDir)),
                       QString::fromUtf8("Только для чтения"), QString::fromUtf8("Выход"));
}

// tarnel-config --report SETTINGS OUT.pdf: the report of a settings file, with no window. Where
// there is no display the offscreen platform serves; the fonts come from fontconfig all the same.
int MakeReport(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "Использование: tarnel-config --report НАСТРОЙКИ.txt ОТЧЁТ.pdf\n");
        return 2;
    }
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    const QGuiApplication app(argc, argv);
    const std::string settingsFile = argv[2];
    const std::string reportFile = argv[3];
    try {
        const TModuleSettings settings = ReadReportSettings(settingsFile);
        TReportSource source;
        source.Source = FileSource(settingsFile);
        source.MadeAt = ReportTime(QDateTime::currentDateTime());
        WriteReportPdf(reportFile, settings, source);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarnel-config: %s\n", error.what());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--report") == 0) {
        return MakeReport(argc, argv);
    }
    TApplication app(argc, argv);
    // A termination signal at any moment, also during the question and the splash, ends the tool
    // the orderly way: before the main window exists it is noted here and the start stops.
    TTerminationSignals terminationSignals;
    bool terminationRequested = false;
    QObject::connect(&terminationSignals, &TTerminationSignals::Received, &app,
                     [&terminationRequested] {
                         terminationRequested = true;
                         if (QWidget* modal = QApplication::activeModalWidget()) {
                             modal->close();
                         }
                     });
    // No display name: Qt would add it to the main window's title, which already says "Тарнел";
    // message boxes are titled "Тарнел" of their own.
    // Ties the windows to the installed desktop entry, whose icon and name the desktop shows.
    QGuiApplication::setDesktopFileName(QStringLiteral("tarnel-config"));
    QApplication::setWindowIcon(AppIcon());
    InstallRussianQtTexts(app);
    TQtSyncDispatcherScope syncDispatcher;

    const std::string appDir = GetAppDir();
    const std::string settingsDir = GetSettingsDir();
    const TSettingsLock settingsLock(settingsDir + kSettingsFileName + ".lock");
    const bool readOnly = settingsLock.IsHeldElsewhere();
    // A copy killed in the middle of a save left its temporary file beside current.ini.
    RemoveStaleTempFiles(settingsDir);
    if (readOnly && (!AskStartReadOnly(settingsDir) || terminationRequested)) {
        return 0;
    }

    auto splash = std::make_unique<TSplashWindow>();
    splash->show();
    splash->FadeIn();

    std::unique_ptr<TMainWindow> mainForm;
    std::unique_ptr<TProgressWindow> progress;
    std::unique_ptr<TAboutDialog> about;
    std::unique_ptr<TFormsController> controller;
    try {
        mainForm = std::make_unique<TMainWindow>();
        // A signal from here on closes the window the orderly way, with the module released and
        // the settings saved.
        QObject::connect(&terminationSignals, &TTerminationSignals::Received, mainForm.get(),
                         &TMainWindow::CloseUnattended);
        QObject::connect(&app, &QGuiApplication::commitDataRequest, mainForm.get(),
                         [form = mainForm.get()](QSessionManager&) { form->CloseUnattended(); });
        progress = std::make_unique<TProgressWindow>(mainForm.get());
        about = std::make_unique<TAboutDialog>(mainForm.get());
        controller = std::make_unique<TFormsController>(*mainForm, *progress,
                                                        settingsDir + kSettingsFileName,
                                                        SettingsStartFile(appDir, settingsDir));
    } catch (const std::exception& error) {
        splash.reset();
        QMessageBox::critical(nullptr, ToolTitle(), QString::fromUtf8(error.what()));
        return 1;
    }
    controller->SetSettingsReadOnly(readOnly);
    if (readOnly) {
        controller->Log().WriteInfo(
            "Настройки используются другой копией программы: эта копия "
            "не сохраняет current.ini");
    }
    mainForm->Controller = controller.get();
    mainForm->AboutBox = about.get();
    splash.reset();

    // A signal that came during the start is taken now; one that comes later closes the window.
    QCoreApplication::processEvents();
    int status = 0;
    if (!terminationRequested) {
        mainForm->show();
        status = app.exec();
    }

    mainForm->Controller = nullptr;
    try {
        controller->Shutdown();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarnel-config: %s\n", error.what());
        status = 1;
    }
    controller.reset();
    if (mainForm->SettingsLost()) {
        status = 1;
    }
    return status;
}
