// The commands the main window's handlers hand on; the forms controller implements them.
#pragma once

#include <string>

class IMainCommands {
  public:
    IMainCommands() = default;
    IMainCommands(const IMainCommands&) = delete;
    IMainCommands& operator=(const IMainCommands&) = delete;
    virtual ~IMainCommands() = default;

    virtual void Connect() = 0;
    virtual void Disconnect() = 0;
    virtual void ReadCurrent() = 0;
    virtual void WriteCurrent() = 0;
    virtual void ReadAll() = 0;
    virtual void WriteAll() = 0;
    virtual void SelectPage(int index) = 0;
    virtual void LoadFromFile(const std::string& fileName) = 0;
    virtual void SaveToFile(const std::string& fileName) = 0;
    virtual void SetCurrentDefaults() = 0;
    virtual void SetAllDefaults() = 0;
    // Reads the whole module aside and lists where it differs from the pages.
    virtual void CompareWithModule() {}
    // Lists where a settings file differs from the pages, to load the values the user chooses.
    virtual void CompareWithFile(const std::string& fileName) { static_cast<void>(fileName); }
    // Lists the module copies taken before writes, to load the one the user chooses.
    virtual void ShowBackups() {}
    // Asks every object number on a port the user chooses, to connect to a module that answered.
    virtual void FindModule() {}
    // The pages as the customer's report: a PDF file, or the printer the user chooses.
    virtual void MakeReport(const std::string& fileName) { static_cast<void>(fileName); }
    virtual void PrintReport() {}
    // Reads the whole module aside and writes only the values of the pages that differ.
    virtual void WriteChanges() {}
    // Takes back the last change of the pages' values, or makes the last one taken back again.
    virtual void Undo() {}
    // Copies the shown relay's duration and reactions to relays the user chooses, as one step.
    virtual void CopyRelay() {}
    virtual void Redo() {}
    // True while a read or write talks to the module; closing must wait for its end.
    virtual bool IsExchangeRunning() const { return false; }
    // Saves the pages to the settings file kept between runs; the main window calls it when it is
    // asked to close, and throws on when the file cannot be written.
    virtual void SaveSettings() {}
    // The user chose to close without saving: nothing is written at the end.
    virtual void DiscardSettings() {}
};
