// Qt's own texts (file dialogs, message box buttons, edit menus) in Russian, like the tool's.
#pragma once

class QCoreApplication;

// Installs Debian's Russian catalogue of Qt's texts into the application, whatever the desktop's
// language: a Russian tool with English buttons reads as broken. False when the catalogue is not
// installed; the texts then stay English.
bool InstallRussianQtTexts(QCoreApplication& app);
