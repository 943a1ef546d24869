// velm-cli people, and the people of chart, search, calendar and heatmap.

#include "cli/cmd_people.h"

#include <filesystem>
#include <iostream>

#include "cli/args.h"
#include "cli/datadir.h"
#include "cli/json.h"
#include "cli/placeargs.h"
#include "engine/symbols.h"

namespace velm::cli {
namespace {

constexpr const char *PeopleUsage =
    "使い方: velm-cli people list [--json] | add NAME DATE TIME [--note TEXT] [--home PLACE] | remove NAME  [--data DIR]";

// "北", "南東": the direction of a palace without its blank.
std::string directionText(int palace)
{
    std::string_view name = DirectionName[static_cast<std::size_t>(palace % 9)];
    if (!name.empty() && name.front() == ' ')
        name.remove_prefix(1);
    return std::string(name);
}

std::string reasonsText(const PalaceVerdict &v, int palace, int kind, const char *separator)
{
    std::string out;
    for (int r = 0; r < BadReasonCount; ++r)
        if ((v.reasons[static_cast<std::size_t>(palace)] >> r) & 1)
            out += (out.empty() ? "" : separator) + std::string(badReasonName(r, kind));
    return out;
}

struct PeopleCommandArgs {
    KoyomiOptions options;
    std::string note;
    std::string home;
    bool json = false;
};

CommandLine peopleCommandLine(PeopleCommandArgs &into)
{
    CommandLine line;
    line.command = "people";
    line.words = "list|add NAME DATE TIME|remove NAME";
    line.summary = "人物 (VELM.db) を一覧・登録・削除します。本命星と月命星は暦のオプションで読んだ生年月日時から求めます。";
    line.options = {
        switchOption("--json", "list を JSON で出力する", [&into] { into.json = true; }),
        valueOption("--note", "TEXT", "add: 人物の覚え書き",
                    [&into](const std::string &v, std::string &) {
                        into.note = v;
                        return true;
                    }),
        valueOption("--home", "PLACE", "add: 自宅 (地点帳の地点の名前)",
                    [&into](const std::string &v, std::string &) {
                        into.home = v;
                        return true;
                    }),
    };
    for (Option &o : calendarOptions(into.options))
        line.options.push_back(std::move(o));
    line.options.push_back(dataOption());
    return line;
}

std::string starsText(const PersonStars &s)
{
    if (!s.ok())
        return "本命星 ？  月命星 ？";
    return "本命星 " + std::string(NineStarName[static_cast<std::size_t>(s.stars.honmei)]) + "  月命星 "
        + std::string(NineStarName[static_cast<std::size_t>(s.stars.getsumei)]);
}

int peopleList(People &people, const KoyomiOptions &options, bool json)
{
    std::string error;
    const std::vector<Person> list = people.list(error);
    if (!error.empty())
        return runFailure(error);
    for (const Person &p : list) {
        const PersonStars s = personStars(p, options);
        if (!s.ok())
            report(s.error);
        if (json) {
            JsonObject o;
            o.text("name", p.name).text("birth", birthText(p.birth));
            if (s.ok())
                o.integer("honmei", s.stars.honmei).integer("getsumei", s.stars.getsumei);
            else
                o.raw("honmei", "null").raw("getsumei", "null");
            o.raw("home", p.homePlace ? jsonString(p.homeName) : "null")
                .text("note", p.note)
                .raw("going", p.going ? "true" : "false");
            std::cout << o.str() << "\n";
        } else {
            std::cout << p.name << "\t" << birthText(p.birth) << "\t" << starsText(s) << "\t"
                      << (p.homePlace ? p.homeName : std::string("－")) << (p.note.empty() ? "" : "\t" + p.note)
                      << "\n";
        }
    }
    return 0;
}

} // namespace

CommandLine peopleCommandLine()
{
    static PeopleCommandArgs scratch;
    return peopleCommandLine(scratch);
}

int runPeople(const Args &given)
{
    Args args = given;
    std::string error;
    const std::optional<std::string> dataDir = takeDataDir(args, error);
    if (!dataDir)
        return usageError(error);
    PeopleCommandArgs taken;
    const CommandLine line = peopleCommandLine(taken);
    std::vector<std::string> positional;
    if (const std::optional<int> status = readCommandLine(line, args, positional))
        return *status;
    // The birth may come as one word, "1990-05-01T08:30", as every moment may.
    if (positional.size() == 3 && positional[0] == "add") {
        std::vector<std::string> moment{positional[2]};
        splitMomentWord(moment);
        positional.resize(2);
        positional.insert(positional.end(), moment.begin(), moment.end());
    }
    const std::string sub = positional.empty() ? std::string() : positional[0];
    const bool fits = (sub == "list" && positional.size() == 1) || (sub == "add" && positional.size() == 4)
                      || (sub == "remove" && positional.size() == 2);
    if (!fits)
        return usageError(PeopleUsage);
    if (sub != "add" && (!taken.note.empty() || !taken.home.empty()))
        return usageError("--note と --home は add にだけ付けられます");
    if (sub != "list" && taken.json)
        return usageError("--json は list にだけ付けられます");

    std::optional<CivilTime> birth;
    if (sub == "add") {
        birth = parseDateTime(positional[2], positional[3], error);
        if (!birth)
            return usageError(error);
    }
    std::unique_ptr<PlaceBook> book = openPlaceBook(*dataDir, error);
    if (!book)
        return runFailure(error);
    People people(*book);
    if (sub == "list")
        return peopleList(people, taken.options, taken.json);
    if (sub == "remove") {
        error = people.remove(positional[1]);
        return error.empty() ? 0 : runFailure(error);
    }
    Person p;
    p.name = positional[1];
    p.birth = *birth;
    p.note = taken.note;
    if (!taken.home.empty()) {
        const std::optional<Place> place = book->find(taken.home, error);
        if (!error.empty())
            return runFailure(error);
        if (!place)
            return usageError("地点「" + taken.home + "」は地点帳にありません");
        p.homePlace = place->id;
    }
    // The birth must be readable on the clock it is read with.
    const PersonStars stars = personStars(p, taken.options);
    if (!stars.ok())
        return usageError(stars.error);
    error = people.add(p);
    if (!error.empty())
        return runFailure(error);
    std::cout << p.name << "\t" << starsText(stars) << "\n";
    return 0;
}

std::vector<Option> peopleOptions(PeopleArgs &into, bool withAlso)
{
    std::vector<Option> options{valueOption("--person", "NAME", "その人物の凶方位を示す/除く (繰り返し可、people add で登録)",
                                            [&into](const std::string &v, std::string &) {
                                                into.names.push_back(v);
                                                return true;
                                            })};
    if (withAlso)
        options.push_back(switchOption("--also-year-month", "--person の凶方位をその時点の年盤・月盤でも除く",
                                       [&into] { into.alsoYearMonth = true; }));
    return options;
}

std::optional<std::vector<ChosenPerson>> choosePeople(const PeopleArgs &args, const std::string &dataDir,
                                                      const KoyomiOptions &options, std::string &error)
{
    std::vector<ChosenPerson> chosen;
    if (args.names.empty()) {
        if (args.alsoYearMonth) {
            error = "--also-year-month は --person と共に指定して下さい";
            return std::nullopt;
        }
        return chosen;
    }
    // Reading never makes the book: without one, nobody is registered.
    std::error_code missing;
    if (!std::filesystem::exists(dataFile(dataDir, PlaceBookFile), missing)) {
        error = "人物「" + args.names.front() + "」は登録されていません (velm-cli people add で登録して下さい)";
        return std::nullopt;
    }
    std::unique_ptr<PlaceBook> book = openPlaceBook(dataDir, error);
    if (!book)
        return std::nullopt;
    People people(*book);
    for (const std::string &name : args.names) {
        const std::optional<Person> p = people.find(name, error);
        if (!error.empty())
            return std::nullopt;
        if (!p) {
            error = "人物「" + name + "」は登録されていません (velm-cli people add で登録して下さい)";
            return std::nullopt;
        }
        const PersonStars s = personStars(*p, options);
        if (!s.ok()) {
            error = s.error;
            return std::nullopt;
        }
        chosen.push_back({*p, s.stars});
    }
    return chosen;
}

PeopleExclusion exclusionOf(const std::vector<ChosenPerson> &people, bool alsoYearMonth)
{
    std::vector<int> honmei;
    for (const ChosenPerson &p : people)
        honmei.push_back(p.stars.honmei);
    return PeopleExclusion::of(honmei, alsoYearMonth);
}

std::string peopleJson(const std::vector<ChosenPerson> &people, const ChartRecord &chart, const Koyomi &koyomi)
{
    std::string out = "[";
    for (std::size_t i = 0; i < people.size(); ++i) {
        const ChosenPerson &p = people[i];
        const PalaceVerdict v = judgePalaces(chart, koyomi, p.stars.honmei);
        std::string bad = "[";
        std::string good = "[";
        for (int palace = 1; palace <= 8; ++palace) {
            if ((v.bad >> palace) & 1) {
                std::string reasons = "[";
                for (int r = 0; r < BadReasonCount; ++r)
                    if ((v.reasons[static_cast<std::size_t>(palace)] >> r) & 1)
                        reasons += (reasons.size() > 1 ? "," : "") + jsonString(badReasonName(r, chart.BanShu));
                bad += (bad.size() > 1 ? "," : "")
                    + JsonObject()
                          .integer("palace", palace)
                          .text("direction", directionText(palace))
                          .raw("reasons", reasons + "]")
                          .str();
            }
            if ((v.good >> palace) & 1)
                good += (good.size() > 1 ? "," : "")
                    + JsonObject().integer("palace", palace).text("direction", directionText(palace)).str();
        }
        out += (i ? "," : "")
            + JsonObject()
                  .text("name", p.person.name)
                  .integer("honmei", p.stars.honmei)
                  .integer("getsumei", p.stars.getsumei)
                  .raw("bad", bad + "]")
                  .raw("good", good + "]")
                  .str();
    }
    return out + "]";
}

std::vector<std::string> peopleLines(const std::vector<ChosenPerson> &people, const ChartRecord &chart,
                                     const Koyomi &koyomi)
{
    std::vector<std::string> lines;
    for (const ChosenPerson &p : people) {
        const PalaceVerdict v = judgePalaces(chart, koyomi, p.stars.honmei);
        lines.push_back(p.person.name + "  本命星 " + std::string(NineStarName[static_cast<std::size_t>(p.stars.honmei)])
                        + "  月命星 " + std::string(NineStarName[static_cast<std::size_t>(p.stars.getsumei)]));
        std::string bad;
        std::string good;
        // Clockwise from the north, as the calendar's columns run.
        for (int ring = 1; ring <= 8; ++ring) {
            const int palace = RingToKyu[static_cast<std::size_t>(ring)];
            if ((v.bad >> palace) & 1)
                bad += " " + directionText(palace) + ":" + reasonsText(v, palace, chart.BanShu, "・");
            if ((v.good >> palace) & 1)
                good += " " + directionText(palace);
        }
        lines.push_back("  凶方位" + (bad.empty() ? std::string(" なし") : bad));
        lines.push_back("  吉方位" + (good.empty() ? std::string(" なし") : good));
    }
    return lines;
}

} // namespace velm::cli
