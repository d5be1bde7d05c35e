#include "control/ModulePort.h"

#include "transport/ComPortWorker.h"
#include "transport/ModuleLine.h"

static_assert(kModuleBaudRate == 19200, "the worker is opened at br19200");

TComPort::TComPort() : m_worker(std::make_unique<TComPortWorker>(true)) {}

TComPort::~TComPort() = default;

void TComPort::Open(const std::string& portName, int answerTimeoutMs) {
    m_worker->Open(portName, br19200, answerTimeoutMs);
}

TTransport& TComPort::Transport() {
    return *m_worker;
}

void TComPort::SendSlow(const std::string& text) {
    m_worker->SendSlow(text);
}

void TComPort::Close() {
    m_worker->Close();
}
