// velm-cli chart and batch: laid and scored charts, as text or JSON.

#include <cstdio>
#include <iostream>
#include <set>
#include <sstream>

#include "cli/args.h"
#include "cli/cmd_people.h"
#include "cli/commands.h"
#include "cli/datadir.h"
#include "cli/options.h"
#include "engine/ban.h"
#include "engine/codec.h"
#include "engine/constdata.h"
#include "engine/symbols.h"
#include "evaluation/numbers.h"
#include "evaluation/patterns.h"
#include "evaluation/suusan.h"
#include "output/charttext.h"
#include "output/laidchart.h"

namespace velm::cli {
namespace {

constexpr const char *RowNames[7] = {"TenKan", "ChiKan", "TenChiKan", "Mon", "Sei", "Shin", "KyuSeiBan"};

std::string doubleText(double v)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.10g", v == 0 ? 0.0 : v);
    return buf;
}

std::string banJson(const BanRows &ban)
{
    JsonObject rows;
    for (int r = 0; r < 7; ++r)
        rows.array(RowNames[r], ban[static_cast<std::size_t>(r)]);
    std::string kaku = "[";
    for (int slot = 0; slot < 5; ++slot) {
        if (slot)
            kaku += ",";
        kaku += JsonObject::jsonArray(ban[static_cast<std::size_t>(Kaku0 + slot)]);
    }
    rows.raw("Kaku", kaku + "]");
    return rows.str();
}

std::string banSuuJson(const SuuScores &scores)
{
    std::string out = "[";
    for (std::size_t r = 0; r < scores.BanSuu.size(); ++r) {
        out += r ? ",[" : "[";
        for (std::size_t i = 0; i < 9; ++i) {
            if (i)
                out += ",";
            out += doubleText(scores.BanSuu[r][i]);
        }
        out += "]";
    }
    return out + "]";
}

JsonObject chartJsonObject(const Koyomi &k, const ChartRecord &chart, LayingMethod method,
                           const SuuScores &scores)
{
    JsonObject obj;
    addKoyomiJson(obj, k);
    obj.integer("kind", chart.BanShu)
        .integer("method", static_cast<int>(method))
        .raw("Ban", banJson(chart.Ban))
        .integer("JunKan", chart.JunKan)
        .array("BanFlag", chart.BanFlag)
        .integer("BanFlagNo", chart.BanFlagNo)
        .integer("ChokuFuKyu", chart.ChokuFuKyu)
        .integer("ChokuFuMoto", chart.ChokuFuMoto)
        .integer("ChokuShiKyu", chart.ChokuShiKyu)
        .integer("JiKanKyu", chart.JiKanKyu)
        .array("SuuBase", scores.SuuBase)
        .raw("BanSuu", banSuuJson(scores));
    return obj;
}


// Score of a direction as the windows show it: two decimals, never "-0.00".
std::string scoreText(double v)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    std::string s = buf;
    if (s == "-0.00")
        s = "0.00";
    return s;
}

// `titleSuffix` marks a chart laid on the other side of a term; `notes`
// follow the title line.
std::vector<std::string> chartTextLines(const LaidChart &laid, const CivilTime &moment,
                                        const std::string &titleSuffix, const std::vector<std::string> &notes)
{
    std::vector<std::string> lines
        = chartCopyLines(chartTitle(laid.chart.BanShu, moment) + titleSuffix, *laid.labels, laid.palaces);
    lines.insert(lines.begin() + 1, notes.begin(), notes.end());
    for (int p = 0; p < 9; ++p) {
        std::string name = padCp932(DirectionName[static_cast<std::size_t>(p)], 4);
        lines.push_back(name + " " + scoreText(laid.scores->BanSuu[8][static_cast<std::size_t>(p)]));
    }
    return lines;
}

// Reads the numbers file, reporting every problem on stderr; scores go on
// with what could be read.
NumberTables loadNumbers(const std::string &path)
{
    return readNumbersReporting(path).tables;
}

void reportFaults(const SuuScores &scores, const NumberTables &tables, std::set<std::string> &seen)
{
    for (const SuuSanFault &f : scores.faults()) {
        std::string msg = suuSanMessage(f, tables);
        if (seen.insert(msg).second)
            report(msg);
    }
}

} // namespace

std::string chartJson(const Koyomi &k, const ChartRecord &chart, LayingMethod method, const SuuScores &scores)
{
    return chartJsonObject(k, chart, method, scores).str();
}

CommandLine chartCommandLine(ChartArgs &into)
{
    CommandLine line;
    line.command = "chart";
    line.words = "DATE TIME";
    line.summary = "盤を作り、遁甲盤ウィンドウがコピーする形 (または JSON) で出力します。";
    const auto value = [](auto parse) {
        return [parse](const Args &args, std::size_t &i, std::string &error) {
            const std::string *v = takeValue(args, i, error);
            return v && parse(*v, error);
        };
    };
    line.options = {
        {"--kind", "year|month|day|hour|all", "作る盤 (既定 all)", value([&into](const std::string &v, std::string &error) {
             const char *names[5] = {"year", "month", "day", "hour", "all"};
             int found = -1;
             for (int n = 0; n < 5; ++n)
                 if (v == names[n] || v == std::to_string(n))
                     found = n;
             if (found < 0) {
                 error = "盤の種類は year, month, day, hour, all で指定して下さい: " + v;
                 return false;
             }
             into.kinds = found == 4 ? std::vector<int>{0, 1, 2, 3} : std::vector<int>{found};
             return true;
         })},
        {"--method", "rotating|flying", "作盤方法: rotating 活盤式 (既定), flying 飛宮式",
         value([&into](const std::string &v, std::string &error) {
             const std::optional<LayingMethod> m = parseMethod(v);
             if (!m)
                 error = "作盤方法は rotating か flying で指定して下さい: " + v;
             else
                 into.method = *m;
             return m.has_value();
         })},
        {"--numbers", "FILE", "採点に使う数値ファイル (既定はデータフォルダの SuuFile.Dat)",
         value([&into](const std::string &v, std::string &) {
             into.numbersPath = v;
             return true;
         })},
        {"--json", "", "盤ごとに JSON の一行で出力する", [&into](const Args &, std::size_t &, std::string &) {
             into.json = true;
             return true;
         }},
    };
    line.options.push_back(valueOption("--person", "NAME", "その人物の凶方位と吉方位を盤ごとに出力する (繰り返し可)",
                                       [&into](const std::string &v, std::string &) {
                                           into.people.push_back(v);
                                           return true;
                                       }));
    for (std::vector<Option> more : {calendarOptions(into.options), boundaryOptions(into.near, true)})
        line.options.insert(line.options.end(), more.begin(), more.end());
    line.options.push_back(dataOption());
    return line;
}

CommandLine chartCommandLine()
{
    static ChartArgs scratch;
    return chartCommandLine(scratch);
}

int runChart(const Args &argsIn)
{
    Args args = argsIn;
    std::string error;
    const std::optional<std::string> dataDir = takeDataDir(args, error);
    if (!dataDir)
        return usageError(error);

    ChartArgs given;
    const CommandLine line = chartCommandLine(given);
    std::vector<std::string> positional;
    if (const std::optional<int> status = readCommandLine(line, args, positional))
        return *status;
    KoyomiOptions &options = given.options;
    const LayingMethod method = given.method;
    const std::vector<int> &kinds = given.kinds;
    std::string numbersPath = given.numbersPath;
    const BoundaryOptions &near = given.near;
    const bool json = given.json;
    splitMomentWord(positional);
    if (positional.size() != 2)
        return usageError("使い方: velm-cli chart DATE TIME [オプション] (velm-cli chart --help で一覧)");
    auto moment = parseDateTime(positional[0], positional[1], error);
    if (!moment)
        return usageError(error);
    // Birth moments are read with the options as given, each on its own.
    PeopleArgs peopleArgs;
    peopleArgs.names = given.people;
    const std::optional<std::vector<ChosenPerson>> people = choosePeople(peopleArgs, *dataDir, options, error);
    if (!people)
        return usageError(error);
    const std::optional<ClockReading> reading = readEntered(*moment, options, error);
    if (!reading)
        return usageError(error);
    options = reading->options;
    moment = reading->calendar;
    if (numbersPath.empty())
        numbersPath = dataFile(*dataDir, "SuuFile.Dat");

    // The boundaries are those of the entered moment, also for the other side.
    MomentBoundaries boundaries;
    if (near.show || near.otherSide)
        boundaries = boundariesOf(*moment, options);
    Koyomi k;
    std::string otherSide;
    if (near.otherSide) {
        const int nearest = nearestBoundary(boundaries, near.warnMinutes, options.astronomy, true);
        if (nearest < 0) {
            if (near.warnMinutes == 0)
                report("--other-side: 境界の警告が 0 (使わない) なので、反対側の盤はありません");
            else if (options.astronomy == Astronomy::Short)
                report("--other-side: 前後" + std::to_string(near.warnMinutes) + "分 (簡略式の誤差を含めて"
                       + std::to_string(near.warnMinutes + ShortSeriesMarginMinutes) + "分) 以内に節入りがありません");
            else
                report("--other-side: 前後" + std::to_string(near.warnMinutes) + "分以内に節入りがありません");
            return 3;
        }
        const Boundary &term = boundaries[static_cast<std::size_t>(nearest)];
        k = otherSideOfTerm(*moment, options, term, true);
        otherSide = otherSideText(term);
    } else {
        k = DateToKyu(*moment, options, true);
    }
    std::vector<std::string> notes;
    if (near.show && !json)
        notes = nearBoundaryLines(boundaries, near.warnMinutes, options.astronomy);

    const NumberTables tables = loadNumbers(numbersPath);
    const ConstData names = MakeConstData();
    std::set<std::string> seen;
    for (int kind : kinds) {
        const LaidChart laid = layChart(k, kind, method, &tables, &names);
        const SuuScores &scores = *laid.scores;
        reportFaults(scores, tables, seen);
        if (json) {
            JsonObject obj = chartJsonObject(k, laid.chart, method, scores);
            if (near.show)
                obj.raw("boundaries", boundariesJson(boundaries));
            if (near.otherSide)
                obj.text("otherSide", otherSide);
            if (!people->empty())
                obj.raw("people", peopleJson(*people, laid.chart, k));
            std::cout << obj.str() << "\n";
        } else {
            const std::string suffix = otherSide.empty() ? std::string() : "［" + otherSide + "］";
            for (const std::string &line : chartTextLines(laid, *moment, suffix, notes))
                std::cout << line << "\n";
            for (const std::string &line : peopleLines(*people, laid.chart, k))
                std::cout << line << "\n";
            std::cout << "\n";
        }
    }
    return 0;
}

namespace {

// The request lines carry the offset, ju periods and KCB1 of each chart; the
// options hold the rest of the calendar for every line.
CommandLine batchCommandLine(KoyomiOptions &calendar, std::string &numbersPath)
{
    CommandLine line;
    line.command = "batch";
    line.summary = "標準入力の要求行 (MOMENT KIND METHOD PERIODS KCB1 TZ) ごとに盤を JSON で出力します。";
    line.options.push_back(valueOption("--numbers", "FILE", "採点に使う数値ファイル (既定はデータフォルダの SuuFile.Dat)",
                                       [&numbersPath](const std::string &v, std::string &) {
                                           numbersPath = v;
                                           return true;
                                       }));
    for (Option &o : calendarOptions(calendar))
        if (o.name != "--tz" && o.name != "--periods" && o.name != "--kcb1")
            line.options.push_back(std::move(o));
    line.options.push_back(dataOption());
    return line;
}

} // namespace

CommandLine batchCommandLine()
{
    static KoyomiOptions calendar;
    static std::string numbersPath;
    return batchCommandLine(calendar, numbersPath);
}

int runBatch(const Args &argsIn)
{
    Args args = argsIn;
    std::string error;
    const std::optional<std::string> dataDir = takeDataDir(args, error);
    if (!dataDir)
        return usageError(error);
    std::string numbersPath = dataFile(*dataDir, "SuuFile.Dat");
    // The calendar options apply to every request; a zone reads each
    // request's moment in place of its fixed offset.
    KoyomiOptions calendar;
    const CommandLine table = batchCommandLine(calendar, numbersPath);
    std::vector<std::string> positional;
    if (const std::optional<int> status = readCommandLine(table, args, positional))
        return *status;
    if (!positional.empty())
        return usageError("使い方: velm-cli batch [--numbers FILE] < 要求行");
    const NumberTables tables = loadNumbers(numbersPath);
    std::set<std::string> seen;
    std::string line;
    int lineNo = 0;
    int bad = 0;
    // One request per line: MOMENT KIND METHOD PERIODS KCB1 TZ. A bad line
    // answers with an error object, so answers stay line for line.
    while (std::getline(std::cin, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        std::istringstream in(line);
        std::string momentText, kindText, methodText, periods, kcb1, tz, extra;
        in >> momentText >> kindText >> methodText >> periods >> kcb1 >> tz;
        std::string error;
        KoyomiOptions options = calendar;
        std::optional<CivilTime> moment = parseMoment(momentText, error);
        std::optional<int> kind = parseInt(kindText, 0, 3);
        std::optional<LayingMethod> method = parseMethod(methodText);
        std::optional<double> zone;
        if (moment && !kind)
            error = "盤の種類は 0～3 で指定して下さい: " + kindText;
        else if (moment && !method)
            error = "作盤方法は 0 か 1 で指定して下さい: " + methodText;
        else if (moment && parsePeriods(periods, options, error) && parseFlag(kcb1, options.kcb1, error)) {
            zone = parseTimeZone(tz, error);
            if (zone && (in >> extra))
                error = "要求行の項目が多すぎます";
        }
        if (zone && error.empty()) {
            options.clock.fixedTz = *zone;
            if (const std::optional<ClockReading> r = readEntered(*moment, options, error)) {
                options = r->options;
                moment = r->calendar;
            }
        }
        if (!moment || !kind || !method || !zone || !error.empty()) {
            JsonObject obj;
            obj.integer("line", lineNo).text("error", error);
            std::cout << obj.str() << "\n";
            ++bad;
            continue;
        }
        const LaidChart laid = layChart(DateToKyu(*moment, options, true), *kind, *method, &tables);
        reportFaults(*laid.scores, tables, seen);
        std::cout << chartJson(laid.koyomi, laid.chart, *method, *laid.scores) << "\n";
    }
    return bad ? 2 : 0;
}

} // namespace velm::cli
