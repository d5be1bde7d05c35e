// Helpers of the page tests: a scratch folder, file contents, and a recorder of paint events.
#pragma once

#include <unistd.h>

#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>
#include <filesystem>
#include <fstream>
#include <string>

#include "FileContents.h"

// A folder of its own for each test, removed afterwards.
class TScratchFolder {
  public:
    explicit TScratchFolder(const std::string& tag)
        : m_dir(std::filesystem::temp_directory_path() /
                ("tarnel-pages-" + std::to_string(::getpid()) + "-" + tag)) {
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    ~TScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    std::string Write(const std::string& name, const std::string& content) const {
        std::ofstream(Path(name), std::ios::binary | std::ios::trunc) << content;
        return Path(name);
    }

  private:
    std::filesystem::path m_dir;
};

// Collects the regions that a widget is asked to paint.
class TPaintRecorder : public QObject {
  public:
    explicit TPaintRecorder(QObject* target) { target->installEventFilter(this); }
    QRegion Painted;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            Painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};
