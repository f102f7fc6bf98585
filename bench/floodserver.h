#pragma once
// A loopback server on its own thread for the benchmarks: accepts one connection, pushes a
// fixed volume of one kind of data, then closes. Blocking POSIX sockets, so it costs the GUI
// thread nothing.

#include <QByteArray>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

enum class FloodKind { Lines, Binary, NoBreaks };

const char *kindName(FloodKind kind);
bool parseKind(const char *name, FloodKind *kind);

// One 64 KiB block of the kind, repeated to make the volume.
QByteArray floodBlock(FloodKind kind);

class FloodServer {
public:
    FloodServer(FloodKind kind, std::int64_t volume);
    ~FloodServer();
    quint16 port() const { return m_port; }
    void start(); // serves one connection on its thread
    std::int64_t sent() const { return m_sent.load(); }

private:
    int m_listen = -1;
    quint16 m_port = 0;
    FloodKind m_kind;
    std::int64_t m_volume;
    std::atomic<std::int64_t> m_sent{0};
    std::thread m_thread;
};

// The p-th fraction (0 to 1) of values, 0 when there are none.
double percentile(std::vector<double> values, double p);

// The physical limit: a plain blocking recv loop over the same data, in MiB/s.
double rawRecvMiBps(FloodKind kind, std::int64_t volume);
