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

    const QByteArray &text() const { return m_text; }
    qsizetype size() const { return m_text.size(); }
    bool isEmpty() const { return m_text.isEmpty(); }
    qsizetype capacity() const { return m_capacity; }

    void setText(const QByteArray &text);
    void append(const QByteArray &bytes);
    // Puts text on a line of its own: text and a line break when the pane is empty or ends in a
    // line break, otherwise a line break and text with none after it.
    void addLine(const QByteArray &text);
    // addLine of a text that write(out) puts in place and whose length it returns: at most
    // maxLength bytes, though write may use all of maxLength as scratch. exactLength() gives the
    // length beforehand; it is asked only when the pane is near its capacity. The text must hold
    // no CR, LF or byte 0 (it is taken as it is, without normalising).
    template <typename ExactLength, typename Writer>
    void addLineInPlace(qsizetype maxLength, ExactLength &&exactLength, Writer &&write)
    {
        const bool atLineStart = m_text.isEmpty() || m_text.endsWith("\r\n");
        const bool fits = m_text.size() + maxLength + 2 <= m_capacity;
        if (!makeRoom(fits ? qsizetype(0) : exactLength() + 2))
            return;
        const qsizetype base = m_text.size();
        char *at = growBy(maxLength + 2) + (atLineStart ? 0 : 2);
        const qsizetype length = write(at);
        m_text.resize(base + length + 2);
        if (atLineStart) {
            std::memcpy(m_text.data() + base + length, "\r\n", 2);
            m_lineStarts.push_back(std::uint32_t(m_text.size()));
        } else {
            std::memcpy(m_text.data() + base, "\r\n", 2);
            m_lineStarts.push_back(std::uint32_t(base + 2));
        }
    }
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

    QByteArray m_text;
    std::vector<std::uint32_t> m_lineStarts{0};
    qsizetype m_capacity;
    qsizetype m_changedFrom = 0;
};
