// The report for the customer: the module's settings on A4 pages, the relays' grids drawn with
// the window's reaction pictures as vectors.
#pragma once

#include <string>

#include "model/ModuleSettings.h"

class QDateTime;
class QPagedPaintDevice;

// What the title block says besides the settings.
struct TReportSource {
    // Empty when the module was not asked: the line is left out.
    std::string ModuleVersion;
    // «Прочитано из модуля 10.12.2026 18:05» or «Файл: x.txt».
    std::string Source;
    // When the report was made: "10.12.2026 18:05".
    std::string MadeAt;
};

// "10.12.2026 18:05", the form of every time the report shows.
std::string ReportTime(const QDateTime& time);
// The sources' words: «Прочитано из модуля <time>» and «Файл: <name without its folder>».
std::string ModuleReadSource(const QDateTime& readAt);
std::string FileSource(const std::string& fileName);

// Paints every page, with newPage between them, onto a PDF writer or a printer set to A4; a
// page whose printable area is smaller than the report's margins leave is scaled to fit.
void PaintReport(QPagedPaintDevice& device, const TModuleSettings& settings,
                 const TReportSource& source);
// The report as an A4 PDF file; throws std::runtime_error with the reason in Russian when the
// file cannot be written.
void WriteReportPdf(const std::string& fileName, const TModuleSettings& settings,
                    const TReportSource& source);
