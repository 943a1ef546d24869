#pragma once

// The journal of readings: "記録に残す" (TJournalEditF), the dialog that
// keeps a chart with what was asked, and the journal window TJournalF ("記録"):
// the entries newest first, a search box and filters, the chosen entry with
// thumbnails of its charts as recorded, its outcomes and look-back dates,
// and notes written from the keyboard. Every change goes straight into
// "VELM.db".

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QDialog>
#include <QObject>
#include <QString>
#include <QWidget>

#include "output/journal.h"

class QAbstractItemModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace velm {

// The journal of the program folder, opened on first use and kept open.
class JournalAccess : public QObject {
    Q_OBJECT
public:
    explicit JournalAccess(QString folder, QObject *parent = nullptr);
    ~JournalAccess() override;
    QString databasePath() const;
    const QString &folder() const { return m_folder; }
    // Null after a message over `parent` when the file cannot be used; the
    // next call tries again.
    Journal *journal(QWidget *parent);
    void notifyChanged() { emit changed(); }

signals:
    void changed();

private:
    QString m_folder;
    std::unique_ptr<Journal> m_journal;
};

// "記録に残す": the moment and options come filled from the chart; the user
// writes the question, the matter, direction, place and people, the notes,
// the tags and the look-back dates. Ctrl+Enter keeps it.
class TJournalEditF : public QDialog {
    Q_OBJECT
public:
    TJournalEditF(const JournalEntry &draft, const QStringList &places, QWidget *parent = nullptr);

    // The entry as written; valid after accept().
    const JournalEntry &entry() const { return m_entry; }
    void accept() override;

    QLineEdit *QuestionE() const { return m_question; }
    QLineEdit *MatterE() const { return m_matter; }
    QComboBox *DirectionCB() const { return m_direction; }
    QComboBox *PlaceCB() const { return m_place; }
    QLineEdit *PeopleE() const { return m_people; }
    QLineEdit *TagsE() const { return m_tags; }
    QPlainTextEdit *NoteE() const { return m_note; }
    QCheckBox *RemindCB(int months) const;

private:
    JournalEntry m_entry;
    QLineEdit *m_question = nullptr;
    QLineEdit *m_matter = nullptr;
    QComboBox *m_direction = nullptr;
    QComboBox *m_place = nullptr;
    QLineEdit *m_people = nullptr;
    QLineEdit *m_tags = nullptr;
    QPlainTextEdit *m_note = nullptr;
    std::array<QCheckBox *, 3> m_remind{};
};

// "１年、２年" style lists: texts separated by "、", ",", "，" or blanks.
std::vector<std::string> splitList(const QString &text);
// The calendar options of an entry in one line ("精密・Asia/Tokyo・飛宮式 …").
QString journalOptionsText(const JournalEntry &entry);

class TJournalF : public QWidget {
    Q_OBJECT
public:
    explicit TJournalF(JournalAccess &access, QWidget *parent = nullptr);
    ~TJournalF() override;

    void showJournal();
    // The list again from the search box and filters, keeping the chosen entry.
    void reload();
    // Shows the entry of `id` (selecting its row when listed).
    void selectEntry(const QString &id);
    // The chosen entry's id, empty for none.
    QString selectedId() const;
    const std::optional<JournalEntry> &shownEntry() const { return m_shown; }
    // Only the entries with a look-back due today or earlier.
    void showDue();
    // The list holds the newest entries up to this many until "すべて表示"
    // (a search or filter reaches every entry all the same), so that the
    // window opens at once on a journal of years.
    static constexpr int ListedAtFirst = 1000;
    void showAllClick();

    void OpenBtnClick();
    void DelBtnClick();
    void SaveNoteClick();
    void AddOutcomeClick();
    void RemindClick(int months); // 0: the date in RemindE
    void DoneClick();
    void ExportClick();
    void ImportClick();
    void IcsClick();

    QLineEdit *SearchE() const { return m_search; }
    QLineEdit *FromE() const { return m_from; }
    QLineEdit *ToE() const { return m_to; }
    QLineEdit *FilterE(int which) const; // 0 matter, 1 direction, 2 place, 3 person, 4 tag
    QCheckBox *DueCB() const { return m_dueOnly; }
    QTableView *EntryGrid() const { return m_grid; }
    QLabel *DetailL() const { return m_detail; }
    QPlainTextEdit *NoteE() const { return m_note; }
    QLineEdit *OutcomeE() const { return m_outcome; }
    QLineEdit *OutcomeDateE() const { return m_outcomeDate; }
    QListWidget *OutcomeList() const { return m_outcomes; }
    QListWidget *ReminderList() const { return m_reminders; }
    QLineEdit *RemindE() const { return m_remindDate; }
    QWidget *Thumbs() const { return m_thumbs; }
    // "起動時に知らせる": the look-backs due announced when the program starts.
    QCheckBox *StartCB() const { return m_startCB; }
    int rowCount() const;

    // Opens the entry's charts: with its stored options, and with today's
    // numbers or, when `recordedScores`, the scores it recorded.
    std::function<void(const JournalEntry &entry, bool recordedScores)> openCharts;
    // The numbers file's hash today, to compare with the entry's.
    std::function<std::string()> numbersHash;
    // Seams for the file dialogs (empty: cancelled).
    std::function<QString(QWidget *parent, const QString &suggested)> saveFileName;
    std::function<QString(QWidget *parent)> openFileName;
    // Today, "YYYY-MM-DD" (tests fix it).
    std::function<QString()> today;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showEntry(const QString &id);
    void changed(const std::string &error);
    Journal *journal();

    JournalAccess &m_access;
    std::optional<JournalEntry> m_shown;
    QLineEdit *m_search = nullptr;
    QLineEdit *m_from = nullptr;
    QLineEdit *m_to = nullptr;
    std::array<QLineEdit *, 5> m_filters{};
    QCheckBox *m_dueOnly = nullptr;
    QTableView *m_grid = nullptr;
    QAbstractItemModel *m_model = nullptr;
    QLabel *m_detail = nullptr;
    QWidget *m_thumbs = nullptr;
    QPlainTextEdit *m_note = nullptr;
    QLineEdit *m_outcomeDate = nullptr;
    QLineEdit *m_outcome = nullptr;
    QListWidget *m_outcomes = nullptr;
    QListWidget *m_reminders = nullptr;
    QLineEdit *m_remindDate = nullptr;
    QLabel *m_count = nullptr;
    QCheckBox *m_startCB = nullptr;
    QPushButton *m_allBtn = nullptr;
    bool m_showAll = false;
};

} // namespace velm
