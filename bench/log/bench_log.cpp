// Appends a long day of exchanges to a shown log view that follows the newest line, and prints
// how the cost per thousand lines and the memory per line hold up as the log grows.
#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "widgets/LogView.h"
#include "widgets/LogViewWriter.h"

namespace {

constexpr int kLines = 500000;
constexpr int kLinesPerExchange = 5;
constexpr int kExchangesPerEventPass = 10;
constexpr int kSampleLines = 5000;
// Start and end figures are medians over this many samples, so that a busy machine's pauses
// do not decide them.
constexpr std::size_t kSamplesPerFigure = 10;

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

// CPU time of this thread: other programs on the machine do not count in it.
double ThreadMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// One module command as the protocol writes it: what is read, the request and the answer.
void WriteExchange(TLogViewWriter& log, int n) {
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
    TLogViewWriter log(&view);
    QApplication::processEvents();

    const long rssBefore = ResidentKilobytes();
    QElapsedTimer wall;
    wall.start();
    std::vector<double> samples;
    double sampleStart = ThreadMilliseconds();
    int exchanges = 0;
    for (int lines = kLinesPerExchange; lines <= kLines; lines += kLinesPerExchange) {
        WriteExchange(log, exchanges++);
        if (exchanges % kExchangesPerEventPass == 0) {
            QApplication::processEvents();
        }
        if (lines % kSampleLines == 0) {
            const double now = ThreadMilliseconds();
            samples.push_back((now - sampleStart) / (kSampleLines / 1000.0));
            sampleStart = now;
        }
    }
    QApplication::processEvents();
    const long rssAfter = ResidentKilobytes();
    const int shown = view.LogModel()->LineCount();

    const std::vector<double> first(samples.begin(), samples.begin() + kSamplesPerFigure);
    const std::vector<double> last(samples.end() - kSamplesPerFigure, samples.end());
    const double start = Median(first);
    const double end = Median(last);
    const int firstLines = static_cast<int>(kSamplesPerFigure) * kSampleLines / 1000;
    std::printf("lines appended:              %d, view following at line %d\n", shown,
                view.TopLine());
    std::printf("total wall time:             %.0f ms\n", static_cast<double>(wall.elapsed()));
    std::printf("CPU per 1000 lines, first %dk: %.2f ms\n", firstLines, start);
    std::printf("CPU per 1000 lines, last %dk:  %.2f ms (%.2fx the first)\n", firstLines, end,
                end / start);
    std::printf("memory per line:             %.1f bytes (RSS %ld kB -> %ld kB)\n",
                static_cast<double>(rssAfter - rssBefore) * 1024.0 / shown, rssBefore, rssAfter);
    return EXIT_SUCCESS;
}
