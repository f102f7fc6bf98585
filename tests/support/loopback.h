#pragma once
// A loopback TCP server for tests: listens on 127.0.0.1 with a port of the system's choosing,
// keeps every accepted connection, records what it received, and can close or reset them.

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "tests/support/resetsocket.h"
#include "tests/support/spin.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <algorithm>
#include <functional>

#include <memory>
#include <vector>

class LoopbackServer : public QObject {
public:
    LoopbackServer()
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                m_clients.push_back(s);
                ++m_accepted;
                QObject::connect(s, &QTcpSocket::readyRead, this, [this, s] {
                    if (m_reading)
                        m_received += s->readAll();
                });
                QObject::connect(s, &QTcpSocket::disconnected, this, [this, s] {
                    if (!m_forgetClosed)
                        return;
                    m_clients.erase(std::find(m_clients.begin(), m_clients.end(), s));
                    s->deleteLater();
                });
            }
        });
        m_server.listen(QHostAddress::LocalHost, 0);
    }

    quint16 port() const { return m_server.serverPort(); }
    QByteArray portText() const { return QByteArray::number(port()); }

    bool waitForClient(int count = 1)
    {
        return spinUntil([&] { return int(m_clients.size()) >= count; });
    }
    QTcpSocket *client(int i = 0) { return m_clients.at(size_t(i)); }
    int clientCount() const { return int(m_clients.size()); }

    // While reading is off, bytes stay in the kernel buffers (to fill them up).
    void setReading(bool on)
    {
        m_reading = on;
        if (on)
            for (QTcpSocket *s : m_clients)
                m_received += s->readAll();
    }
    const QByteArray &received() const { return m_received; }
    bool waitForReceived(qsizetype bytes)
    {
        return spinUntil([&] { return m_received.size() >= bytes; });
    }

    void send(const QByteArray &data, int i = 0)
    {
        client(i)->write(data);
        client(i)->flush();
    }
    void closeClient(int i = 0) { client(i)->disconnectFromHost(); }
    // Closes with a reset (RST) instead of an orderly shutdown.
    void resetClient(int i = 0)
    {
        setResetOnClose(client(i)->socketDescriptor());
        client(i)->abort();
    }
    bool waitForClientClosed(int i = 0)
    {
        return spinUntil([&] { return client(i)->state() == QAbstractSocket::UnconnectedState; });
    }
    void stopListening() { m_server.close(); }
    // Long runs: connections the peer closed are dropped and deleted instead of kept.
    void setForgetClosed(bool on) { m_forgetClosed = on; }
    int acceptedCount() const { return m_accepted; }
    int openClientCount() const { return int(m_clients.size()); }

private:
    QTcpServer m_server;
    std::vector<QTcpSocket *> m_clients;
    QByteArray m_received;
    bool m_reading = true;
    bool m_forgetClosed = false;
    int m_accepted = 0;
};

// A port on which nothing listens.
inline quint16 closedPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const quint16 p = s.serverPort();
    s.close();
    return p;
}
