// tarnel-config --report as a user runs it where there is no display: a settings file becomes a
// PDF, and a file without settings is refused with status 1.
#include <QFile>
#include <QProcessEnvironment>
#include <cstdlib>

#include "ReportPdf.h"

namespace {

struct TReportRun {
    int Status = -1;
    std::string Err;
};

class ReportProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* build = std::getenv("TARNEL_BUILD_DIR");
        ASSERT_NE(build, nullptr) << "TARNEL_BUILD_DIR is not set";
        m_program =
            QDir(QString::fromLocal8Bit(build)).filePath(QStringLiteral("bin/tarnel-config"));
        ASSERT_TRUE(m_dir.isValid());
    }

    QString Path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    void WriteFile(const char* name, const char* text) const {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    // The program with neither a display nor a chosen platform in its environment.
    TReportRun Run(const QStringList& args) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(QString::fromLatin1(name));
        }
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(m_program, args);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardError().toStdString()};
    }

    QString m_program;
    QTemporaryDir m_dir;
};

TEST_F(ReportProgramTest, SettingsFileBecomesPdfWithoutDisplay) {
    WriteFile("склад.txt", "[FormCommon]\netO=42\n");
    const TReportRun run = Run({QStringLiteral("--report"), Path("склад.txt"), Path("out.pdf")});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::string text = PdfPageText(Path("out.pdf"), 0);
    EXPECT_EQ(FieldValue(text, "Источник:"), "Файл: склад.txt") << text;
    EXPECT_EQ(FieldValue(text, "Номер объекта:"), "42") << text;
}

TEST_F(ReportProgramTest, RefusesWhatItCannotReport) {
    WriteFile("settings.txt", "[FormCommon]\netO=42\n");
    WriteFile("other.ini", "[Window]\nLeft=10\n");
    struct TCase {
        const char* Settings;
        const char* Report;
        int Status;
        const char* Says;
    };
    const TCase cases[] = {
        {"other.ini", "a.pdf", 1, "нет настроек модуля"},
        {"missing.txt", "b.pdf", 1, "нет настроек модуля"},
        {"settings.txt", "нет/c.pdf", 1, "Не удалось записать файл"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Settings);
        const TReportRun run = Run({QStringLiteral("--report"), Path(c.Settings), Path(c.Report)});
        EXPECT_EQ(run.Status, c.Status);
        EXPECT_NE(run.Err.find(c.Says), std::string::npos) << run.Err;
        EXPECT_FALSE(QFile::exists(Path(c.Report)));
    }
    EXPECT_EQ(Run({QStringLiteral("--report"), Path("settings.txt")}).Status, 2);
}

}  // namespace
