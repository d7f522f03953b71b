#pragma once

#include <QObject>

#include <array>
#include <csignal>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (a shutdown, a logout, Ctrl+C in the
// terminal) into a Qt signal on the GUI thread, so that the program can end
// the way closing its window ends it, with the data written back, instead of
// being cut off with the changes in memory. The signal handler only writes a
// byte to a socket pair; the rest happens in the event loop. One object at a
// time; destroying it puts the previous handlers back.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

signals:
    void requested(int signalNumber);

private:
    static void Handle(int signalNumber);
    void Read();

    static constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};
    std::array<int, 2> m_pair = {-1, -1};
    std::array<struct sigaction, kSignals.size()> m_previous{};
    QSocketNotifier* m_notifier = nullptr;
};
