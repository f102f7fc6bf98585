#include "ui/pane.h"

#include "core/codepage.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {
// How a byte is drawn: control characters get a visible mark; tab a fixed gap.
QChar displayChar(unsigned char b)
{
    if (b == '\t')
        return QChar(u' ');
    if (b < 0x20)
        return QChar(char16_t(0x25A1)); // white square
    return QChar(cp1254::toUnicode(b));
}
} // namespace

TPane::TPane(QWidget *parent) : QAbstractScrollArea(parent)
{
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
        m_advance[size_t(b)] = (b == '\t') ? fm.horizontalAdvance(QLatin1Char(' ')) * 4
                                           : fm.horizontalAdvance(displayChar(static_cast<unsigned char>(b)));
    m_lineHeight = qMax(1, fm.height());
    m_ascent = fm.ascent();
    remeasureFrom(0);
}

void TPane::changeEvent(QEvent *e)
{
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        measureFont();
        updateScrollBars();
        viewport()->update();
    }
}

// Brings the width bookkeeping up to date from a byte offset on: O(bytes from there).
void TPane::remeasureFrom(qsizetype offset)
{
    const QByteArray &t = m_text.text();
    if (offset == 0) {
        m_chunkX.clear();
        m_lastLineWidth = 0;
        m_widest = 0;
    }
    const auto *s = reinterpret_cast<const unsigned char *>(t.constData());
    const qsizetype n = t.size();
    qint64 x = m_lastLineWidth;
    for (qsizetype i = offset; i < n; ++i) {
        if (i % kChunk == 0)
            m_chunkX.push_back(x);
        const unsigned char c = s[i];
        if (c == '\r' && i + 1 < n && s[i + 1] == '\n') {
            m_widest = std::max(m_widest, x);
            x = 0;
            ++i;
            if (i % kChunk == 0)
                m_chunkX.push_back(0);
            continue;
        }
        x += m_advance[c];
    }
    m_lastLineWidth = x;
    m_widest = std::max(m_widest, x);
}

qint64 TPane::XOfOffset(qsizetype offset) const
{
    const qsizetype line = m_text.lineOf(offset);
    const qsizetype start = m_text.lineStart(line);
    const auto *s = reinterpret_cast<const unsigned char *>(m_text.text().constData());
    qsizetype from = start;
    qint64 x = 0;
    const qsizetype chunk = offset / kChunk;
    if (chunk * kChunk > start && size_t(chunk) < m_chunkX.size()) {
        from = chunk * kChunk;
        x = m_chunkX[size_t(chunk)];
    }
    for (qsizetype i = from; i < offset; ++i)
        x += m_advance[s[i]];
    return x;
}

qsizetype TPane::byteAtX(qsizetype line, qint64 targetX, qint64 *xOfByte) const
{
    const qsizetype start = m_text.lineStart(line);
    const qsizetype end = start + m_text.lineLength(line);
    const auto *s = reinterpret_cast<const unsigned char *>(m_text.text().constData());
    qsizetype i = start;
    qint64 x = 0;
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
    while (i < end && x + m_advance[s[i]] <= targetX) {
        x += m_advance[s[i]];
        ++i;
    }
    *xOfByte = x;
    return i;
}

QString TPane::displayText(qsizetype from, qsizetype to) const
{
    QString out(to - from, Qt::Uninitialized);
    const auto *s = reinterpret_cast<const unsigned char *>(m_text.text().constData());
    for (qsizetype i = from; i < to; ++i)
        out[i - from] = displayChar(s[i]);
    return out;
}

void TPane::updateScrollBars()
{
    const int visibleLines = qMax(1, viewport()->height() / m_lineHeight);
    QScrollBar *v = verticalScrollBar();
    v->setRange(0, int(qMax<qsizetype>(0, m_text.displayLines() - visibleLines)));
    v->setPageStep(visibleLines);
    v->setSingleStep(1);
    QScrollBar *h = horizontalScrollBar();
    const qint64 range = qMax<qint64>(0, m_widest + 2 - viewport()->width());
    h->setRange(0, int(qMin<qint64>(range, INT_MAX)));
    h->setPageStep(qMax(1, viewport()->width()));
    h->setSingleStep(qMax(1, m_advance['x']));
}

void TPane::SetText(const QByteArray &text)
{
    m_text.setText(text);
    remeasureFrom(m_text.changedFrom());
    m_anchor = m_caret = qMin(m_caret, m_text.size());
    updateScrollBars();
    viewport()->update();
}

void TPane::AppendText(const QByteArray &bytes)
{
    m_text.append(bytes);
    remeasureFrom(m_text.changedFrom());
    m_anchor = qMin(m_anchor, m_text.size());
    m_caret = qMin(m_caret, m_text.size());
    updateScrollBars();
    viewport()->update();
}

void TPane::AddLine(const QByteArray &line)
{
    m_text.addLine(line);
    remeasureFrom(m_text.changedFrom());
    m_anchor = qMin(m_anchor, m_text.size());
    m_caret = qMin(m_caret, m_text.size());
    updateScrollBars();
    viewport()->update();
}

void TPane::Clear()
{
    m_text.clear();
    remeasureFrom(0);
    m_anchor = m_caret = 0;
    updateScrollBars();
    viewport()->update();
}

void TPane::CaretToEnd()
{
    m_anchor = m_caret = m_text.size();
    QScrollBar *v = verticalScrollBar();
    v->setValue(v->maximum());
    QScrollBar *h = horizontalScrollBar();
    const qint64 x = m_lastLineWidth;
    const int w = viewport()->width();
    if (x < h->value() || x > h->value() + w - 2)
        h->setValue(int(qBound(qint64(0), qint64(x - w + 2 * m_advance['x']), qint64(h->maximum()))));
    viewport()->update();
}

void TPane::Select(qsizetype start, qsizetype length)
{
    m_anchor = qBound<qsizetype>(0, start, m_text.size());
    m_caret = qBound<qsizetype>(0, start + length, m_text.size());
    viewport()->update();
}

QByteArray TPane::SelectedText() const
{
    return m_text.text().mid(SelStart(), SelLength());
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
    QPainter p(viewport());
    const int firstLine = verticalScrollBar()->value();
    const int hx = horizontalScrollBar()->value();
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
        const qsizetype from = byteAtX(line, hx, &x0);
        // The bytes up to the right edge.
        qsizetype to = from;
        qint64 x = x0;
        const auto *s = reinterpret_cast<const unsigned char *>(m_text.text().constData());
        while (to < end && x < hx + w) {
            x += m_advance[s[to]];
            ++to;
        }
        // Selection background, then text.
        if (selB > selA && selA <= end && selB >= start) {
            const qsizetype a = qMax(selA, from), b = qMin(selB, to);
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
            p.drawText(QPointF(x0 - hx, y + m_ascent), displayText(from, to));
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
    return byteAtX(line, qMax(0, pos.x()) + horizontalScrollBar()->value(), &x);
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
