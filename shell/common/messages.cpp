#include "shell/common/messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QDir>
#include <QPushButton>
#include <QTimer>

namespace velm::ui {
namespace {

constexpr int NoticeMilliseconds = 2500;

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
    case MessageKind::Notice: {
        auto *box = new QMessageBox(QMessageBox::Information, title, m.text, QMessageBox::Ok, parent);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
        QTimer::singleShot(NoticeMilliseconds, box, &QWidget::close);
        return Answer::Ok;
    }
    case MessageKind::Question:
        if (!m.first.isEmpty()) {
            QMessageBox box(QMessageBox::Question, title, m.text, QMessageBox::Cancel, parent);
            QPushButton *first = box.addButton(m.first, QMessageBox::YesRole);
            QPushButton *second = box.addButton(m.second, QMessageBox::NoRole);
            box.setDefaultButton(QMessageBox::Cancel);
            box.exec();
            return box.clickedButton() == first ? Answer::Yes
                : box.clickedButton() == second ? Answer::No
                                                : Answer::Cancel;
        }
        return QMessageBox::question(parent, title, m.text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
                == QMessageBox::Yes
            ? Answer::Yes
            : Answer::No;
    }
    return Answer::Ok;
}

Answer show(QWidget *parent, const Message &m)
{
    if (m.kind != MessageKind::Question && m.kind != MessageKind::Notice)
        QApplication::beep();
    return handler() ? handler()(parent, m) : realBox(parent, m);
}

Answer show(QWidget *parent, MessageKind kind, const QString &text, const QString &title)
{
    return show(parent, Message{kind, text, title, {}, {}});
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

void showSaved(QWidget *parent, const QString &path)
{
    show(parent, MessageKind::Notice, QStringLiteral("『%1』に保存しました。").arg(QDir::toNativeSeparators(path)), {});
}

bool askYesNo(QWidget *parent, const QString &text, const QString &title)
{
    return show(parent, MessageKind::Question, text, title) == Answer::Yes;
}

Answer askChoice(QWidget *parent, const QString &text, const QString &first, const QString &second,
                 const QString &title)
{
    const Answer a = show(parent, Message{MessageKind::Question, text, title, first, second});
    return a == Answer::Yes || a == Answer::No ? a : Answer::Cancel;
}

} // namespace velm::ui
