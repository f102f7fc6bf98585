#pragma once
// The containers of the windows: a panel with a grooved frame, a group box whose inner area
// begins 14 below its top and 1 inside its other edges, and a status bar with a size grip.
// Each lays out its aligned children with a TAlignLayout; other children keep their design
// positions.

#include "ui/alignlayout.h"

#include <QLabel>
#include <QWidget>

class TPanel : public QWidget {
public:
    explicit TPanel(QWidget *parent = nullptr);
    TAlignLayout *Layout() const { return m_layout; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    TAlignLayout *m_layout;
};

class TGroupBox : public QWidget {
public:
    TGroupBox(const QString &caption, QWidget *parent = nullptr);
    TAlignLayout *Layout() const { return m_layout; }
    QString Caption() const { return m_caption; }
    // The inner area in the box's own coordinates.
    QRect InnerRect() const { return rect().adjusted(1, 14, -1, -1); }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QString m_caption;
    TAlignLayout *m_layout;
};

class TStatusBar : public QWidget {
public:
    explicit TStatusBar(QWidget *parent = nullptr);
    TAlignLayout *Layout() const { return m_layout; }

protected:
    void resizeEvent(QResizeEvent *) override;

private:
    TAlignLayout *m_layout;
    QWidget *m_grip;
};
