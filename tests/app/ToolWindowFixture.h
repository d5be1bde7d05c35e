// The main window, the progress window and the forms controller over a settings folder of the
// test's own, as the program makes them, without a module.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "shell/FormsController.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"

class ToolWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tarnel-window-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    // The controller's destructor saves current.ini silently, so a test that made it unwritable
    // ends quietly.
    void TearDown() override {
        Release();
        std::filesystem::remove_all(m_dir);
    }
    // A new window and controller, loaded from current.ini in the test's folder.
    void Start() {
        Release();
        m_main = std::make_unique<TMainWindow>();
        m_progress = std::make_unique<TProgressWindow>(m_main.get());
        m_controller = std::make_unique<TFormsController>(*m_main, *m_progress, Settings());
        m_main->Controller = m_controller.get();
        m_main->show();
    }
    // Ends the program as its close does: the settings are saved, and an error of it fails.
    void Stop() {
        if (m_controller) {
            m_controller->Shutdown();
        }
        Release();
    }
    std::string Settings() const { return (m_dir / "current.ini").string(); }

    std::filesystem::path m_dir;
    std::unique_ptr<TMainWindow> m_main;
    std::unique_ptr<TProgressWindow> m_progress;
    std::unique_ptr<TFormsController> m_controller;

  private:
    void Release() {
        m_controller.reset();
        m_progress.reset();
        m_main.reset();
    }
};
