// The relay module on a pseudo-terminal: a serving thread that answers the tool like the module.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "emulator/ModuleEngine.h"
#include "emulator/PseudoTerminal.h"
#include "emulator/Transcript.h"
#include "transport/ModuleLine.h"

struct TEmulatorOptions {
    TModuleBehaviour Behaviour;
    // Answers leave no earlier than a 19200-baud line would deliver command and answer.
    bool Pacing = true;
    int ReplyDelayMs = 0;
    // Answers trickle out a few bytes at a time.
    bool Split = false;
    // After this many command lines the emulator closes its side; 0 never.
    int HangUpAfter = 0;
    // Where to write the transcript; empty for none.
    std::string TranscriptFile;
};

class TModuleEmulator {
  public:
    static constexpr int kBaudRate = kModuleBaudRate;
    static constexpr int kBitsPerByte = 10;
    static constexpr std::size_t kSplitChunk = 3;
    // Without pacing, split chunks still need a gap or they would merge again in the buffer.
    static constexpr std::chrono::milliseconds kSplitGap{2};
    // How long a hang-up waits for the tool to read the last answer before it cuts the line.
    static constexpr std::chrono::milliseconds kHangUpGrace{1000};

    // Opens the pseudo-terminal and the transcript (std::runtime_error on failure) and starts
    // serving.
    TModuleEmulator(TEmulatorOptions options, TModuleState state);
    ~TModuleEmulator();
    TModuleEmulator(const TModuleEmulator&) = delete;
    TModuleEmulator& operator=(const TModuleEmulator&) = delete;

    // The device file the tool opens.
    const std::string& DevicePath() const { return m_devicePath; }

    // Ends serving and joins the thread; the state stays readable. Safe to call twice.
    void Stop();

    // A copy of the module's memory as of the last completed exchange.
    TModuleState Snapshot() const;
    // Command lines received so far, answered or not.
    int CommandCount() const { return m_commandCount.load(); }
    bool HasHungUp() const { return m_hungUp.load(); }

  private:
    using TClock = std::chrono::steady_clock;

    void Serve();
    void Handle(const TExchange& exchange, TClock::time_point firstByte);
    void SendAnswer(const std::string& answer, std::size_t commandBytes,
                    TClock::time_point firstByte);
    // Waits until the moment or until Stop; false when stopped.
    bool WaitUntil(TClock::time_point moment);
    bool WriteAll(const char* data, std::size_t size);
    // Gives the tool time to read the last answer, then closes the line.
    void HangUp();
    bool Stopping() const { return m_stopping.load(); }

    TEmulatorOptions m_options;
    TModuleEngine m_engine;
    TPseudoTerminal m_terminal;
    std::string m_devicePath;
    std::unique_ptr<TTranscript> m_transcript;
    TFileDescriptor m_wake;
    TClock::time_point m_lineFree{};

    mutable std::mutex m_stateLock;
    TModuleState m_snapshot;
    std::atomic<int> m_commandCount{0};
    std::atomic<bool> m_hungUp{false};
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};
