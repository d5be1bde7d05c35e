// Times "Сохранить" of all pages into a new and into an existing file, and the save of
// current.ini when the tool closes, on the disk of the folder given (default: the current one).
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "shell/FormsController.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"

namespace {

constexpr int kRounds = 15;

using TClock = std::chrono::steady_clock;

double MillisecondsSince(TClock::time_point start) {
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

// Gives every key of a saved file another value, so that the next save must change every line.
void MakeStale(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::string stale;
    bool inValue = false;
    for (char c : data) {
        if (c == '\r' || c == '\n') {
            inValue = false;
        } else if (inValue) {
            continue;
        } else if (c == '=') {
            stale += "=x";
            inValue = true;
            continue;
        }
        stale += c;
    }
    std::ofstream(file, std::ios::binary | std::ios::trunc) << stale;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The main window and its controller, on a settings file of the bench's own.
struct TTool {
    explicit TTool(const std::string& settingsFile)
        : Main(std::make_unique<TMainWindow>()),
          Progress(std::make_unique<TProgressWindow>(Main.get())),
          Controller(std::make_unique<TFormsController>(*Main, *Progress, settingsFile)) {}
    std::unique_ptr<TMainWindow> Main;
    std::unique_ptr<TProgressWindow> Progress;
    std::unique_ptr<TFormsController> Controller;
};

void Report(const char* what, const std::vector<double>& times) {
    std::printf("%-52s median %8.2f ms   min %8.2f ms   max %8.2f ms\n", what, Median(times),
                *std::min_element(times.begin(), times.end()),
                *std::max_element(times.begin(), times.end()));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const std::filesystem::path base = argc > 1 ? argv[1] : std::filesystem::current_path();
    const std::filesystem::path dir = base / "bench-save-files";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string current = (dir / "current.ini").string();

    std::vector<double> saveNew, saveExisting, saveAtExit;
    for (int round = 0; round < kRounds; ++round) {
        TTool tool(current);
        const std::string chosen = (dir / ("pages-" + std::to_string(round) + ".txt")).string();
        auto start = TClock::now();
        tool.Controller->SaveToFile(chosen);
        saveNew.push_back(MillisecondsSince(start));
        MakeStale(chosen);
        start = TClock::now();
        tool.Controller->SaveToFile(chosen);
        saveExisting.push_back(MillisecondsSince(start));
        tool.Controller->SaveToFile(current);
        MakeStale(current);
        start = TClock::now();
        tool.Controller->Shutdown();
        saveAtExit.push_back(MillisecondsSince(start));
    }
    std::printf("Settings files in %s, %d rounds, %ju bytes a file\n", dir.c_str(), kRounds,
                static_cast<std::uintmax_t>(std::filesystem::file_size(current)));
    Report("\"Сохранить\" of all pages, new file", saveNew);
    Report("\"Сохранить\" of all pages over an older file", saveExisting);
    Report("current.ini over an older one when closing", saveAtExit);
    std::filesystem::remove_all(dir);
    return 0;
}
