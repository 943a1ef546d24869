#include "shell/common/messages.h"

#include <QApplication>
#include <QMessageBox>

namespace velm::ui {
namespace {

MessageHandler &handler()
{
    static MessageHandler h;
    return h;
}

Answer realBox(QWidget *parent, const Message &m)
{
    const QString title = m.title.isEmpty() ? QApplication::applicationDisplayName() : m.title;
    switch (m.kind) {
    case MessageKind::Error:
        QMessageBox::critical(parent, title, m.text);
        return Answer::Ok;
    case MessageKind::Warning:
        QMessageBox::warning(parent, title, m.text);
        return Answer::Ok;
    case MessageKind::Information:
        QMessageBox::information(parent, title, m.text);
        return Answer::Ok;
    case MessageKind::Question:
        return QMessageBox::question(parent, title, m.text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
                == QMessageBox::Yes
            ? Answer::Yes
            : Answer::No;
    }
    return Answer::Ok;
}

Answer show(QWidget *parent, MessageKind kind, const QString &text, const QString &title)
{
    if (kind != MessageKind::Question)
        QApplication::beep();
    const Message m{kind, text, title};
    return handler() ? handler()(parent, m) : realBox(parent, m);
}

} // namespace

void setMessageHandler(MessageHandler h)
{
    handler() = std::move(h);
}

void showError(QWidget *parent, const QString &text, const QString &title)
{
    show(parent, MessageKind::Error, text, title);
}

void showWarning(QWidget *parent, const QString &text, const QString &title)
{
    show(parent, MessageKind::Warning, text, title);
}

void showInfo(QWidget *parent, const QString &text, const QString &title)
{
    show(parent, MessageKind::Information, text, title);
}

bool askYesNo(QWidget *parent, const QString &text, const QString &title)
{
    return show(parent, MessageKind::Question, text, title) == Answer::Yes;
}

} // namespace velm::ui
