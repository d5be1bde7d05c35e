// Framing, exchange, answer parsing and logging shared by every device command set.
#include "protocol/ModuleDevice.h"

#include <utility>

static constexpr int kQueryAttempts = 3;

TModuleDevice::TModuleDevice(TTransport* comm, std::string version, std::string prefix,
                             std::string suffix, std::string terminator, TLogWriter* log)
    : Comm(comm),
      Log(log),
      Version(std::move(version)),
      Prefix(std::move(prefix)),
      Suffix(std::move(suffix)),
      Terminator(std::move(terminator)) {}

void TModuleDevice::LogInfo(const std::string& text) {
    if (Log != nullptr) {
        Log->WriteInfo(text);
    }
}

void TModuleDevice::LogError(const std::string& text) {
    if (Log != nullptr) {
        Log->WriteError(text);
    }
}

void TModuleDevice::LogDataLines(const std::string& caption, const TArrayOfString& lines,
                                 TColor color) {
    if (Log != nullptr) {
        Log->WriteDataLines(caption, lines, color);
    }
}

void TModuleDevice::LogData(const std::string& caption, const std::string& text, TColor color) {
    if (Log != nullptr) {
        Log->WriteData(caption, text, color);
    }
}

void TModuleDevice::LogMessage(const std::string& text) {
    if (Log != nullptr) {
        Log->WriteMessage(text);
    }
}

std::string TModuleDevice::FrameCommand(const std::string& command) {
    return GetPrefix() + command + GetSuffix();
}

std::string TModuleDevice::ParseAnswer(const std::string& raw) {
    const int p = Pos(">", raw);
    const std::string rest = Copy(raw, p + 1, static_cast<int>(raw.size()));
    const int q = Pos(GetTerminator(), rest);
    return CopyTrim(rest, 1, q - 1);
}

bool TModuleDevice::ExchangeRaw(const std::string& text, std::string& answer,
                                const TArrayOfString& list) {
    answer.clear();
    LogData(kSentCaption, text, kSentColor);
    if (!Comm->Send(text)) {
        return false;
    }
    const bool received = Comm->ReceiveAny(answer, list);
    LogData(kReceivedCaption, answer, kReceivedColor);
    return received;
}

bool TModuleDevice::Query(const std::string& command, std::string& value) {
    value.clear();
    LastRaw.clear();
    const std::string framed = FrameCommand(command);
    LogData(kSentCaption, framed, kSentColor);
    if (!Comm->Send(framed)) {
        return false;
    }
    const bool received = Comm->Receive(value, GetTerminator());
    LogData(kReceivedCaption, value, kReceivedColor);
    LastRaw = value;
    if (!received) {
        return false;
    }
    value = ParseAnswer(value);
    return true;
}

bool TModuleDevice::QueryInt(const std::string& command, std::int32_t& value, bool hexadecimal) {
    std::string text;
    if (!Query(command, text)) {
        return false;
    }
    if (hexadecimal) {
        return TryStrToInt("$" + text, value);
    }
    // A decimal answer must not slip through as hexadecimal by way of a "$" of its own.
    if (text.find('$') != std::string::npos) {
        return false;
    }
    return TryStrToInt(text, value);
}

bool TModuleDevice::QueryRetry(const std::string& command, std::string& value, int timeoutMs,
                               bool parse) {
    const std::string framed = FrameCommand(command);
    bool received = false;
    for (int attempt = 0; attempt < kQueryAttempts && !received; ++attempt) {
        value.clear();
        LogData(kSentCaption, framed, kSentColor);
        if (Comm->Send(framed)) {
            received = Comm->Receive(value, GetTerminator(), timeoutMs);
            LogData(kReceivedCaption, value, kReceivedColor);
        }
    }
    if (received && parse) {
        value = ParseAnswer(value);
    }
    return received;
}

bool TModuleDevice::Execute(const std::string& command) {
    const std::string framed = FrameCommand(command);
    LogDataLines(kSentCaption, TArrayOfString{framed}, kSentColor);
    if (!Comm->Send(framed)) {
        return false;
    }
    const std::string terminator = GetTerminator();
    if (Comm->WaitFor(terminator)) {
        LogDataLines(kReceivedCaption, TArrayOfString{terminator}, kReceivedColor);
        return true;
    }
    LogError("Не получили: " + terminator);
    return false;
}

bool TModuleDevice::ExecuteHex(const std::string& command, std::int32_t value, int digits,
                               const std::string& separator) {
    return Execute(command + separator + IntToHex(static_cast<std::uint32_t>(value), digits));
}

bool TModuleDevice::ExecuteHex2(const std::string& command, std::int32_t value,
                                const std::string& separator) {
    return ExecuteHex(command, value, 2, separator);
}

std::string TModuleDevice::GetVersion() {
    return Version;
}

std::string TModuleDevice::GetPrefix() {
    return Prefix;
}

void TModuleDevice::SetPrefix(const std::string& prefix) {
    Prefix = prefix;
}

std::string TModuleDevice::GetSuffix() {
    return Suffix;
}

std::string TModuleDevice::GetTerminator() {
    return Terminator;
}

bool TModuleDevice::MatchesVersion(const std::string& answer) {
    const std::string version = GetVersion();
    return !version.empty() && answer.find(version) != std::string::npos;
}

void TModuleDevice::SendRbCommand() {
    std::string answer;
    ExchangeRaw("+rb\r", answer, TArrayOfString{"OK"});
    LogMessage("Ответ: " + answer);
}
