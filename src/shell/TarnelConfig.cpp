// The program: splash, windows, forms controller, message loop, and the settings saved at exit.
#include <QMessageBox>
#include <memory>

#include "AppErrorReport.h"
#include "QtSyncDispatcher.h"
#include "RelayFormsController.h"
#include "fAbout.h"
#include "fIn.h"
#include "fLoad.h"
#include "fMain.h"
#include "fProgress.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TQtSyncDispatcherScope syncDispatcher;

    auto splash = std::make_unique<TFormLoad>();
    splash->show();
    splash->FadeIn();

    std::unique_ptr<TFormMain> mainForm;
    std::unique_ptr<TFormProgress> progress;
    std::unique_ptr<TFormAbout> about;
    std::unique_ptr<TRelayFormsController> controller;
    try {
        mainForm = std::make_unique<TFormMain>();
        progress = std::make_unique<TFormProgress>(mainForm.get());
        about = std::make_unique<TFormAbout>(mainForm.get());
        controller = std::make_unique<TRelayFormsController>(*mainForm, *progress,
                                                             GetSettingsDir() + "current.ini");
    } catch (const std::exception& error) {
        splash.reset();
        QMessageBox::critical(nullptr, QString(), QString::fromUtf8(error.what()));
        return 1;
    }
    mainForm->Controller = controller.get();
    mainForm->AboutBox = about.get();
    splash.reset();

    mainForm->show();
    const int result = app.exec();

    mainForm->Controller = nullptr;
    try {
        controller->Shutdown();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QString(), QString::fromUtf8(error.what()));
    }
    controller.reset();
    return result;
}
