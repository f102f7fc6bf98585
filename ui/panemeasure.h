#pragma once
// Measuring a pane's text in pixels, for its view: the width of the widest line, and places in a
// line (a byte offset and its x) from which the view walks, adding the advances of the bytes
// after it, to the x of any offset or the offset at any x. Each kind of pane text has its own:
// TextMeasure keeps the x of every kChunk-th byte of a text; DecimalMeasure measures decimal
// lines from the received bytes behind them, by counting where every digit is as wide as the
// others. Both follow their text as it grows and start again after it was set or cleared.

#include "ui/decimallines.h"
#include "ui/panetext.h"

#include <array>

// The advance of each byte's character, in pixels.
using Advances = std::array<int, 256>;

class PaneMeasure {
public:
    virtual ~PaneMeasure() = default;
    // New advances: everything is measured again.
    virtual void setAdvances(const Advances &advance) = 0;
    // Measures what the text gained since the last call.
    virtual void follow() = 0;
    qint64 widest() const { return m_widest; }
    // A place in the line at or before offset.
    virtual void startFor(qsizetype line, qsizetype offset, qsizetype *from, qint64 *x) const = 0;
    // The last place in the line whose x is at most targetX (the line's start when none is).
    virtual void startBeforeX(qsizetype line, qint64 targetX, qsizetype *from, qint64 *x) const = 0;
    // How many bytes a walk from such a place may have to go at most.
    virtual qsizetype walkLimit() const = 0;

protected:
    qint64 m_widest = 0;
    quint64 m_seenResets = ~quint64(0);
};

class TextMeasure : public PaneMeasure {
public:
    static constexpr qsizetype kChunk = 4096;
    explicit TextMeasure(const PaneText &text) : m_text(text) {}
    void setAdvances(const Advances &advance) override;
    void follow() override;
    void startFor(qsizetype line, qsizetype offset, qsizetype *from, qint64 *x) const override;
    void startBeforeX(qsizetype line, qint64 targetX, qsizetype *from, qint64 *x) const override;
    qsizetype walkLimit() const override { return kChunk; }

private:
    const PaneText &m_text;
    Advances m_advance{};
    std::vector<std::int16_t> m_pairAdvance; // advance of two bytes at once, indexed lo | hi << 8
    std::vector<qint64> m_chunkX;            // x (within its line) of every kChunk-th byte
    qint64 m_lastLineWidth = 0;
    qsizetype m_measuredTo = 0;
};

class DecimalMeasure : public PaneMeasure {
public:
    explicit DecimalMeasure(const DecimalLines &lines) : m_lines(lines) {}
    void setAdvances(const Advances &advance) override;
    void follow() override;
    void startFor(qsizetype line, qsizetype offset, qsizetype *from, qint64 *x) const override;
    void startBeforeX(qsizetype line, qint64 targetX, qsizetype *from, qint64 *x) const override;
    qsizetype walkLimit() const override { return 4 * DecimalLines::kAnchor + 4; }

private:
    // The x of anchor k within its line.
    qint64 anchorX(qsizetype line, qsizetype k) const;

    const DecimalLines &m_lines;
    // The width of each byte's number and its '-'.
    std::array<qint64, 256> m_numberWidth{};
    // Where every digit is as wide as the others (else -1), a line's width and an anchor's x
    // follow from counting characters; otherwise each anchor's x is kept as it is measured.
    int m_digitAdvance = -1;
    int m_dashAdvance = 0;
    std::vector<qint64> m_anchorX;
    qsizetype m_measuredLines = 0;
};
