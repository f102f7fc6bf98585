#include "ui/pane.h"

#include "core/codepage.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>
#include <cstring>

namespace {
constexpr int kPad = 2; // text starts this far inside the pane's left edge

// A tab is drawn as a fixed gap of four blanks.
constexpr const char *kTabText = "    ";

// How a byte is drawn: control characters get a visible mark.
QChar displayChar(unsigned char b)
{
    if (b < 0x20 && b != '\t')
        return QChar(char16_t(0x25A1)); // white square
    return QChar(cp1254::toUnicode(b));
}
} // namespace

TPane::TPane(QWidget *parent) : QAbstractScrollArea(parent), m_viewTimer(new QTimer(this))
{
    m_viewTimer->setSingleShot(true);
    m_viewTimer->setInterval(kViewDelayMs);
    connect(m_viewTimer, &QTimer::timeout, this, [this] { FlushView(); });
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    measureFont();
    updateScrollBars();
}

void TPane::measureFont()
{
    QFont f = font();
    f.setKerning(false);
    viewport()->setFont(f);
    const QFontMetrics fm(f);
    for (int b = 0; b < 256; ++b)
        m_advance[size_t(b)] = (b == '\t') ? fm.horizontalAdvance(QLatin1String(kTabText))
                                           : fm.horizontalAdvance(displayChar(static_cast<unsigned char>(b)));
    m_pairAdvance.resize(65536);
    for (int lo = 0; lo < 256; ++lo)
        for (int hi = 0; hi < 256; ++hi)
            m_pairAdvance[size_t(lo | hi << 8)] = std::int16_t(m_advance[size_t(lo)] + m_advance[size_t(hi)]);
    // The glyph of each byte, found the way text layout finds it, fallback fonts included.
    m_glyphFonts.clear();
    for (int b = 0; b < 256; ++b) {
        m_glyphFont[size_t(b)] = -1;
        if (b == '\t')
            continue;
        QTextLayout layout(QString(displayChar(static_cast<unsigned char>(b))), f);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        if (runs.isEmpty() || runs.first().glyphIndexes().isEmpty())
            continue;
        const QRawFont raw = runs.first().rawFont();
        auto it = std::find(m_glyphFonts.begin(), m_glyphFonts.end(), raw);
        if (it == m_glyphFonts.end())
            it = m_glyphFonts.insert(m_glyphFonts.end(), raw);
        m_glyphFont[size_t(b)] = std::int8_t(it - m_glyphFonts.begin());
        m_glyph[size_t(b)] = runs.first().glyphIndexes().first();
    }
    m_runGlyphs.assign(m_glyphFonts.size(), {});
    m_runPositions.assign(m_glyphFonts.size(), {});
    m_digitAdvance = m_advance['0'];
    for (int d = '1'; d <= '9'; ++d)
        if (m_advance[size_t(d)] != m_digitAdvance)
            m_digitAdvance = -1;
    m_dashAdvance = m_advance['-'];
    m_minAdvance = std::max(1, *std::min_element(m_advance.begin(), m_advance.end()));
    // Decimal lines are kept as their bytes only where they can be measured by counting.
    m_text.setKeepDecimalBytes(m_digitAdvance >= 0);
    m_lineHeight = qMax(1, fm.height());
    m_ascent = fm.ascent();
    m_measuredTo = 0;
    remeasureFrom(0);
    m_measuredTo = m_text.size();
}

void TPane::changeEvent(QEvent *e)
{
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        measureFont();
        FlushView();
    }
}

// Brings the width bookkeeping up to date from a byte offset on: O(bytes from there). Line
// breaks are found with memchr so that the inner loop only adds advances.
void TPane::ensureMeasured() const
{
    if (m_measuredTo < m_text.size()) {
        remeasureFrom(m_measuredTo);
        m_measuredTo = m_text.size();
    }
}

void TPane::remeasureFrom(qsizetype offset) const
{
    if (offset == 0) {
        m_chunkX.clear();
        m_lastLineWidth = 0;
        m_widest = 0;
    }
    if (m_text.holdsDecimalBytes()) {
        // Each new line is whole: its width is a count of digits and of dashes (one a byte).
        for (qsizetype line = m_text.lineOf(offset); line < m_text.displayLines(); ++line) {
            qsizetype count = 0;
            m_text.decimalLineBytes(line, &count);
            const qsizetype chars = m_text.lineLength(line);
            m_lastLineWidth = qint64(chars - count) * m_digitAdvance + qint64(count) * m_dashAdvance;
            m_widest = std::max(m_widest, m_lastLineWidth);
        }
        return;
    }
    const QByteArray &t = m_text.text();
    const auto *s = reinterpret_cast<const unsigned char *>(t.constData());
    const qsizetype n = t.size();
    const int *adv = m_advance.data();
    const std::int16_t *adv2 = m_pairAdvance.data();
    qint64 x = m_lastLineWidth;
    qsizetype i = offset;
    while (i < n) {
        if ((i & (kChunk - 1)) == 0)
            m_chunkX.push_back(x);
        const qsizetype chunkEnd = std::min(n, (i | (kChunk - 1)) + 1);
        const void *cr = std::memchr(s + i, '\r', size_t(chunkEnd - i));
        const qsizetype stop = cr ? static_cast<const unsigned char *>(cr) - s : chunkEnd;
        qint64 a = 0, b = 0;
        qsizetype k = i;
        for (; k + 3 < stop; k += 4) {
            a += adv2[s[k] | s[k + 1] << 8];
            b += adv2[s[k + 2] | s[k + 3] << 8];
        }
        for (; k < stop; ++k)
            a += adv[s[k]];
        x += a + b;
        i = stop;
        if (i < chunkEnd) { // at a CR
            if (i + 1 < n && s[i + 1] == '\n') {
                m_widest = std::max(m_widest, x);
                x = 0;
                if (((i + 1) & (kChunk - 1)) == 0)
                    m_chunkX.push_back(0); // the LF opens a chunk
                i += 2;
            } else {
                x += adv['\r'];
                ++i;
            }
        }
    }
    m_lastLineWidth = x;
    m_widest = std::max(m_widest, x);
}

qint64 TPane::XOfOffset(qsizetype offset) const
{
    ensureMeasured();
    const qsizetype line = m_text.lineOf(offset);
    const qsizetype start = m_text.lineStart(line);
    qsizetype from = start;
    qint64 x = 0;
    if (m_text.holdsDecimalBytes()) {
        qsizetype index = 0;
        m_text.decimalAnchor(line, offset, &from, &index);
        x = qint64(from - start - index) * m_digitAdvance + qint64(index) * m_dashAdvance;
    } else {
        const qsizetype chunk = offset / kChunk;
        if (chunk * kChunk > start && size_t(chunk) < m_chunkX.size()) {
            from = chunk * kChunk;
            x = m_chunkX[size_t(chunk)];
        }
    }
    const auto *s = reinterpret_cast<const unsigned char *>(m_text.bytes(from, offset, m_scratch));
    for (qsizetype i = 0; i < offset - from; ++i)
        x += m_advance[s[i]];
    return x;
}

qsizetype TPane::byteAtX(qsizetype line, qint64 targetX, qint64 *xOfByte) const
{
    ensureMeasured();
    const qsizetype start = m_text.lineStart(line);
    const qsizetype end = start + m_text.lineLength(line);
    qsizetype i = start;
    qint64 x = 0;
    if (m_text.holdsDecimalBytes()) {
        m_text.decimalAnchorBeforeX(line, targetX, m_digitAdvance, m_dashAdvance, &i, &x);
    } else {
        // Jump by chunks within the line.
        qsizetype firstChunk = (start + kChunk - 1) / kChunk;
        qsizetype lastChunk = std::min<qsizetype>(end / kChunk, qsizetype(m_chunkX.size()) - 1);
        if (firstChunk <= lastChunk) {
            qsizetype lo = firstChunk, hi = lastChunk, best = -1;
            while (lo <= hi) {
                const qsizetype mid = (lo + hi) / 2;
                if (m_chunkX[size_t(mid)] <= targetX) {
                    best = mid;
                    lo = mid + 1;
                } else {
                    hi = mid - 1;
                }
            }
            if (best >= 0) {
                i = best * kChunk;
                x = m_chunkX[size_t(best)];
            }
        }
    }
    // From there at most a chunk, or an anchor's worth of numbers (four characters a byte), to walk.
    const qsizetype walk = m_text.holdsDecimalBytes() ? 4 * PaneText::kDecimalAnchor + 4 : kChunk;
    const qsizetype walkEnd = std::min(end, i + walk);
    const qsizetype base = i;
    const auto *s = reinterpret_cast<const unsigned char *>(m_text.bytes(base, walkEnd, m_scratch));
    while (i < walkEnd && x + m_advance[s[i - base]] <= targetX) {
        x += m_advance[s[i - base]];
        ++i;
    }
    *xOfByte = x;
    return i;
}

void TPane::drawBytes(QPainter &p, const unsigned char *s, qsizetype count, qreal x, qreal baseline) const
{
    for (auto &g : m_runGlyphs)
        g.clear();
    for (auto &pos : m_runPositions)
        pos.clear();
    for (qsizetype i = 0; i < count; ++i) {
        const unsigned char b = s[i];
        const int f = m_glyphFont[b];
        if (f >= 0) {
            m_runGlyphs[size_t(f)].push_back(m_glyph[b]);
            m_runPositions[size_t(f)].emplace_back(x, 0);
        }
        x += m_advance[b];
    }
    for (size_t f = 0; f < m_glyphFonts.size(); ++f) {
        if (m_runGlyphs[f].empty())
            continue;
        QGlyphRun run;
        run.setRawFont(m_glyphFonts[f]);
        run.setRawData(m_runGlyphs[f].data(), m_runPositions[f].data(), int(m_runGlyphs[f].size()));
        p.drawGlyphRun(QPointF(0, baseline), run);
    }
}

void TPane::updateScrollBars()
{
    ensureMeasured();
    const int visibleLines = qMax(1, viewport()->height() / m_lineHeight);
    QScrollBar *v = verticalScrollBar();
    v->setRange(0, int(qMax<qsizetype>(0, m_text.displayLines() - visibleLines)));
    v->setPageStep(visibleLines);
    v->setSingleStep(1);
    QScrollBar *h = horizontalScrollBar();
    const qint64 range = qMax<qint64>(0, m_widest + 2 * kPad - viewport()->width());
    h->setRange(0, int(qMin<qint64>(range, INT_MAX)));
    h->setPageStep(qMax(1, viewport()->width()));
    h->setSingleStep(qMax(1, m_advance['x']));
}

void TPane::textChanged()
{
    if (m_text.changedFrom() == 0) { // set or cleared: measure it all again
        m_measuredTo = 0;
        m_chunkX.clear();
        m_lastLineWidth = 0;
        m_widest = 0;
    }
    m_anchor = qMin(m_anchor, m_text.size());
    m_caret = qMin(m_caret, m_text.size());
    if (!m_viewTimer->isActive())
        m_viewTimer->start();
}

void TPane::FlushView()
{
    m_viewTimer->stop();
    updateScrollBars();
    if (m_scrollToCaret)
        scrollToCaret();
    viewport()->update();
}

void TPane::SetText(const QByteArray &text)
{
    m_text.setText(text);
    textChanged();
}

void TPane::AppendText(const QByteArray &bytes)
{
    m_text.append(bytes);
    textChanged();
}

void TPane::AddLine(const QByteArray &line)
{
    m_text.addLine(line);
    textChanged();
}

void TPane::Clear()
{
    m_text.clear();
    m_anchor = m_caret = 0;
    textChanged();
}

void TPane::CaretToEnd()
{
    m_anchor = m_caret = m_text.size();
    m_scrollToCaret = true;
    if (!m_viewTimer->isActive())
        m_viewTimer->start();
}

void TPane::scrollToCaret()
{
    m_scrollToCaret = false;
    QScrollBar *v = verticalScrollBar();
    const qsizetype caretLine = m_text.lineOf(m_caret);
    const int visible = qMax(1, viewport()->height() / m_lineHeight);
    if (caretLine < v->value())
        v->setValue(int(caretLine));
    else if (caretLine >= v->value() + visible)
        v->setValue(int(caretLine - visible + 1));
    QScrollBar *h = horizontalScrollBar();
    const qint64 x = XOfOffset(m_caret);
    const int w = viewport()->width();
    if (x < h->value() || x > h->value() + w - 2)
        h->setValue(int(qBound(qint64(0), qint64(x - w + 2 * m_advance['x']), qint64(h->maximum()))));
}

void TPane::Select(qsizetype start, qsizetype length)
{
    m_anchor = qBound<qsizetype>(0, start, m_text.size());
    m_caret = qBound<qsizetype>(0, start + length, m_text.size());
    viewport()->update();
}

QByteArray TPane::SelectedText() const
{
    return m_text.textRange(SelStart(), SelStart() + SelLength());
}

void TPane::CopySelection() const
{
    if (SelLength() == 0)
        return;
    QString text = cp1254::toUnicode(SelectedText());
#ifndef Q_OS_WIN
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
#endif
    QApplication::clipboard()->setText(text);
}

void TPane::resizeEvent(QResizeEvent *e)
{
    QAbstractScrollArea::resizeEvent(e);
    updateScrollBars();
}

void TPane::paintEvent(QPaintEvent *)
{
    ensureMeasured();
    QPainter p(viewport());
    const int firstLine = verticalScrollBar()->value();
    const int hx = horizontalScrollBar()->value() - kPad; // drawn x = text x - hx
    const int w = viewport()->width();
    const int rows = viewport()->height() / m_lineHeight + 1;
    const qsizetype selA = SelStart(), selB = SelStart() + SelLength();
    const QPalette &pal = palette();

    for (int r = 0; r < rows; ++r) {
        const qsizetype line = firstLine + r;
        if (line >= m_text.displayLines())
            break;
        const int y = r * m_lineHeight;
        const qsizetype start = m_text.lineStart(line);
        const qsizetype end = start + m_text.lineLength(line);
        qint64 x0 = 0;
        const qsizetype from = byteAtX(line, qMax(0, hx), &x0);
        // The bytes up to the right edge: no more than the narrowest character fills.
        const qsizetype most = std::min(end, from + w / m_minAdvance + 2);
        const auto *s = reinterpret_cast<const unsigned char *>(m_text.bytes(from, most, m_scratch)) - from;
        qsizetype to = from;
        qint64 x = x0;
        while (to < most && x < hx + w) {
            x += m_advance[s[to]];
            ++to;
        }
        // Selection background, then text.
        if (selB > selA && selA <= end && selB >= start) {
            const qsizetype a = qBound(from, selA, to), b = qMin(selB, to);
            qint64 xa = x0, xb = x0;
            for (qsizetype i = from; i < a; ++i)
                xa += m_advance[s[i]];
            xb = xa;
            for (qsizetype i = a; i < b; ++i)
                xb += m_advance[s[i]];
            if (selB > end && to == end)
                xb += m_advance[' '];
            if (xb > xa)
                p.fillRect(QRectF(xa - hx, y, xb - xa, m_lineHeight), pal.brush(QPalette::Highlight));
        }
        if (to > from) {
            p.setPen(pal.color(QPalette::Text));
            drawBytes(p, s + from, to - from, qreal(x0 - hx), qreal(y + m_ascent));
        }
    }
    // The caret, when the pane has the focus.
    if (hasFocus() && SelLength() == 0) {
        const qsizetype line = m_text.lineOf(m_caret);
        const int r = int(line) - firstLine;
        if (r >= 0 && r < rows) {
            const qint64 cx = XOfOffset(m_caret) - hx;
            p.fillRect(QRectF(cx, r * m_lineHeight, 1, m_lineHeight), pal.brush(QPalette::Text));
        }
    }
}

qsizetype TPane::offsetAt(const QPoint &pos) const
{
    qsizetype line = verticalScrollBar()->value() + pos.y() / m_lineHeight;
    if (pos.y() < 0)
        line = verticalScrollBar()->value() - 1;
    if (line < 0)
        return 0;
    if (line >= m_text.displayLines())
        return m_text.size();
    qint64 x;
    return byteAtX(line, qMax(0, pos.x() - kPad + horizontalScrollBar()->value()), &x);
}

void TPane::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(e);
    setFocus(Qt::MouseFocusReason);
    m_caret = offsetAt(e->position().toPoint());
    if (!(e->modifiers() & Qt::ShiftModifier))
        m_anchor = m_caret;
    viewport()->update();
}

void TPane::mouseMoveEvent(QMouseEvent *e)
{
    if (!(e->buttons() & Qt::LeftButton))
        return;
    m_caret = offsetAt(e->position().toPoint());
    viewport()->update();
}

void TPane::keyPressEvent(QKeyEvent *e)
{
    if (e->matches(QKeySequence::Copy)) {
        CopySelection();
        return;
    }
    if (e->matches(QKeySequence::SelectAll)) {
        Select(0, m_text.size());
        return;
    }
    QScrollBar *v = verticalScrollBar();
    QScrollBar *h = horizontalScrollBar();
    switch (e->key()) {
    case Qt::Key_Up: v->setValue(v->value() - 1); return;
    case Qt::Key_Down: v->setValue(v->value() + 1); return;
    case Qt::Key_PageUp: v->setValue(v->value() - v->pageStep()); return;
    case Qt::Key_PageDown: v->setValue(v->value() + v->pageStep()); return;
    case Qt::Key_Left: h->setValue(h->value() - h->singleStep()); return;
    case Qt::Key_Right: h->setValue(h->value() + h->singleStep()); return;
    case Qt::Key_Home:
        if (e->modifiers() & Qt::ControlModifier)
            v->setValue(0);
        h->setValue(0);
        return;
    case Qt::Key_End:
        if (e->modifiers() & Qt::ControlModifier)
            CaretToEnd();
        else
            h->setValue(h->maximum());
        return;
    default: break;
    }
    QAbstractScrollArea::keyPressEvent(e);
}

void TPane::contextMenuEvent(QContextMenuEvent *e)
{
    if (m_popup) {
        m_popup->popup(e->globalPos());
        return;
    }
    QMenu menu(this);
    QAction *copy = menu.addAction(QStringLiteral("Copy"), this, [this] { CopySelection(); });
    copy->setEnabled(SelLength() > 0);
    menu.addAction(QStringLiteral("Select All"), this, [this] { Select(0, m_text.size()); });
    menu.exec(e->globalPos());
}
