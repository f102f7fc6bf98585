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

    // Every modal window that is shown (a reused dialog counts each time) is answered once
    // its own event loop runs.
    ModalAnswerer() { qApp->installEventFilter(this); }
    ~ModalAnswerer() override { qApp->removeEventFilter(this); }

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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto *w = static_cast<QWidget *>(watched);
            if (w->isWindow() && w->isModal()) {
                QPointer<QWidget> box(w);
                QTimer::singleShot(0, this, [this, box] {
                    if (box && box->isVisible())
                        answer(box);
                });
            }
        }
        return false;
    }

private:
    void answer(QWidget *box)
    {
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

    std::deque<Action> m_actions;
    int m_seen = 0;
};
