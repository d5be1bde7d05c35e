// "Файл → Отчёт…" writes the pages as the customer's PDF, saying where their values came from, and
// "Печать…" sends the same pages to the printer the dialog chose.
#include <gtest/gtest.h>

#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <filesystem>

#include "ToolWindowFixture.h"
#include "shell/FormsController.h"
#include "shell/MainWindow.h"

namespace {

QString PdfText(const std::string& fileName) {
    QProcess pdftotext;
    pdftotext.start("pdftotext", {QString::fromStdString(fileName), "-"});
    pdftotext.waitForFinished(30000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

class ReportMenuTest : public ToolWindowTest {
  protected:
    std::string File(const char* name) const { return (m_dir / name).string(); }
};

}  // namespace

TEST_F(ReportMenuTest, TheReportNamesTheFileThePagesCameFrom) {
    Start();
    m_controller->SaveToFile(File("site.txt"));
    m_controller->LoadFromFile(File("site.txt"));
    const std::string pdf = File("report.pdf");
    m_main->RunFileDialog = [&](QFileDialog* dialog) -> std::optional<QString> {
        EXPECT_EQ(dialog, m_main->ReportDialog);
        return QString::fromStdString(pdf);
    };
    m_main->ReportAction->trigger();
    const QString text = PdfText(pdf);
    EXPECT_TRUE(text.contains(QString::fromUtf8("Файл: site.txt"))) << text.toStdString();
    for (int n = 1; n <= 5; ++n) {
        EXPECT_TRUE(text.contains(QString::fromUtf8("Реле %1").arg(n))) << n;
    }
}

TEST_F(ReportMenuTest, PrintingSendsTheReportToTheChosenPrinter) {
    Start();
    const std::string printed = File("printed.pdf");
    bool asked = false;
    m_controller->RunPrintDialog = [&](QPrintDialog& dialog) {
        asked = true;
        dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
        dialog.printer()->setOutputFileName(QString::fromStdString(printed));
        return true;
    };
    m_main->PrintAction->trigger();
    ASSERT_TRUE(asked);
    EXPECT_TRUE(PdfText(printed).contains(QString::fromUtf8("Реле 3")));

    // A cancelled dialog prints nothing.
    std::filesystem::remove(printed);
    m_controller->RunPrintDialog = [](QPrintDialog&) { return false; };
    m_main->PrintAction->trigger();
    EXPECT_FALSE(std::filesystem::exists(printed));
}
