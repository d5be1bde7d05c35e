// Prints what the marker of unwritten values costs a relay page's repaint, with every cell marked
// against none, and what one undo step holds in memory, for one cell and for the whole module.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <bitset>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

#include "model/ModuleSettings.h"
#include "model/SettingsHistory.h"
#include "pages/RelayPage.h"

namespace {

constexpr int kRounds = 20;
constexpr int kRepaintsPerRound = 10;
constexpr int kSteps = 1000;

using TClock = std::chrono::steady_clock;

struct TFigures {
    double Mean;
    double Median;
};

TFigures Summary(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const double mean =
        std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
    return {mean, values[values.size() / 2]};
}

// Milliseconds per repaint of the whole page into an image of the screen's pixel ratio.
double TimeRepaints(TRelayPage& page, QImage& image) {
    const auto start = TClock::now();
    for (int i = 0; i < kRepaintsPerRound; ++i) {
        image.fill(Qt::white);
        page.render(&image);
    }
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count() /
           kRepaintsPerRound;
}

// The module's values where every place differs from a page that shows its defaults.
TRelaySettings AllDifferent(const TRelaySettings& page) {
    TRelaySettings module = page;
    for (int place = 0; place < kRelayValueCount; ++place) {
        RelayValueAt(module, place) = RelayValueAt(page, place) == rrOff ? rrOn : rrOff;
    }
    return module;
}

void BenchRepaint() {
    TRelayPage page;
    page.SetNumber(1);
    page.resize(page.ScrolledContent()->minimumSize());
    page.show();
    QApplication::processEvents();
    const qreal ratio = page.devicePixelRatioF();
    QImage image(page.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    const TRelaySettings module = AllDifferent(page.Settings());
    const std::bitset<kRelayValueCount> everyPlace = std::bitset<kRelayValueCount>().set();

    std::vector<double> marked;
    std::vector<double> plain;
    // Warm-up, then rounds that take turns so that a drift of the machine falls on both.
    TimeRepaints(page, image);
    for (int round = 0; round < kRounds; ++round) {
        page.ShowModuleValues(module, everyPlace);
        marked.push_back(TimeRepaints(page, image));
        page.ForgetModuleValues();
        plain.push_back(TimeRepaints(page, image));
    }
    page.ShowModuleValues(module, everyPlace);
    const int markedCount = page.UnwrittenCount();
    const TFigures m = Summary(marked);
    const TFigures p = Summary(plain);
    std::printf("Repaint of a whole relay page (%dx%d units, pixel ratio %.2g), %d rounds of %d:\n",
                page.width(), page.height(), ratio, kRounds, kRepaintsPerRound);
    std::printf("  %3d places marked:  mean %7.3f ms, median %7.3f ms\n", markedCount, m.Mean,
                m.Median);
    std::printf("    no place marked:  mean %7.3f ms, median %7.3f ms\n", p.Mean, p.Median);
    std::printf("  marked / unmarked:  mean %.3f, median %.3f\n", m.Mean / p.Mean,
                m.Median / p.Median);
}

void BenchUndoMemory() {
    const TModuleSettings start;
    TSettingsHistory cells;
    TModuleSettings now = start;
    for (int i = 0; i < kSteps; ++i) {
        TModuleSettings next = now;
        const int relay = i % kRelayCount;
        const int place = 1 + (i / kRelayCount) % (kRelayValueCount - 1);
        NextReaction(RelayValueAt(next.Relays.at(relay), place));
        cells.Record(RelayPageCaption(relay + 1) + ", Зоны, Восстановления, зона 16", now, next);
        now = next;
    }
    TModuleSettings whole;
    whole.Common.ObjectNumber = "42";
    for (TRelaySettings& relay : whole.Relays) {
        relay = AllDifferent(relay);
    }
    TSettingsHistory module;
    module.Record("Прочитать всё", start, whole);

    std::printf("Undo history:\n");
    std::printf("  %zu one-cell steps: %zu bytes, %.1f bytes a step\n", cells.UndoCount(),
                cells.MemoryBytes(), static_cast<double>(cells.MemoryBytes()) / kSteps);
    std::printf("  one whole-module step (%d values): %zu bytes\n",
                kRelayCount * kRelayValueCount + 1, module.MemoryBytes());
    std::printf("  a copy of TModuleSettings: %zu bytes\n", sizeof(TModuleSettings));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    BenchRepaint();
    BenchUndoMemory();
    return 0;
}
