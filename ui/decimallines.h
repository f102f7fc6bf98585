#pragma once
// The text of the received decimal pane: one decimal line per arrival (each byte's value and
// '-', then a line break). It keeps the received bytes of its lines, a quarter of the memory of
// their text or less, and produces the text only where it is read; sizes, offsets, lines and
// the capacity are those of the text all the same.
//
// An anchor is kept at every kAnchor-th byte: the text offset where that byte's number starts,
// so that any position can be reached from at most kAnchor bytes away.

#include "ui/panemodel.h"

#include <QByteArrayView>

class DecimalLines : public PaneModel {
public:
    static constexpr qsizetype kAnchor = 256;

    explicit DecimalLines(qsizetype capacity = kDefaultCapacity) : PaneModel(capacity) {}

    qsizetype size() const override { return m_size; }
    const char *bytes(qsizetype from, qsizetype to, QByteArray &scratch) const override;
    QByteArray textRange(qsizetype from, qsizetype to) const override;

    // Adds the decimal line of raw on a line of its own.
    void addLine(QByteArrayView raw);
    void clear() override;

    // The received bytes of a line, and where they start among all the bytes kept.
    QByteArrayView lineBytes(qsizetype line) const;
    qsizetype lineBytesStart(qsizetype line) const { return m_rawLineStarts[size_t(line)]; }

    // Anchor k stands at byte k * kAnchor of all the bytes kept; its text offset:
    qsizetype anchorOffset(qsizetype k) const { return m_anchors[size_t(k)]; }
    // The anchors within a line: [*first, *end).
    void anchorsOf(qsizetype line, qsizetype *first, qsizetype *end) const;
    // The last anchor of the line at or before a text offset in it, or -1 (then the line's start
    // is the nearest place to start from).
    qsizetype anchorBefore(qsizetype line, qsizetype offset) const;

private:
    // Writes the text of [from, to) to out.
    void produce(qsizetype from, qsizetype to, char *out) const;

    qsizetype m_size = 0;
    QByteArray m_raw;
    std::vector<std::uint32_t> m_rawLineStarts{0};
    std::vector<std::uint32_t> m_anchors;
};
