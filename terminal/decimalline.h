#pragma once
// The decimal line of received bytes: each byte's unsigned value followed by '-' (72-105-).

#include <QByteArray>

QByteArray decimalLine(const QByteArray &bytes);
