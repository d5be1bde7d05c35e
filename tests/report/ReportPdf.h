// Helpers of the report's tests: a scratch folder, settings without reactions, and poppler's
// tools run on a PDF file.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <string>

#include "model/ModuleSettings.h"

// Every relay with "no reaction" in every cell, so that one other code stands out.
inline TModuleSettings SettingsWithoutReactions() {
    TModuleSettings settings;
    for (TRelaySettings& relay : settings.Relays) {
        for (auto* rows : {&relay.Zones, &relay.Partitions}) {
            for (TReactionRow& row : *rows) {
                row.fill(rrNone);
            }
        }
        relay.Yes.fill(rrNone);
        relay.No.fill(rrNone);
    }
    return settings;
}

// What follows a label on its line of pdftotext's layout, blanks trimmed; empty when no line
// holds the label.
inline std::string FieldValue(const std::string& text, const std::string& label) {
    const auto at = text.find(label);
    if (at == std::string::npos) {
        return {};
    }
    const auto start = text.find_first_not_of(' ', at + label.size());
    const auto end = text.find('\n', at);
    return QString::fromStdString(text.substr(start, end - start)).trimmed().toStdString();
}

// Standard output of a program that must succeed.
inline std::string RunTool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput().toStdString();
}

// The text of one page (from 0) as pdftotext lays it out.
inline std::string PdfPageText(const QString& pdf, int page) {
    const QString number = QString::number(page + 1);
    return RunTool(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), QStringLiteral("-f"), number, QStringLiteral("-l"),
                    number, pdf, QStringLiteral("-")});
}

// One page (from 0) rendered at `dpi` by pdftoppm.
inline QImage PdfPageImage(const QString& pdf, int page, int dpi, const QDir& folder) {
    const QString number = QString::number(page + 1);
    const QString prefix = folder.filePath(QStringLiteral("page"));
    RunTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
             QStringLiteral("-singlefile"), QStringLiteral("-f"), number, QStringLiteral("-l"),
             number, pdf, prefix});
    return QImage(prefix + QStringLiteral(".png"));
}
