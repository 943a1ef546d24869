#pragma once

// The people whose directions are judged: name, birth moment, optional home
// place and note, and whether they go on the move being planned ("going").
// They live in "VELM.db" beside the places (PlaceBook opens and migrates
// the file); every change is one transaction.
//
// The birth moment is kept as it was entered ("YYYY-MM-DDTHH:MM", civil
// time) and read on the calendar clock of the options in force whenever
// the stars are wanted, as every entered moment is.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/datetime.h"
#include "engine/koyomi.h"
#include "evaluation/ninestar.h"
#include "output/placebook.h"

namespace velm {

struct Person {
    std::int64_t id = 0;
    std::string name;
    CivilTime birth;               // as entered; seconds are 0
    std::optional<std::int64_t> homePlace; // a place of the book, or none
    std::string homeName;          // that place's name, when read
    std::string note;
    bool going = false;
};

// "YYYY-MM-DDTHH:MM" and back; nullopt for anything else or an impossible date.
std::string birthText(const CivilTime &birth);
std::optional<CivilTime> parseBirthText(const std::string &text);

class People {
public:
    explicit People(PlaceBook &book) : m_book(book) {}

    // In name order; an empty list and the message on a read failure.
    std::vector<Person> list(std::string &error) const;
    std::optional<Person> find(const std::string &name, std::string &error) const;

    // Each change is one transaction; empty text on success, else the message.
    // add refuses an empty or taken name and a birth outside the years 1..9999;
    // homePlace must be a place of the book.
    std::string add(const Person &person);
    std::string remove(const std::string &name);
    // Replaces everything of the person called `name` but the id.
    std::string edit(const std::string &name, const Person &person);
    // Marks exactly these people as going (names not in the book are refused).
    std::string setGoing(const std::vector<std::string> &names);

private:
    std::string check(const Person &person, std::int64_t self) const;

    PlaceBook &m_book;
};

// The 本命星 and 月命星 of a person under the calendar options.
struct PersonStars {
    BirthStars stars;
    std::string error; // the birth moment cannot be read on this clock
    bool ok() const { return error.empty(); }
};
PersonStars personStars(const Person &person, const KoyomiOptions &options);

} // namespace velm
