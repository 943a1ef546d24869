// velm-cli journal: the journal of readings in VELM.db.

#include <chrono>
#include <ctime>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/datadir.h"
#include "cli/options.h"
#include "engine/symbols.h"
#include "engine/textfile.h"
#include "output/journal.h"
#include "output/laidchart.h"
#include "output/placebook.h"

namespace velm::cli {
namespace {

constexpr const char *JournalUsage
    = "使い方: velm-cli journal add DATE TIME | list | show ID | search TEXT | note ID TEXT | chart ID | "
      "remind ID 4|7|10|DATE | done ID DATE | due | remove ID | export FILE | import FILE [オプション] "
      "(velm-cli journal --help で一覧)";

struct JournalArgs {
    JournalEntry entry;         // add: what the options give
    bool kindGiven = false;
    std::vector<std::string> reminders; // "4", "7", "10" or dates
    JournalFilter filter;
    std::string date;           // note: the outcome's date; due: the day
    std::string numbersPath;
    std::string ics;
    bool json = false;
    std::set<std::string> given; // the options on the command line
};

// Which subcommand takes which of the options beyond --data.
const std::map<std::string, std::set<std::string>> &optionsOf()
{
    static const std::set<std::string> filters{"--from", "--to", "--matter", "--direction", "--place",
                                               "--person", "--tag", "--limit", "--json"};
    static const std::map<std::string, std::set<std::string>> table = [] {
        std::map<std::string, std::set<std::string>> t;
        t["add"] = {"--kind", "--method", "--question", "--note", "--tag", "--matter", "--direction", "--place",
                    "--person", "--remind", "--numbers", "--json"};
        KoyomiOptions scratch;
        for (const Option &o : calendarOptions(scratch))
            t["add"].insert(o.name);
        t["list"] = filters;
        t["search"] = filters;
        t["export"] = filters;
        t["export"].insert("--id");
        t["export"].erase("--json");
        t["export"].erase("--limit");
        t["show"] = {"--json"};
        t["chart"] = {"--json", "--numbers"};
        t["note"] = {"--date"};
        t["due"] = {"--date", "--ics", "--json"};
        t["remind"] = {};
        t["done"] = {};
        t["remove"] = {};
        t["import"] = {};
        return t;
    }();
    return table;
}

CommandLine journalCommandLine(JournalArgs &into)
{
    CommandLine line;
    line.command = "journal";
    line.words = "add DATE TIME|list|show ID|search TEXT|note ID TEXT|chart ID|remind ID WHEN|done ID DATE|due|remove ID|export FILE|import FILE";
    line.summary = "記録 (VELM.db) に盤を作った設定ごと残し、一覧・検索・結果の追記・振り返り・書き出しと取り込みをします。";
    const auto note = [&into](Option o) {
        auto take = o.take;
        const std::string name = o.name;
        o.take = [&into, take, name](const Args &args, std::size_t &i, std::string &error) {
            into.given.insert(name);
            return take(args, i, error);
        };
        return o;
    };
    const auto text = [&](const char *name, const char *value, const char *help, std::string &target) {
        return note(valueOption(name, value, help, [&target](const std::string &v, std::string &) {
            target = v;
            return true;
        }));
    };
    const auto date = [&](const char *name, const char *help, std::string &target) {
        return note(valueOption(name, "YYYY-MM-DD", help, [&target](const std::string &v, std::string &error) {
            if (!isJournalDate(v)) {
                error = "日付は YYYY-MM-DD の形で指定して下さい: " + v;
                return false;
            }
            target = v;
            return true;
        }));
    };
    JournalEntry &e = into.entry;
    line.options = {
        note(valueOption("--kind", "year|month|day|hour|all", "add: 記録する盤 (繰り返し可, 既定 hour)",
                         [&into](const std::string &v, std::string &error) {
                             if (!into.kindGiven)
                                 into.entry.kinds.clear();
                             into.kindGiven = true;
                             if (v == "all") {
                                 into.entry.kinds = {0, 1, 2, 3};
                                 return true;
                             }
                             const std::optional<int> kind = parseKind(v, error);
                             if (kind)
                                 into.entry.kinds.push_back(*kind);
                             return kind.has_value();
                         })),
        note(valueOption("--method", "rotating|flying", "add: 作盤方法: rotating 活盤式 (既定), flying 飛宮式",
                         [&e](const std::string &v, std::string &error) {
                             const std::optional<LayingMethod> m = parseMethod(v);
                             if (!m)
                                 error = "作盤方法は rotating か flying で指定して下さい: " + v;
                             else
                                 e.method = *m;
                             return m.has_value();
                         })),
        text("--question", "TEXT", "add: 問い", e.question),
        text("--note", "TEXT", "add: 覚え書き", e.note),
        note(valueOption("--tag", "TAG", "add: 見出し語 (繰り返し可); list, search, export: その見出し語の記録",
                         [&into](const std::string &v, std::string &) {
                             into.entry.tags.push_back(v);
                             into.filter.tag = v;
                             return true;
                         })),
        note(valueOption("--matter", "NAME", "add: 占事; list, search, export: その占事の記録",
                         [&into](const std::string &v, std::string &) {
                             into.entry.matter = into.filter.matter = v;
                             return true;
                         })),
        note(valueOption("--direction", "NAME", "add: 方位; list, search, export: その方位の記録",
                         [&into](const std::string &v, std::string &) {
                             into.entry.direction = into.filter.direction = v;
                             return true;
                         })),
        note(valueOption("--place", "NAME", "add: 地点; list, search, export: その地点の記録",
                         [&into](const std::string &v, std::string &) {
                             into.entry.place = into.filter.place = v;
                             return true;
                         })),
        note(valueOption("--person", "NAME", "add: 人 (繰り返し可); list, search, export: その人の記録",
                         [&into](const std::string &v, std::string &) {
                             into.entry.people.push_back(v);
                             into.filter.person = v;
                             return true;
                         })),
        note(valueOption("--remind", "4|7|10|YYYY-MM-DD", "add: 振り返る日 (盤の日から何か月後か、または日付; 繰り返し可)",
                         [&into](const std::string &v, std::string &error) {
                             if (v != "4" && v != "7" && v != "10" && !isJournalDate(v)) {
                                 error = "振り返りは 4, 7, 10 (か月後) か YYYY-MM-DD で指定して下さい: " + v;
                                 return false;
                             }
                             into.reminders.push_back(v);
                             return true;
                         })),
        date("--from", "list, search, export: この日からの盤の記録", into.filter.from),
        date("--to", "list, search, export: この日までの盤の記録", into.filter.to),
        note(valueOption("--limit", "N", "list, search: 多くとも N 件", [&into](const std::string &v, std::string &error) {
            const std::optional<int> n = parseInt(v, 1, 100000000);
            if (!n)
                error = "--limit は 1 以上の整数で指定して下さい: " + v;
            else
                into.filter.limit = *n;
            return n.has_value();
        })),
        note(valueOption("--id", "ID", "export: その記録だけ (繰り返し可)", [&into](const std::string &v, std::string &) {
            into.filter.ids.push_back(v);
            return true;
        })),
        date("--date", "note: 結果の日付 (既定は今日); due: この日までの振り返り (既定は今日)", into.date),
        text("--ics", "FILE", "due: 振り返りを予定表 (.ics) に書き出す", into.ics),
        text("--numbers", "FILE", "add, chart: 採点に使う数値ファイル (既定はデータフォルダの SuuFile.Dat)", into.numbersPath),
        note(switchOption("--json", "記録を JSON で出力する (一件一行)", [&into] { into.json = true; })),
    };
    for (Option &o : calendarOptions(e.options))
        line.options.push_back(note(std::move(o)));
    line.options.push_back(dataOption());
    return line;
}

std::string today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[16];
    std::strftime(buf, sizeof buf, "%Y-%m-%d", &local);
    return buf;
}

const char *methodName(LayingMethod m)
{
    return m == LayingMethod::Flying ? "飛宮式" : "活盤式";
}

std::string optionsText(const JournalEntry &e)
{
    const KoyomiOptions &o = e.options;
    std::string out = o.astronomy == Astronomy::Precise ? "精密" : "簡略式";
    if (!o.clock.zone.empty())
        out += "、" + o.clock.zone + (e.tzdata.empty() ? "" : " (tzdata " + e.tzdata + ")");
    else
        out += "、UTC" + std::string(o.clock.fixedTz < 0 ? "" : "+") + jsonNumber(o.clock.fixedTz, 2);
    if (o.clock.solarTime != SolarTime::None)
        out += std::string("、") + (o.clock.solarTime == SolarTime::Mean ? "平均太陽時" : "真太陽時") + " 経度 "
            + jsonNumber(o.clock.longitude, 4);
    if (o.clock.fold != Fold::Refuse)
        out += o.clock.fold == Fold::First ? "、切り替え前の時刻" : "、切り替え後の時刻";
    std::string periods;
    for (const int p : o.periods)
        periods += static_cast<char>('0' + p);
    out += "、局の期間 " + periods + "、KCB1 " + (o.kcb1 ? "1" : "0");
    if (o.exactMinutes)
        out += "、節入りを分まで";
    if (o.juMethod != JuMethod::Zhirun)
        out += o.juMethod == JuMethod::Chaibu ? "、拆補" : "、茅山";
    return out;
}

void printSummary(const JournalSummary &s)
{
    std::cout << s.id << "\t" << s.moment << "\t" << journalKindsText(s.kinds) << "\t" << s.question;
    if (!s.tags.empty())
        std::cout << "\t［" << s.tags << "］";
    std::cout << "\n";
}

void printEntry(const JournalEntry &e)
{
    const auto row = [](const char *label, const std::string &value) {
        if (!value.empty())
            std::cout << label << "\t" << value << "\n";
    };
    row("記録", e.id);
    row("日時", journalMomentText(e.moment) + "（" + journalKindsText(e.kinds) + "盤・" + methodName(e.method) + "）");
    row("設定", optionsText(e));
    row("作成", e.created + (e.program.empty() ? "" : "  VELM " + e.program));
    row("問い", e.question);
    row("占事", e.matter);
    row("方位", e.direction);
    row("地点", e.place);
    std::string people, tags;
    for (const std::string &p : e.people)
        people += (people.empty() ? "" : "、") + p;
    for (const std::string &t : e.tags)
        tags += (tags.empty() ? "" : "、") + t;
    row("人", people);
    row("見出し", tags);
    row("覚え書き", e.note);
    for (const JournalOutcome &o : e.outcomes)
        row("結果", o.date + "  " + o.text);
    for (const JournalReminder &r : e.reminders)
        row("振り返り", r.date + (r.done ? "  済" : ""));
    for (const RecordedChart &c : e.charts) {
        std::string scores;
        for (int p = 1; p < 9; ++p) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%s%s %.2f", scores.empty() ? "" : "  ",
                          std::string(DirectionName[static_cast<std::size_t>(p)]).c_str(),
                          c.BanSuu[8][static_cast<std::size_t>(p)] == 0 ? 0.0 : c.BanSuu[8][static_cast<std::size_t>(p)]);
            scores += buf;
        }
        row((std::string(KindChar[static_cast<std::size_t>(c.kind)]) + "盤").c_str(), scores);
    }
}

std::unique_ptr<Journal> openJournal(const std::string &dataDir, std::string &error)
{
    return Journal::open(dataFile(dataDir, PlaceBookFile), error);
}

int add(const std::string &dataDir, JournalArgs &a, const std::vector<std::string> &positional)
{
    std::string error;
    const std::optional<CivilTime> moment = parseDateTime(positional[1], positional[2], error);
    if (!moment)
        return usageError(error);
    JournalEntry &e = a.entry;
    e.moment = *moment;
    // The moment must read on its clock before anything is kept.
    if (!readEntered(*moment, e.options, error))
        return usageError(error);
    for (const std::string &r : a.reminders)
        e.reminders.push_back({isJournalDate(r) ? r : monthsAfter(*moment, std::stoi(r)), false});
    const std::string numbersPath = a.numbersPath.empty() ? dataFile(dataDir, "SuuFile.Dat") : a.numbersPath;
    const NumberTables tables = readNumbersReporting(numbersPath).tables;
    error = recordJournalCharts(e, tables, numbersPath, dataFile(dataDir, "Senji.Dat"), VELM_VERSION);
    if (!error.empty())
        return runFailure(error);
    const std::unique_ptr<Journal> journal = openJournal(dataDir, error);
    if (!journal)
        return runFailure(error);
    if (error = journal->add(e); !error.empty())
        return runFailure(error);
    std::cout << (a.json ? journalEntryJson(e) : e.id) << "\n";
    return 0;
}

// The charts laid again with the entry's own options; the scores with
// today's numbers, and a note on standard error when the file has changed.
int chart(const std::string &dataDir, const JournalEntry &e, const JournalArgs &a)
{
    std::string error;
    const std::optional<JournalReading> reading = readJournalMoment(e, error);
    if (!reading)
        return runFailure(error);
    const std::string numbersPath = a.numbersPath.empty() ? dataFile(dataDir, "SuuFile.Dat") : a.numbersPath;
    const std::string hash = fileSha256(numbersPath);
    if (hash != e.numbersHash)
        report("記録の時から数値ファイルが変わっています。点数は今の数値ファイルのものです (記録の点数は journal show にあります)");
    const NumberTables tables = readNumbersReporting(numbersPath).tables;
    const ConstData names = MakeConstData();
    for (const int kind : e.kinds) {
        const LaidChart laid = layChart(reading->calendar, kind, reading->options, e.method, &tables, &names);
        const std::string title = chartTitle(kind, reading->calendar) + "［記録 " + e.id + " の設定］";
        if (a.json) {
            // The same line as velm-cli chart --json gives with these options.
            std::cout << chartJson(laid.koyomi, laid.chart, e.method, *laid.scores) << "\n";
        } else {
            for (const std::string &line : chartCopyLines(title, *laid.labels, laid.palaces))
                std::cout << line << "\n";
            std::cout << "\n";
        }
    }
    return 0;
}

// The reminders due by a day, as lines, JSON or a calendar file.
int due(const std::string &dataDir, Journal &journal, const JournalArgs &a)
{
    std::string error;
    const std::string day = a.date.empty() ? today() : a.date;
    const std::vector<DueReminder> due = journal.due(day, error);
    if (!error.empty())
        return runFailure(error);
    if (!a.ics.empty()) {
        if (due.empty())
            return runFailure(day + " までに振り返る記録はありません");
        const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                                     std::chrono::system_clock::now().time_since_epoch())
                                     .count();
        if (error = writeJournalIcs(a.ics, due, now, true); !error.empty())
            return runFailure(error);
        return 0;
    }
    (void)dataDir;
    for (const DueReminder &d : due) {
        if (a.json) {
            std::cout << "{\"date\":\"" << d.date << "\",\"id\":" << jsonString(d.entry.id) << ",\"moment\":\""
                      << d.entry.moment << "\",\"question\":" << jsonString(d.entry.question) << "}\n";
        } else {
            std::cout << d.date << "\t";
            printSummary(d.entry);
        }
    }
    return 0;
}

} // namespace

CommandLine journalCommandLine()
{
    static JournalArgs scratch;
    return journalCommandLine(scratch);
}

int runJournal(const Args &given)
{
    Args args = given;
    std::string error;
    const std::optional<std::string> dataDir = takeDataDir(args, error);
    if (!dataDir)
        return usageError(error);
    JournalArgs a;
    const CommandLine line = journalCommandLine(a);
    std::vector<std::string> positional;
    if (const std::optional<int> status = readCommandLine(line, args, positional))
        return *status;
    if (positional.empty() || !optionsOf().count(positional[0]))
        return usageError(JournalUsage);
    const std::string sub = positional[0];
    const std::set<std::string> &allowed = optionsOf().at(sub);
    for (const std::string &name : a.given)
        if (!allowed.count(name))
            return usageError("journal " + sub + " では " + name + " は使えません");
    const std::map<std::string, std::size_t> words{{"add", 3},  {"list", 1},   {"show", 2},   {"search", 2},
                                                   {"note", 3}, {"chart", 2},  {"remind", 3}, {"done", 3},
                                                   {"due", 1},  {"remove", 2}, {"export", 2}, {"import", 2}};
    if (positional.size() != words.at(sub))
        return usageError(JournalUsage);
    if (sub == "add")
        return add(*dataDir, a, positional);

    const std::unique_ptr<Journal> journal = openJournal(*dataDir, error);
    if (!journal)
        return runFailure(error);
    if (sub == "list" || sub == "search") {
        if (sub == "search") {
            a.filter.text = positional[1];
            if (a.filter.text.find_first_not_of(" \t　") == std::string::npos)
                return usageError("探す言葉がありません");
        }
        const std::vector<JournalSummary> rows = journal->list(a.filter, error);
        if (!error.empty())
            return runFailure(error);
        for (const JournalSummary &s : rows) {
            if (!a.json) {
                printSummary(s);
                continue;
            }
            const std::optional<JournalEntry> e = journal->find(s.id, error);
            if (!e)
                return runFailure(error);
            std::cout << journalEntryJson(*e) << "\n";
        }
        return 0;
    }
    if (sub == "show" || sub == "chart") {
        const std::optional<JournalEntry> e = journal->find(positional[1], error);
        if (!e)
            return runFailure(error);
        if (sub == "chart")
            return chart(*dataDir, *e, a);
        if (a.json)
            std::cout << journalEntryJson(*e) << "\n";
        else
            printEntry(*e);
        return 0;
    }
    if (sub == "note") {
        const std::string &text = positional[2];
        if (text.find_first_not_of(" \t\r\n　") == std::string::npos)
            return usageError("結果の記録が空です");
        error = journal->addOutcome(positional[1], {a.date.empty() ? today() : a.date, text});
        return error.empty() ? 0 : runFailure(error);
    }
    if (sub == "remind") {
        const std::string &when = positional[2];
        std::string date = when;
        if (when == "4" || when == "7" || when == "10") {
            const std::optional<JournalEntry> e = journal->find(positional[1], error);
            if (!e)
                return runFailure(error);
            date = monthsAfter(e->moment, std::stoi(when));
        } else if (!isJournalDate(when)) {
            return usageError("振り返りは 4, 7, 10 (か月後) か YYYY-MM-DD で指定して下さい: " + when);
        }
        error = journal->addReminder(positional[1], date);
        if (!error.empty())
            return runFailure(error);
        std::cout << date << "\n";
        return 0;
    }
    if (sub == "done") {
        if (!isJournalDate(positional[2]))
            return usageError("日付は YYYY-MM-DD の形で指定して下さい: " + positional[2]);
        error = journal->setReminderDone(positional[1], positional[2], true);
        return error.empty() ? 0 : runFailure(error);
    }
    if (sub == "due")
        return due(*dataDir, *journal, a);
    if (sub == "remove") {
        error = journal->remove(positional[1]);
        return error.empty() ? 0 : runFailure(error);
    }
    if (sub == "export") {
        std::string json;
        if (error = journal->exportJson(a.filter, json); !error.empty())
            return runFailure(error);
        if (error = writeBytesAtomic(positional[1], json, SpecialTarget::WriteThrough); !error.empty())
            return runFailure(error);
        return 0;
    }
    // import
    std::ifstream in(positional[1], std::ios::binary);
    if (!in)
        return runFailure("「" + positional[1] + "」を開けません");
    const std::string json((std::istreambuf_iterator<char>(in)), {});
    const JournalImport result = journal->importJson(json);
    if (!result.error.empty())
        return runFailure("「" + positional[1] + "」: " + result.error);
    std::cout << "取り込んだ記録 " << result.added << " 件、同じ id があって飛ばした記録 " << result.skipped << " 件\n";
    return 0;
}

} // namespace velm::cli
