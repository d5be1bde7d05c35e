// The report of a module read through the window equals the report tarnel-config --report makes
// of the file the window saved after the read: the same text but for the lines that say where
// the values came from, and the same pixels on every page but for those lines.
#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "../report/ReportPdf.h"
#include "ToolFixture.h"
#include "report/ReportLayout.h"

namespace {

constexpr int kDpi = 72;

// The title block's lines that name the values' source: the module's version (only a module
// answers it), the time the report was made and the source itself.
const std::vector<std::string> kSourceLabels = {"Версия модуля:", "Дата и время:", "Источник:"};

bool IsSourceLine(const std::string& text) {
    return std::any_of(kSourceLabels.begin(), kSourceLabels.end(),
                       [&text](const std::string& label) { return text.starts_with(label); });
}

// The lines of a page's text without the source lines, each trimmed: pdftotext indents by the
// page's widest line, which may be a source line, and leaves blank lines where the layout leaves
// room, as for the version line.
std::vector<std::string> LinesWithoutSource(const QString& pdf, int page) {
    std::vector<std::string> kept;
    std::istringstream lines(PdfPageText(pdf, page));
    for (std::string line; std::getline(lines, line);) {
        const std::string text = QString::fromStdString(line).trimmed().toStdString();
        if (!text.empty() && !IsSourceLine(text)) {
            kept.push_back(text);
        }
    }
    return kept;
}

// The rows of the title page from the top of the source lines to their bottom, in pixels, as
// pdftotext's boxes of their first words give them in points.
std::pair<int, int> SourceRows(const QString& pdf) {
    const std::string boxes =
        RunTool(QStringLiteral("pdftotext"),
                {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                 QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")});
    const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="[^"]*" yMin="([^"]*)" xMax="[^"]*" yMax="([^"]*)">([^<]*)<)re"));
    double top = kReportPageHeight;
    double bottom = 0;
    for (const QRegularExpressionMatch& match : word.globalMatch(QString::fromStdString(boxes))) {
        const std::string text = match.captured(3).toStdString();
        if (std::any_of(kSourceLabels.begin(), kSourceLabels.end(),
                        [&text](const std::string& label) {
                            return label.substr(0, label.find(' ')) == text;
                        })) {
            top = std::min(top, match.captured(1).toDouble());
            bottom = std::max(bottom, match.captured(2).toDouble());
        }
    }
    return {static_cast<int>(top * kDpi / 72.0), static_cast<int>(bottom * kDpi / 72.0 + 1)};
}

// The page cut into its lines of ink, each a band of rows with a white row above and below; the
// bands that reach into `skipped` are left out.
std::vector<QImage> InkBands(const QImage& page, std::pair<int, int> skipped) {
    auto blank = [&page](int y) {
        for (int x = 0; x < page.width(); ++x) {
            if (page.pixel(x, y) != qRgb(255, 255, 255)) {
                return false;
            }
        }
        return true;
    };
    std::vector<QImage> bands;
    for (int y = 0; y < page.height();) {
        if (blank(y)) {
            ++y;
            continue;
        }
        const int top = y;
        while (y < page.height() && !blank(y)) {
            ++y;
        }
        if (y <= skipped.first || top >= skipped.second) {
            bands.push_back(page.copy(0, top, page.width(), y - top));
        }
    }
    return bands;
}

int DifferingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return a.width() * a.height();
    }
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            differing += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return differing;
}

}  // namespace

TEST_F(ToolTest, TheReportOfAReadModuleEqualsTheReportOfTheFileSavedFromIt) {
    const TModuleState stored = PatternedState(10, 7);
    StartModule(stored);
    StartTool();
    ConnectToModule();
    Run(&TMainWindow::ReadAllPages);
    ASSERT_EQ(PagesState(*m_controller), stored);

    const QString read = QString::fromStdString((Dir() / "a.pdf").string());
    const QString saved = QString::fromStdString((Dir() / "s.txt").string());
    const QString fromFile = QString::fromStdString((Dir() / "b.pdf").string());
    m_controller->MakeReport(read.toStdString());
    m_controller->SaveToFile(saved.toStdString());
    const char* build = std::getenv("TARNEL_BUILD_DIR");
    ASSERT_NE(build, nullptr) << "TARNEL_BUILD_DIR is not set";
    RunTool(QDir(QString::fromLocal8Bit(build)).filePath(QStringLiteral("bin/tarnel-config")),
            {QStringLiteral("--report"), saved, fromFile});
    ASSERT_TRUE(m_reportedErrors.empty()) << m_reportedErrors[0].toStdString();

    const std::string readTitle = PdfPageText(read, 0);
    const std::string fileTitle = PdfPageText(fromFile, 0);
    EXPECT_EQ(FieldValue(readTitle, "Источник:").rfind("Прочитано из модуля ", 0), 0u) << readTitle;
    EXPECT_NE(FieldValue(readTitle, "Версия модуля:"), "") << readTitle;
    EXPECT_EQ(FieldValue(fileTitle, "Источник:"), "Файл: s.txt") << fileTitle;

    const QDir pictures(QString::fromStdString(Dir().string()));
    for (int page = 0; page < kReportPageCount; ++page) {
        SCOPED_TRACE(page);
        EXPECT_EQ(LinesWithoutSource(read, page), LinesWithoutSource(fromFile, page));
        if (page == 0) {
            continue;
        }
        const QImage a = PdfPageImage(read, page, kDpi, pictures);
        const QImage b = PdfPageImage(fromFile, page, kDpi, pictures);
        ASSERT_FALSE(a.isNull());
        EXPECT_EQ(DifferingPixels(a, b), 0);
    }
    // The version line moves what is under it down: the title page is compared line of ink by
    // line of ink, the source lines left out.
    const std::vector<QImage> readBands =
        InkBands(PdfPageImage(read, 0, kDpi, pictures), SourceRows(read));
    const std::vector<QImage> fileBands =
        InkBands(PdfPageImage(fromFile, 0, kDpi, pictures), SourceRows(fromFile));
    EXPECT_GT(readBands.size(), 5u);
    ASSERT_EQ(readBands.size(), fileBands.size());
    for (std::size_t line = 0; line < readBands.size(); ++line) {
        EXPECT_EQ(DifferingPixels(readBands[line], fileBands[line]), 0) << "title line " << line;
    }
}
