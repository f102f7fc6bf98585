#pragma once
// The text of a pane: bytes in the code page, every line break held as CR LF.
//
// Setting a text normalises its line breaks (CR LF stays, a lone CR and a lone LF each become
// CR LF) and keeps it only up to its first byte 0. Appending is defined as setting the whole
// text followed by the new bytes; since the held text never ends in a lone CR, that equals
// normalising only the new bytes, so an append costs in proportion to what it adds.
//
// A pane also has a byte capacity. An append or an added line that would make it hold more
// clears it completely, the new text included (as the line cap does); only a single text
// larger than the capacity itself is refused with "Text exceeds memo capacity".
//
// Decimal lines. A pane that, since it was last empty, has only been given decimal lines of
// received bytes (addDecimalLine) keeps those bytes instead of their decimal text, a quarter of
// the memory or less, and produces the text where it is read. Sizes, offsets, lines and the
// capacity are those of the text all the same. Any other change first turns what it holds into
// plain text.

#include "core/errors.h"

#include <QByteArray>

#include <cstdint>
#include <cstring>
#include <vector>

class EOutOfCapacity : public Exception {
public:
    EOutOfCapacity() : Exception("Text exceeds memo capacity") {}
};

class PaneText {
public:
    static constexpr qsizetype kDefaultCapacity = qsizetype(32) << 20;
    static constexpr qsizetype kReserveAllAbove = qsizetype(2) << 20;

    explicit PaneText(qsizetype capacity = kDefaultCapacity);

    // The whole text (produced, for decimal lines).
    QByteArray text() const;
    // The text of [from, to): a pointer into the text, or into scratch where it is produced.
    const char *bytes(qsizetype from, qsizetype to, QByteArray &scratch) const;
    QByteArray textRange(qsizetype from, qsizetype to) const;
    qsizetype size() const { return m_decimal ? m_size : m_text.size(); }
    bool isEmpty() const { return size() == 0; }
    qsizetype capacity() const { return m_capacity; }

    void setText(const QByteArray &text);
    void append(const QByteArray &bytes);
    // Puts text on a line of its own: text and a line break when the pane is empty or ends in a
    // line break, otherwise a line break and text with none after it.
    void addLine(const QByteArray &text);
    // addLine of the decimal line of raw (each byte's value and '-').
    void addDecimalLine(const QByteArray &raw);
    // Whether decimal lines may be kept as their bytes (the view can measure them so).
    void setKeepDecimalBytes(bool on);

    // Held as decimal lines of bytes. Then every line but the last ends in a line break, and
    // each line's text is that of its bytes.
    bool holdsDecimalBytes() const { return m_decimal; }
    // Of a decimal line (holdsDecimalBytes): its bytes, and the text offset and index within
    // the line of the nearest byte whose number starts at or before offset, at most
    // kDecimalAnchor bytes back.
    const char *decimalLineBytes(qsizetype line, qsizetype *count) const;
    void decimalAnchor(qsizetype line, qsizetype offset, qsizetype *textOffset, qsizetype *index) const;
    static constexpr qsizetype kDecimalAnchor = 256;
    // The last of those anchors in the line whose x is at most targetX (the line's start when
    // none is), for digits and '-' of the given advances.
    void decimalAnchorBeforeX(qsizetype line, qint64 targetX, int digitAdvance, int dashAdvance,
                              qsizetype *textOffset, qint64 *x) const;
    void clear();

    // Line breaks, plus one for a last line that is not empty.
    qsizetype lineCount() const;

    // The lines as shown: one more than there are line breaks (the last may be empty).
    qsizetype displayLines() const { return qsizetype(m_lineStarts.size()); }
    qsizetype lineStart(qsizetype line) const { return m_lineStarts[size_t(line)]; }
    // Without the line break.
    qsizetype lineLength(qsizetype line) const;
    qsizetype lineOf(qsizetype offset) const;

    // Where the last change began: 0 after a set or clear, the old size after an append. The
    // view updates its measurements from there.
    qsizetype changedFrom() const { return m_changedFrom; }

    // The normalised form of bytes, as appended after a text that ends in no lone CR.
    static QByteArray normalised(const QByteArray &bytes);

private:
    bool makeRoom(qsizetype adding);
    void appendNormalised(const QByteArray &normal);
    // Makes the text `adding` bytes longer, their content unset; returns where they start.
    char *growBy(qsizetype adding);
    // addDecimalLine as plain text, its decimal text written straight into the text.
    void addDecimalText(const QByteArray &raw);
    // Turns decimal lines into plain text.
    void toPlain();
    void produce(qsizetype from, qsizetype to, char *out) const;

    QByteArray m_text;
    std::vector<std::uint32_t> m_lineStarts{0};
    // Decimal lines: their bytes one after the other, where each line's bytes start, and the
    // text offset of every kDecimalAnchor-th byte's number.
    bool m_keepDecimal = true;
    bool m_decimal = false;
    qsizetype m_size = 0;
    QByteArray m_raw;
    std::vector<std::uint32_t> m_rawLineStarts{0};
    std::vector<std::uint32_t> m_anchors;
    qsizetype m_capacity;
    qsizetype m_changedFrom = 0;
};
