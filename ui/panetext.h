#pragma once
// The text of a pane that holds text as it is given: the sent pane and the received text pane.
//
// Setting a text normalises its line breaks (CR LF stays, a lone CR and a lone LF each become
// CR LF) and keeps it only up to its first byte 0. Appending is defined as setting the whole
// text followed by the new bytes; since the held text never ends in a lone CR, that equals
// normalising only the new bytes, so an append costs in proportion to what it adds.

#include "ui/panemodel.h"

class PaneText : public PaneModel {
public:
    explicit PaneText(qsizetype capacity = kDefaultCapacity) : PaneModel(capacity) {}

    qsizetype size() const override { return m_text.size(); }
    const char *bytes(qsizetype from, qsizetype, QByteArray &) const override { return m_text.constData() + from; }
    QByteArray textRange(qsizetype from, qsizetype to) const override { return m_text.mid(from, to - from); }
    // The whole text, without a copy.
    const QByteArray &data() const { return m_text; }

    void setText(const QByteArray &text);
    void append(const QByteArray &bytes);
    // Puts text on a line of its own: text and a line break when the pane is empty or ends in a
    // line break, otherwise a line break and text with none after it.
    void addLine(const QByteArray &text);
    void clear() override;

    // The normalised form of bytes, as appended after a text that ends in no lone CR.
    static QByteArray normalised(const QByteArray &bytes);

private:
    void appendNormalised(const QByteArray &normal);
    // Makes the text `adding` bytes longer, their content unset; returns where they start.
    char *growBy(qsizetype adding);

    QByteArray m_text;
};
