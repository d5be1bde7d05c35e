// The transport over a serial port: polls the port's input queue from the calling thread,
// filters what arrives and keeps the default answer timeout.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "serial/SerialDrv.h"
#include "transport/Transport.h"

class TComPortWorker : public TTransport {
  public:
    // The worker always frees the port it creates; OwnsPort is kept as the caller gave it. The
    // port talks to `os`, or to this machine's serial devices without one.
    explicit TComPortWorker(bool OwnsPort, std::unique_ptr<ISerialOs> os = nullptr);
    ~TComPortWorker() override;

    int GetTimeout() override;
    bool Send(const std::string& text) override;
    bool Receive(std::string& answer, const std::string& terminator, int timeoutMs) override;
    bool ReceiveAny(std::string& answer, const std::vector<std::string>& list,
                    int timeoutMs) override;
    bool Receive(std::string& answer, const std::string& terminator) override;
    bool ReceiveAny(std::string& answer, const std::vector<std::string>& list) override;
    bool WaitFor(const std::string& terminator, int timeoutMs) override;
    bool WaitForAny(const std::vector<std::string>& list, int timeoutMs) override;
    bool WaitFor(const std::string& terminator) override;
    bool WaitForAny(const std::vector<std::string>& list) override;

    // Opens portName at 8 data bits, no parity, one stop bit and no flow control; a port left
    // open is closed first. The timeout is stored only when the port opened.
    void Open(const std::string& portName, TBaudRate baudRate, int timeout);
    void Close();
    void Purge();
    void ReadWaiting(std::string& answer);
    // Writes one character at a time with a pause after each.
    void SendSlow(const std::string& text);
    static bool IsAcceptedChar(char c);

    TSerialComm& GetPort() { return *Port; }
    bool GetOwnsPort() const { return OwnsPort; }

  private:
    // What a receive does after a wait.
    enum class TAfterWait {
        // Input may have come: look at the queue.
        Look,
        // Nothing came: wait on.
        WaitOn,
        TimeUp,
    };
    // Between two looks at the queue: the caller's waiting work once an answer has had a moment
    // to begin, else a wait for input of at most one poll period.
    TAfterWait WaitMore(std::chrono::steady_clock::time_point start, int timeoutMs, bool& workDone);
    // Takes what the queue has reported, in one read, behind what an earlier receive left
    // unread; false when nothing came.
    bool ReadWaitingBytes();
    // Moves the accepted characters of what was read into the answer up to the end of the
    // terminator, leaving the rest for the next receive; true when the terminator was reached.
    bool TakeUntil(std::string& answer, const std::string& terminator);

    std::unique_ptr<TSerialComm> Port;
    bool OwnsPort;
    int Timeout = 0;
    // Read from the port and not yet given to a receive: what followed an answer's terminator
    // belongs to the next receive, as it would have stayed in the port's queue, until a send or
    // a purge drops it.
    std::string m_unread;
    std::size_t m_unreadFrom = 0;
};
