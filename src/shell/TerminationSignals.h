// Turns SIGTERM, SIGHUP and SIGINT into a Qt signal on the GUI thread, so that they end the tool
// the orderly way instead of killing it.
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <csignal>
#include <memory>

class TTerminationSignals : public QObject {
    Q_OBJECT
  public:
    // Installs the handlers; only one object may exist at a time.
    explicit TTerminationSignals(QObject* parent = nullptr);
    // Puts the previous handlers back.
    ~TTerminationSignals() override;
    TTerminationSignals(const TTerminationSignals&) = delete;
    TTerminationSignals& operator=(const TTerminationSignals&) = delete;

  signals:
    void Received(int signalNumber);

  private:
    void Drain();

    int m_readFd = -1;
    int m_writeFd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previous[3]{};
};
