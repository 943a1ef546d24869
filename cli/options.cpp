#include "cli/options.h"

#include <algorithm>
#include <iostream>
#include <map>

#include "cli/cmd_people.h"

namespace velm::cli {
namespace {

// A handler for the options of the calendar: --tz … --fold.
Option calendarOption(std::string name, std::string value, std::string help, KoyomiOptions &into)
{
    auto take = [&into](const Args &args, std::size_t &i, std::string &error) {
        return takeKoyomiFlag(args, i, into, error) == FlagResult::Taken;
    };
    return Option{std::move(name), std::move(value), std::move(help), take};
}

Option boundaryOption(std::string name, std::string value, std::string help, BoundaryOptions &into)
{
    auto take = [&into](const Args &args, std::size_t &i, std::string &error) {
        return takeBoundaryOption(args, i, into, error) == FlagResult::Taken;
    };
    return Option{std::move(name), std::move(value), std::move(help), take};
}

const Option *find(const CommandLine &line, const std::string &name)
{
    for (const Option &o : line.options)
        if (o.name == name)
            return &o;
    return nullptr;
}

} // namespace

std::optional<int> readCommandLine(const CommandLine &line, const Args &args, std::vector<std::string> &positional)
{
    std::string error;
    switch (parseCommandLine(line, args, positional, error)) {
    case Parsed::Help:
        std::cout << commandHelp(line);
        return 0;
    case Parsed::Bad:
        return usageError(error);
    case Parsed::Ok:
        break;
    }
    return std::nullopt;
}

std::size_t displayWidth(const std::string &text)
{
    std::size_t columns = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            columns += 1;
        else if (byte >= 0xC0)
            columns += 2;
    }
    return columns;
}

std::string padded(const std::string &text, std::size_t columns)
{
    const std::size_t width = displayWidth(text);
    return text + std::string(width + 2 > columns ? 2 : columns - width, ' ');
}

std::vector<Option> calendarOptions(KoyomiOptions &into, bool withJu)
{
    std::vector<Option> options{
        calendarOption("--tz", "H", "天体計算のタイムゾーン (グリニッジから東へ何時間, 既定 9.0)", into)};
    if (withJu) {
        options.push_back(calendarOption("--periods", "ABCD", "年月日時の局の期間を 0 か 1 で４桁 (既定 1111)", into));
        options.push_back(calendarOption("--kcb1", "0|1", "時盤の九星を時の遁に合わせるか (既定 1)", into));
        options.push_back(calendarOption("--exact-minutes", "", "節入りを分まで比べる", into));
        options.push_back(calendarOption("--ju-method", "zhirun|chaibu|maoshan",
                                         "時盤の局の求め方: zhirun 置閏 (既定), chaibu 拆補, maoshan 茅山", into));
    }
    options.push_back(calendarOption("--astronomy", "short|precise", "節気の計算: short 簡略式 (既定), precise 精密", into));
    options.push_back(calendarOption("--zone", "NAME", "入力の日時を IANA のタイムゾーンの時刻として読む (--tz と併用不可)", into));
    options.push_back(calendarOption("--fold", "first|second", "夏時間の切り替えで抜けた・重なった時刻の読み方", into));
    options.push_back(calendarOption("--longitude", "DEG", "地方時の経度 (東経が正, --solar-time と共に)", into));
    options.push_back(calendarOption("--solar-time", "mean|true", "地方時: mean 平均太陽時, true 真太陽時", into));
    return options;
}

std::vector<Option> boundaryOptions(BoundaryOptions &into, bool otherSide)
{
    std::vector<Option> options{
        boundaryOption("--boundaries", "", "前後の節入り・刻の変わり目・日付の変わり目を示す", into),
        boundaryOption("--warn-minutes", "N", "境界を近いとする分数 (既定 30, 0 は使わない)", into)};
    if (otherSide)
        options.push_back(boundaryOption("--other-side", "", "近い節入りの反対側の盤を作る", into));
    return options;
}

Option dataOption()
{
    // takeDataDir has taken it before the table is read; a second --data
    // is taken the same way here.
    return valueOption("--data", "DIR", "データファイルのフォルダ", [](const std::string &, std::string &) { return true; });
}

Option valueOption(std::string name, std::string value, std::string help,
                   std::function<bool(const std::string &value, std::string &error)> parse)
{
    auto take = [parse = std::move(parse)](const Args &args, std::size_t &i, std::string &error) {
        const std::string *v = takeValue(args, i, error);
        return v && parse(*v, error);
    };
    return Option{std::move(name), std::move(value), std::move(help), take};
}

Option switchOption(std::string name, std::string help, std::function<void()> set)
{
    auto take = [set = std::move(set)](const Args &, std::size_t &, std::string &) {
        set();
        return true;
    };
    return Option{std::move(name), "", std::move(help), take};
}

Option methodOption(LayingMethod &into)
{
    return valueOption("--method", "0|1", "作盤方法: 0 活盤式, 1 飛宮式 (既定 0)",
                       [&into](const std::string &v, std::string &error) {
                           const std::optional<int> method = parseInt(v, 0, 1);
                           if (!method)
                               error = "作盤方法は 0 (活盤式) か 1 (飛宮式) で指定して下さい: " + v;
                           else
                               into = static_cast<LayingMethod>(*method);
                           return method.has_value();
                       });
}

std::vector<Option> directionOptions(DirectionOptions &into, bool withFrom)
{
    const auto option = [&into, withFrom](std::string name, std::string value, std::string help) {
        auto take = [&into, withFrom](const Args &args, std::size_t &i, std::string &error) {
            return takeDirectionOption(args, i, into, error, withFrom) == FlagResult::Taken;
        };
        return Option{std::move(name), std::move(value), std::move(help), take};
    };
    std::vector<Option> options{option("--to", "PLACE", "目的地: 方位をこの地点への方位で決める")};
    if (withFrom)
        options.push_back(option("--from", "PLACE", "出発地 (既定は登録した自宅)"));
    options.push_back(option("--path", "geodesic|rhumb", "測地線か等角航路か (既定 geodesic)"));
    options.push_back(option("--north", "true|magnetic", "真北か磁北か (既定 true)"));
    options.push_back(option("--date", "YYYY-MM-DD", "磁北の日付 (既定は今日)"));
    options.push_back(option("--sectors", "45|30-60", "方位の区切り (既定 45)"));
    options.push_back(option("--margin", "DEG", "境目とみなす角度 (既定 3)"));
    options.push_back(option("--allow-edge", "", "境目に近い方位でも使う"));
    return options;
}

Parsed parseCommandLine(const CommandLine &line, const Args &args, std::vector<std::string> &positional,
                        std::string &error)
{
    for (const std::string &a : args)
        if (a == "--help" || a == "-h")
            return Parsed::Help;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (a.rfind("--", 0) != 0) {
            positional.push_back(a);
            continue;
        }
        const Option *option = find(line, a);
        if (!option) {
            error = line.command + ": 不明なオプションです: " + a;
            return Parsed::Bad;
        }
        if (!option->take(args, i, error)) {
            // The command always, the option unless the message names it.
            error = line.command + (error.find(a) == std::string::npos ? " " + a : std::string()) + ": " + error;
            return Parsed::Bad;
        }
    }
    return Parsed::Ok;
}

std::string commandHelp(const CommandLine &line)
{
    std::string out = "使い方: velm-cli " + line.command + (line.words.empty() ? "" : " " + line.words)
        + " [オプション]\n" + line.summary + "\n";
    std::size_t width = 0;
    const auto head = [](const Option &o) { return o.name + (o.value.empty() ? "" : " " + o.value); };
    for (const Option &o : line.options)
        width = std::max(width, displayWidth(head(o)));
    for (const Option &o : line.options)
        out += "  " + padded(head(o), width + 2) + o.help + "\n";
    return out;
}

const std::vector<std::string> &commandNames()
{
    static const std::vector<std::string> names{"koyomi", "terms",   "chart",   "batch",   "search", "calendar",
                                                "quick",  "bdata",   "cgidata", "heatmap", "bearing", "places",
                                                "journal", "people"};
    return names;
}

const CommandLine *commandTable(const std::string &command)
{
    static const std::map<std::string, CommandLine (*)()> makers{
        {"koyomi", koyomiCommandLine}, {"terms", termsCommandLine},     {"chart", chartCommandLine},
        {"batch", batchCommandLine},   {"search", searchCommandLine},   {"calendar", calendarCommandLine},
        {"quick", quickCommandLine},   {"bdata", bdataCommandLine},     {"cgidata", cgidataCommandLine},
        {"heatmap", heatmapCommandLine}, {"bearing", bearingCommandLine}, {"places", placesCommandLine},
        {"journal", journalCommandLine},
        {"people", peopleCommandLine},
    };
    static std::map<std::string, CommandLine> tables;
    const auto maker = makers.find(command);
    if (maker == makers.end())
        return nullptr;
    auto found = tables.find(command);
    if (found == tables.end())
        found = tables.emplace(command, maker->second()).first;
    return &found->second;
}

} // namespace velm::cli
