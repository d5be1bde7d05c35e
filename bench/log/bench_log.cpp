// Appends a long day of exchanges to a shown log view that follows the newest line, and prints
// how the cost per thousand lines and the memory per line hold up as the log grows.
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "TVLog.h"

namespace {

constexpr int kLines = 500000;
constexpr int kLinesPerExchange = 5;
constexpr int kExchangesPerEventPass = 10;
constexpr int kSampleLines = 10000;

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

// One module command as the protocol writes it: what is read, the request and the answer.
void WriteExchange(TTVLog& log, int n) {
    log.WriteMessage("Читаю Тревоги зон");
    log.WriteData("<<<<", "*01A2\r" + std::to_string(n % 100), clBlue);
    log.WriteData(">>>>", "*01A2 0 1 2 3 4 0 0 0 0 0 0 0 0 0 0 0 OK", clFuchsia);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    TLogView view;
    view.resize(800, 300);
    view.show();
    QObject::connect(&view, &TLogView::Addition, &view, [&view](const QModelIndex& node) {
        view.scrollTo(node, QAbstractItemView::PositionAtTop);
    });
    TTVLog log(&view);
    QApplication::processEvents();

    const long rssBefore = ResidentKilobytes();
    QElapsedTimer timer;
    timer.start();
    double firstPerThousand = 0;
    double lastPerThousand = 0;
    qint64 sampleStart = 0;
    int exchanges = 0;
    for (int lines = 0; lines < kLines; lines += kLinesPerExchange) {
        if (lines % kSampleLines == 0) {
            sampleStart = timer.nsecsElapsed();
        }
        WriteExchange(log, exchanges++);
        if (exchanges % kExchangesPerEventPass == 0) {
            QApplication::processEvents();
        }
        if ((lines + kLinesPerExchange) % kSampleLines == 0) {
            const double ms = (timer.nsecsElapsed() - sampleStart) / 1e6 / (kSampleLines / 1000);
            if (lines < kSampleLines) {
                firstPerThousand = ms;
            }
            lastPerThousand = ms;
        }
    }
    QApplication::processEvents();
    const long rssAfter = ResidentKilobytes();
    const int shown = view.LogModel()->LineCount();

    std::printf("lines appended:            %d (view at line %d of %d)\n", shown, view.TopLine(),
                shown);
    std::printf("total time:                %.0f ms\n", timer.nsecsElapsed() / 1e6);
    std::printf("per 1000 lines, first %dk: %.3f ms\n", kSampleLines / 1000, firstPerThousand);
    std::printf("per 1000 lines, last %dk:  %.3f ms (%.2fx the first)\n", kSampleLines / 1000,
                lastPerThousand, lastPerThousand / firstPerThousand);
    std::printf("memory per line:           %.1f bytes (RSS %ld kB -> %ld kB)\n",
                (rssAfter - rssBefore) * 1024.0 / shown, rssBefore, rssAfter);
    return EXIT_SUCCESS;
}
