#pragma once
// What a pane's view reads of the text it shows: bytes in the code page, every line break held
// as CR LF, and where each line starts. Two models hold such a text, each for one kind of pane:
// PaneText holds the text itself, DecimalLines holds received bytes and produces the decimal
// text of their lines where it is read.
//
// A pane has a byte capacity. A change that would make it hold more clears it completely, the
// new text included (as the line cap does); only a single text larger than the capacity itself
// is refused with "Text exceeds memo capacity".

#include "core/errors.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

class EOutOfCapacity : public Exception {
public:
    EOutOfCapacity() : Exception("Text exceeds memo capacity") {}
};

class PaneModel {
public:
    static constexpr qsizetype kDefaultCapacity = qsizetype(32) << 20;
    // A pane that outgrows this takes its whole capacity at once (see PaneText::growBy).
    static constexpr qsizetype kReserveAllAbove = qsizetype(2) << 20;

    explicit PaneModel(qsizetype capacity) : m_capacity(capacity) {}
    virtual ~PaneModel() = default;
    PaneModel(const PaneModel &) = delete;
    PaneModel &operator=(const PaneModel &) = delete;

    virtual qsizetype size() const = 0;
    bool isEmpty() const { return size() == 0; }
    qsizetype capacity() const { return m_capacity; }
    // The text of [from, to): a pointer into the text, or into scratch where it is produced.
    virtual const char *bytes(qsizetype from, qsizetype to, QByteArray &scratch) const = 0;
    virtual QByteArray textRange(qsizetype from, qsizetype to) const = 0;
    QByteArray text() const { return textRange(0, size()); }
    virtual void clear() = 0;

    // Line breaks, plus one for a last line that is not empty.
    qsizetype lineCount() const;
    // The lines as shown: one more than there are line breaks (the last may be empty).
    qsizetype displayLines() const { return qsizetype(m_lineStarts.size()); }
    qsizetype lineStart(qsizetype line) const { return m_lineStarts[size_t(line)]; }
    // Without the line break.
    qsizetype lineLength(qsizetype line) const;
    qsizetype lineOf(qsizetype offset) const;

    // Counts the changes that did more than add at the end (a set, a clear): a view that saw
    // another count measures the text again from its start, however many changes came between.
    quint64 resets() const { return m_resets; }

protected:
    // Whether `adding` more bytes fit: a single text larger than the capacity is refused, and
    // one that would make the pane hold more clears it.
    bool makeRoom(qsizetype adding);
    void resetLines()
    {
        m_lineStarts.assign(1, 0);
        ++m_resets;
    }

    std::vector<std::uint32_t> m_lineStarts{0};

private:
    qsizetype m_capacity;
    quint64 m_resets = 0;
};
