#include "widgets/LogViewWriter.h"

#include "widgets/LogModel.h"
#include "widgets/LogView.h"

TLogViewWriter::TLogViewWriter(TLogView* view) : m_view(view) {}

void TLogViewWriter::WriteInfo(const std::string& text) {
    m_view->LogModel()->AddLine(text, clBlack, clInfoBk);
}

void TLogViewWriter::WriteError(const std::string& text) {
    m_view->LogModel()->AddLine(text, clYellow, clRed);
}

void TLogViewWriter::WriteMessage(const std::string& text) {
    m_view->LogModel()->AddLine(text, clBlack, clWhite);
}

void TLogViewWriter::WriteData(const std::string& caption, const std::string& data, TColor color) {
    TLogModel* model = m_view->LogModel();
    model->AddLine(caption, color, clWhite);
    model->AddChildLine(data, color, clInfoBk);
}

void TLogViewWriter::WriteDataLines(const std::string& caption,
                                    const std::vector<std::string>& lines, TColor color) {
    TLogModel* model = m_view->LogModel();
    model->AddLine(caption, color, clWhite);
    for (const std::string& line : lines) {
        model->AddChildLine(line, color, clInfoBk);
    }
}
