// Framed request and answer with a device over a transport, with every exchange logged.
#pragma once

#include <cstdint>
#include <string>

#include "log/LogWriter.h"
#include "protocol/AnswerText.h"
#include "transport/Transport.h"

constexpr TColor kSentColor = clBlue;
constexpr TColor kReceivedColor = clFuchsia;
inline const std::string kSentCaption = "<<<<";
inline const std::string kReceivedCaption = ">>>>";

class TModuleDevice {
  public:
    // comm must outlive the device; log may be null, and then nothing is logged.
    TModuleDevice(TTransport* comm, std::string version, std::string prefix, std::string suffix,
                  std::string terminator, TLogWriter* log);
    TModuleDevice(const TModuleDevice&) = delete;
    TModuleDevice& operator=(const TModuleDevice&) = delete;
    virtual ~TModuleDevice() = default;

    virtual void LogInfo(const std::string& text);
    virtual void LogError(const std::string& text);
    virtual void LogDataLines(const std::string& caption, const TArrayOfString& lines,
                              TColor color);
    virtual void LogData(const std::string& caption, const std::string& text, TColor color);
    virtual void LogMessage(const std::string& text);

    virtual std::string FrameCommand(const std::string& command);
    virtual std::string ParseAnswer(const std::string& raw);
    virtual bool ExchangeRaw(const std::string& text, std::string& answer,
                             const TArrayOfString& list);
    virtual bool Query(const std::string& command, std::string& value);
    virtual bool QueryInt(const std::string& command, std::int32_t& value, bool hexadecimal);
    virtual bool QueryRetry(const std::string& command, std::string& value, int timeoutMs,
                            bool parse);
    virtual bool Execute(const std::string& command);
    virtual bool ExecuteHex(const std::string& command, std::int32_t value, int digits,
                            const std::string& separator);
    virtual bool ExecuteHex2(const std::string& command, std::int32_t value,
                             const std::string& separator);

    virtual std::string GetVersion();
    virtual std::string GetPrefix();
    virtual void SetPrefix(const std::string& prefix);
    virtual std::string GetSuffix();
    virtual std::string GetTerminator();
    virtual bool MatchesVersion(const std::string& answer);
    // What the last Query received, as it arrived, before a value was cut out of it.
    const std::string& LastAnswer() const { return LastRaw; }

    // Releases the module: "+rb" and a carriage return, unframed; the answer is only logged.
    void SendRbCommand();

  private:
    TTransport* Comm;
    TLogWriter* Log;
    std::string Version;
    std::string Prefix;
    std::string Suffix;
    std::string Terminator;
    std::string LastRaw;
};
