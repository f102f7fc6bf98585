#pragma once
// Answers modal boxes in widget tests: while armed, each modal widget that opens is handed to
// the next action in the queue (which records it and closes it). An action may be left out,
// in which case the box is rejected.

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>

class ModalAnswerer : public QObject {
public:
    using Action = std::function<void(QWidget *box)>;

    ModalAnswerer()
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

    // Queues what to do with the next modal box.
    void then(Action action) { m_actions.push_back(std::move(action)); }

    int seen() const { return m_seen; }
    QStringList texts; // the label texts of each box seen

    static QString textOf(QWidget *box)
    {
        if (auto *mb = qobject_cast<QMessageBox *>(box))
            return mb->text();
        QStringList parts;
        for (QLabel *l : box->findChildren<QLabel *>())
            if (!l->text().isEmpty())
                parts << l->text();
        return parts.join(u'\n');
    }

private:
    void poll()
    {
        QWidget *box = QApplication::activeModalWidget();
        if (!box || box == m_last)
            return;
        m_last = box;
        ++m_seen;
        texts << textOf(box);
        Action action;
        if (!m_actions.empty()) {
            action = std::move(m_actions.front());
            m_actions.pop_front();
        }
        QPointer<QWidget> guard(box);
        if (action)
            action(box);
        if (guard && guard->isVisible())
            if (auto *d = qobject_cast<QDialog *>(guard.data()))
                d->reject();
    }

    QTimer m_timer;
    std::deque<Action> m_actions;
    QPointer<QWidget> m_last;
    int m_seen = 0;
};
