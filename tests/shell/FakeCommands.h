// A stand-in for the forms controller that records the commands it is given.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "shell/AppErrorReport.h"
#include "shell/MainCommands.h"

class FakeCommands : public IMainCommands {
  public:
    std::vector<std::string> calls;
    // When set, Connect raises this error instead of recording.
    std::string connectError;

    void Connect() override {
        if (!connectError.empty()) {
            throw std::runtime_error(connectError);
        }
        calls.push_back("Connect");
    }
    void Disconnect() override { calls.push_back("Disconnect"); }
    void ReadCurrent() override { calls.push_back("ReadCurrent"); }
    void WriteCurrent() override { calls.push_back("WriteCurrent"); }
    void ReadAll() override { calls.push_back("ReadAll"); }
    void WriteAll() override { calls.push_back("WriteAll"); }
    void SelectPage(int index) override { calls.push_back("SelectPage " + std::to_string(index)); }
    void LoadFromFile(const std::string& fileName) override {
        calls.push_back("LoadFromFile " + fileName);
    }
    void SaveToFile(const std::string& fileName) override {
        calls.push_back("SaveToFile " + fileName);
    }
    void SetCurrentDefaults() override { calls.push_back("SetCurrentDefaults"); }
    void SetAllDefaults() override { calls.push_back("SetAllDefaults"); }
    void CompareWithModule() override { calls.push_back("CompareWithModule"); }
    void WriteChanges() override { calls.push_back("WriteChanges"); }
    void Undo() override { calls.push_back("Undo"); }
    void Redo() override { calls.push_back("Redo"); }
};

// Collects error reports for the life of a test instead of showing message boxes.
class CapturedReports {
  public:
    CapturedReports()
        : m_previous(SetErrorReporter([this](const QString& text) { texts.push_back(text); })) {}
    ~CapturedReports() { SetErrorReporter(m_previous); }
    CapturedReports(const CapturedReports&) = delete;
    CapturedReports& operator=(const CapturedReports&) = delete;

    std::vector<QString> texts;

  private:
    TErrorReporter m_previous;
};
