#pragma once

// Every message box of the program goes through here, so tests can answer
// them instead of a user (a test that left a modal box open would hang).

#include <functional>

#include <QString>

class QWidget;

namespace velm::ui {

// Notice: a short confirmation that closes by itself and waits for no one.
enum class MessageKind { Error, Warning, Information, Question, Notice };
enum class Answer { Ok, Yes, No, Cancel };

struct Message {
    MessageKind kind = MessageKind::Information;
    QString text;
    QString title;
    // A question between two named answers (Yes for the first, No for the
    // second) that can be cancelled; empty for a plain yes/no.
    QString first;
    QString second;
};

using MessageHandler = std::function<Answer(QWidget *parent, const Message &message)>;

// Replaces the handler (tests); an empty handler restores the real boxes.
void setMessageHandler(MessageHandler handler);

// A beep, then the box. The title is the application's unless given.
void showError(QWidget *parent, const QString &text, const QString &title = {});
void showWarning(QWidget *parent, const QString &text, const QString &title = {});
void showInfo(QWidget *parent, const QString &text, const QString &title = {});
// "『path』に保存しました。": a short confirmation after a file was written,
// which closes by itself.
void showSaved(QWidget *parent, const QString &path);
// Yes/no; any answer other than yes counts as no.
bool askYesNo(QWidget *parent, const QString &text, const QString &title = {});
// One of two named answers: Yes for `first`, No for `second`; any other
// answer (the box closed) is Cancel.
Answer askChoice(QWidget *parent, const QString &text, const QString &first, const QString &second,
                 const QString &title = {});

} // namespace velm::ui
