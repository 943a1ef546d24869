#pragma once

// The people TPeopleF ("人物"): the people whose nine-star directions are
// judged, with their 本命星 and 月命星 read from the birth moment on the
// calendar clock of the settings; adding, changing and removing them; and
// who is going on the move being planned (the check box of each row), whose
// bad directions the chart windows mark and the walks can leave out. Every
// change goes straight into "VELM.db".

#include <functional>
#include <optional>

#include <QDialog>
#include <QWidget>

#include "engine/koyomi.h"
#include "output/people.h"
#include "shell/places/placeaccess.h"

class QComboBox;
class QDateEdit;
class QLineEdit;
class QTableWidget;
class QTimeEdit;

namespace velm {

// Adding a person, or changing one.
class TPersonEditF : public QDialog {
    Q_OBJECT
public:
    TPersonEditF(const std::vector<Place> &places, const std::optional<Person> &editing, QWidget *parent = nullptr);

    // The person as entered; valid after accept().
    const Person &person() const { return m_person; }
    void accept() override;

    QLineEdit *NameE() const { return m_nameE; }
    QDateEdit *BirthDateE() const { return m_dateE; }
    QTimeEdit *BirthTimeE() const { return m_timeE; }
    QComboBox *HomeCB() const { return m_homeCB; }
    QLineEdit *NoteE() const { return m_noteE; }

private:
    Person m_person;
    QLineEdit *m_nameE = nullptr;
    QDateEdit *m_dateE = nullptr;
    QTimeEdit *m_timeE = nullptr;
    QComboBox *m_homeCB = nullptr;
    QLineEdit *m_noteE = nullptr;
};

class TPeopleF : public QWidget {
    Q_OBJECT
public:
    // `calendar` gives the calendar options the birth moments are read with.
    TPeopleF(PlaceAccess &places, std::function<KoyomiOptions()> calendar, QWidget *parent = nullptr);

    void showPeople();
    // The list from the book; the people going published to GoingPeople.
    void reload();
    void AddBtnClick();
    void EditBtnClick();
    void DelBtnClick();
    // The going marks of the rows written to the book.
    void saveGoing();
    QString selectedName() const;

    QTableWidget *PeopleGrid() const { return m_grid; }

    // Made for each add or edit; tests fill it in and accept or reject.
    std::function<int(TPersonEditF &dialog)> runDialog;

private:
    People *people();
    void changed(const std::string &error);

    PlaceAccess &m_access;
    std::function<KoyomiOptions()> m_calendar;
    std::optional<People> m_people;
    QTableWidget *m_grid = nullptr;
    bool m_filling = false;
};

// The people marked going in the book, with their stars on the calendar of
// `options`; published to GoingPeople. Silent: a book that cannot be opened
// leaves nobody going (the windows say why when they open it).
void publishGoingPeople(PlaceAccess &places, const KoyomiOptions &options);

} // namespace velm
