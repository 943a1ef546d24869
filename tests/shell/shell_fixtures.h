#pragma once

// Set-up shared by the window tests: a program folder of the test's own
// holding copies of the shipped data files, and a stand-in for the user at
// every message box.

#include <functional>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include "shell/app/app.h"
#include "shell/common/messages.h"

namespace velm {

// Which of the shipped data files a scratch program folder starts with.
enum class DataFiles {
    All,     // every file of the data folder
    Program, // only what the program reads: *.Dat, *.Idx, *.html
    None,    // none: the test writes its own
};

// The names of the shipped data files of that choice.
inline QStringList dataFiles(DataFiles which = DataFiles::All)
{
    QStringList names;
    if (which == DataFiles::None)
        return names;
    for (const QString &f : QDir(QStringLiteral(VELM_DATA_DIR)).entryList(QDir::Files))
        if (which == DataFiles::All || f.endsWith(QLatin1String(".Dat"), Qt::CaseInsensitive)
            || f.endsWith(QLatin1String(".Idx"), Qt::CaseInsensitive) || f.endsWith(QLatin1String(".html")))
            names << f;
    return names;
}

// A folder of the test's own holding copies of the named data files, made
// the program's folder, so that the windows read and write there and never
// in the shipped data.
class ScratchProgram {
public:
    explicit ScratchProgram(const QStringList &files = dataFiles())
    {
        for (const QString &f : files)
            if (!QFile::copy(QStringLiteral(VELM_DATA_DIR "/") + f, filePath(f)))
                ADD_FAILURE() << "cannot copy the data file " << f.toStdString();
        setProgramFolder(path());
    }
    explicit ScratchProgram(DataFiles which)
        : ScratchProgram(dataFiles(which))
    {
    }
    ScratchProgram(const ScratchProgram &) = delete;
    ScratchProgram &operator=(const ScratchProgram &) = delete;

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// While it lives, answers every message box instead of a user and records
// it. Questions get `answer` (Ok, which counts as no, unless told), or, when
// `yesTo` is set, yes to the questions it accepts and no to the rest; every
// other box gets Ok.
class RecordedMessages {
public:
    explicit RecordedMessages(ui::Answer toQuestions = ui::Answer::Ok)
        : answer(toQuestions)
    {
        ui::setMessageHandler([this](QWidget *, const ui::Message &m) {
            texts << m.text;
            seen << m;
            if (m.kind != ui::MessageKind::Question)
                return ui::Answer::Ok;
            if (yesTo)
                return yesTo(m.text) ? ui::Answer::Yes : ui::Answer::No;
            return answer;
        });
    }
    ~RecordedMessages() { ui::setMessageHandler({}); }
    // The handler holds this object: it must stay where it is.
    RecordedMessages(const RecordedMessages &) = delete;
    RecordedMessages &operator=(const RecordedMessages &) = delete;

    // Forgets what was shown so far.
    void clear()
    {
        texts.clear();
        seen.clear();
    }
    // Whether some box so far had `part` in its text.
    bool saw(const QString &part) const
    {
        for (const QString &t : texts)
            if (t.contains(part))
                return true;
        return false;
    }
    // Every text so far in one line, for a check or a failure's note.
    QString all(const QString &separator = QStringLiteral("|")) const { return texts.join(separator); }

    QStringList texts;      // the text of each box, in order
    QList<ui::Message> seen; // each box whole: kind, text and title
    ui::Answer answer;
    std::function<bool(const QString &question)> yesTo;
};

// Waits, hearing events, for a window's run on its worker thread to end;
// false when it has not ended within a minute.
template <class Window>
bool runEnds(const Window &window)
{
    return QTest::qWaitFor([&] { return !window.running(); }, 60000);
}

} // namespace velm
