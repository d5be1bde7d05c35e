// The report's words as a PDF reader finds them: the title block, the common page and every
// relay's heading, duration and captions on the relay's own page.
#include <QDateTime>

#include "ReportPdf.h"
#include "model/RelayCaptions.h"
#include "report/Report.h"
#include "report/ReportLayout.h"

namespace {

class ReportTextTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString Write(const TModuleSettings& settings, const TReportSource& source) {
        const QString pdf = m_dir.filePath(QStringLiteral("report.pdf"));
        WriteReportPdf(pdf.toStdString(), settings, source);
        return pdf;
    }

    QTemporaryDir m_dir;
};

TEST_F(ReportTextTest, TitlePageHoldsTheSourceAndTheCommonPage) {
    TModuleSettings settings;
    settings.Common.ObjectNumber = "37";
    struct TCase {
        TReportSource Source;
    };
    const TCase cases[] = {
        {{"2.14", ModuleReadSource(QDateTime(QDate(2026, 12, 10), QTime(18, 5))),
          "10.12.2026 18:07"}},
        {{"", FileSource("/home/user/объект 37.txt"), "11.12.2026 09:30"}},
    };
    for (const TCase& c : cases) {
        const std::string text = PdfPageText(Write(settings, c.Source), 0);
        SCOPED_TRACE(text);
        EXPECT_NE(text.find("Настройки модуля «Тарнел»"), std::string::npos);
        EXPECT_EQ(FieldValue(text, "Номер объекта:"), "37");
        EXPECT_EQ(FieldValue(text, "Источник:"), c.Source.Source);
        EXPECT_EQ(FieldValue(text, "Дата и время:"), c.Source.MadeAt);
        EXPECT_EQ(FieldValue(text, "Версия модуля:"), c.Source.ModuleVersion);
        // The common page's heading, then its object number once more.
        const auto common = text.find(std::string("\n") + kCommonPageCaption + "\n");
        ASSERT_NE(common, std::string::npos);
        EXPECT_EQ(FieldValue(text.substr(common), "Номер объекта:"), "37");
        for (TRelayReaction code = rrOn; code <= rrNone; ++code) {
            EXPECT_NE(text.find(ReactionName(code)), std::string::npos) << code;
        }
    }
}

TEST(ReportSourceTest, SourcesSayWhereTheSettingsCameFrom) {
    EXPECT_EQ(ModuleReadSource(QDateTime(QDate(2026, 12, 10), QTime(18, 5))),
              "Прочитано из модуля 10.12.2026 18:05");
    EXPECT_EQ(FileSource("/var/tmp/склад.txt"), "Файл: склад.txt");
}

TEST_F(ReportTextTest, EachRelayPageHoldsItsRelaysCaptions) {
    TModuleSettings settings;
    for (TRelaySettings& relay : settings.Relays) {
        relay.Duration = 100 + relay.Number * 11;
    }
    const QString pdf = Write(settings, {"", "Файл: x.txt", "10.12.2026 18:05"});
    for (int page = 1; page < kReportPageCount; ++page) {
        const std::string text = PdfPageText(pdf, page);
        SCOPED_TRACE(text);
        for (const TRelaySettings& relay : settings.Relays) {
            const bool here = RelayReportPage(relay.Number) == page;
            EXPECT_EQ(text.find(RelayPageCaption(relay.Number)) != std::string::npos, here)
                << relay.Number;
            EXPECT_EQ(
                text.find("длительность: " + std::to_string(relay.Duration)) != std::string::npos,
                here)
                << relay.Number;
        }
        for (const char* caption : kZoneCaptions) {
            EXPECT_NE(text.find(caption), std::string::npos);
        }
        for (const char* caption : kPartitionCaptions) {
            EXPECT_NE(text.find(caption), std::string::npos);
        }
        for (int c = 1; c <= kConditionCount; ++c) {
            const auto condition = static_cast<TRelayCondition>(c);
            EXPECT_NE(text.find(ConditionCaption(condition)), std::string::npos);
            EXPECT_NE(text.find(ConditionStateCaption(condition, true)), std::string::npos);
            EXPECT_NE(text.find(ConditionStateCaption(condition, false)), std::string::npos);
        }
        EXPECT_NE(text.find(" 16"), std::string::npos) << "the last column's number";
    }
}

TEST_F(ReportTextTest, UnwritableFileIsRefusedInRussian) {
    const std::string pdf = m_dir.filePath(QStringLiteral("нет/report.pdf")).toStdString();
    try {
        WriteReportPdf(pdf, TModuleSettings(), {});
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("Не удалось записать файл"), std::string::npos)
            << error.what();
    }
}

}  // namespace
