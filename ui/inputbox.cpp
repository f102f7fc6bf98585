#include "ui/inputbox.h"

#include "ui/edit.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TInputForm::TInputForm(const QString &caption, const QString &prompt, const QByteArray &value, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    const DialogUnits du = dialogUnits(font());
    const QFontMetrics fm(font());

    m_prompt = new QLabel(prompt, this);
    m_prompt->setTextFormat(Qt::PlainText);
    m_prompt->setWordWrap(true);
    const QSize promptSize = wrappedTextSize(font(), prompt, MulDiv(164, du.x, 4));

    m_edit = new TEdit(this);
    m_edit->setObjectName(QStringLiteral("Edit"));
    m_edit->setMaxLength(qMax<int>(kInputMaxTyped, int(value.size())));
    m_edit->SetText(value);
    m_edit->selectAll();
    const int editHeight = fm.height() + 8;

    const InputBoxLayout l = inputBoxLayout(du, promptSize, editHeight);
    m_prompt->setGeometry(l.prompt);
    m_edit->setGeometry(l.edit);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OK"));
    m_ok->setGeometry(l.ok);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("Cancel"));
    m_cancel->setGeometry(l.cancel);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(m_edit, m_ok);
    setTabOrder(m_ok, m_cancel);
    setFixedSize(l.client);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    m_edit->setFocus();
}

bool InputQuery(const QString &caption, const QString &prompt, QByteArray &value)
{
    TInputForm form(caption, prompt, value, QApplication::activeWindow());
    if (form.exec() != QDialog::Accepted)
        return false;
    value = form.Edit()->Text();
    return true;
}

QByteArray InputBox(const QString &caption, const QString &prompt, const QByteArray &initial)
{
    QByteArray result = initial;
    InputQuery(caption, prompt, result);
    return result;
}
