#include "bench/floodserver.h"

#include <algorithm>

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <random>

const char *kindName(FloodKind kind)
{
    switch (kind) {
    case FloodKind::Lines: return "lines";
    case FloodKind::Binary: return "binary";
    case FloodKind::NoBreaks: return "nobreaks";
    }
    return "?";
}

bool parseKind(const char *name, FloodKind *kind)
{
    for (FloodKind k : {FloodKind::Lines, FloodKind::Binary, FloodKind::NoBreaks})
        if (qstrcmp(name, kindName(k)) == 0) {
            *kind = k;
            return true;
        }
    return false;
}

QByteArray floodBlock(FloodKind kind)
{
    QByteArray block;
    block.reserve(65536);
    switch (kind) {
    case FloodKind::Lines: {
        // 80-byte lines: 78 printable characters and CR LF.
        int n = 0;
        while (block.size() + 80 <= 65536) {
            QByteArray line = "PLC 0001 status " + QByteArray::number(n++).rightJustified(8, '0') + " ";
            while (line.size() < 78)
                line += char('A' + line.size() % 26);
            block += line + "\r\n";
        }
        break;
    }
    case FloodKind::Binary: {
        std::mt19937 rng(12345);
        block.resize(65536);
        for (auto &c : block)
            c = char(rng() & 0xFF);
        break;
    }
    case FloodKind::NoBreaks:
        for (int i = 0; i < 65536; ++i)
            block.append(char('a' + i % 26));
        break;
    }
    return block;
}

namespace {
int listenLoopback(quint16 *port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&sa), sizeof sa);
    ::listen(fd, 1);
    socklen_t len = sizeof sa;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&sa), &len);
    *port = ntohs(sa.sin_port);
    return fd;
}

void pushAll(int fd, const QByteArray &block, std::int64_t volume, std::atomic<std::int64_t> *sent)
{
    std::int64_t left = volume;
    while (left > 0) {
        const size_t n = size_t(std::min<std::int64_t>(left, block.size()));
        const ssize_t w = ::send(fd, block.constData(), n, MSG_NOSIGNAL);
        if (w <= 0)
            break;
        left -= w;
        if (sent)
            *sent += w;
    }
}
} // namespace

FloodServer::FloodServer(FloodKind kind, std::int64_t volume) : m_kind(kind), m_volume(volume)
{
    m_listen = listenLoopback(&m_port);
}

FloodServer::~FloodServer()
{
    if (m_thread.joinable())
        m_thread.join();
    ::close(m_listen);
}

void FloodServer::start()
{
    m_thread = std::thread([this] {
        const int fd = ::accept(m_listen, nullptr, nullptr);
        if (fd < 0)
            return;
        pushAll(fd, floodBlock(m_kind), m_volume, &m_sent);
        ::shutdown(fd, SHUT_WR);
        char c;
        while (::recv(fd, &c, 1, 0) > 0) {
        }
        ::close(fd);
    });
}

double rawRecvMiBps(FloodKind kind, std::int64_t volume)
{
    quint16 port = 0;
    const int lfd = listenLoopback(&port);
    std::thread server([&] {
        const int fd = ::accept(lfd, nullptr, nullptr);
        pushAll(fd, floodBlock(kind), volume, nullptr);
        ::close(fd);
    });
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(fd, reinterpret_cast<sockaddr *>(&sa), sizeof sa);
    QByteArray buf(1 << 20, Qt::Uninitialized);
    QElapsedTimer t;
    t.start();
    std::int64_t got = 0;
    for (;;) {
        const ssize_t r = ::recv(fd, buf.data(), size_t(buf.size()), 0);
        if (r <= 0)
            break;
        got += r;
    }
    const double secs = double(t.nsecsElapsed()) / 1e9;
    ::close(fd);
    server.join();
    ::close(lfd);
    return double(got) / (1 << 20) / secs;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}
