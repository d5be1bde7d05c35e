// The window's log sink: writes each operation's lines into the log view.
#pragma once

#include <string>
#include <vector>

#include "log/LogWriter.h"

class TLogView;

// The system's log sink: writes each operation's lines into the log view.
class TLogViewWriter : public TLogWriter {
  public:
    explicit TLogViewWriter(TLogView* view);

    void WriteInfo(const std::string& text) override;
    void WriteError(const std::string& text) override;
    void WriteMessage(const std::string& text) override;
    void WriteData(const std::string& caption, const std::string& data, TColor color) override;
    void WriteDataLines(const std::string& caption, const std::vector<std::string>& lines,
                        TColor color) override;

  private:
    TLogView* m_view;
};
