#include "cli/options.h"

#include <algorithm>
#include <map>

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

// An option of a table kept only for the usage and the agreement check: it
// takes its value and nothing else.
Option listed(std::string name, std::string value, std::string help)
{
    const bool hasValue = !value.empty();
    auto take = [hasValue](const Args &args, std::size_t &i, std::string &error) {
        return !hasValue || takeValue(args, i, error) != nullptr;
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

// The tables of the commands that still read their words themselves: what
// they accept, for the usage and the agreement check.
CommandLine listedCommand(const std::string &command)
{
    static KoyomiOptions koyomi;
    CommandLine line;
    line.command = command;
    const auto add = [&line](std::vector<Option> more) {
        line.options.insert(line.options.end(), more.begin(), more.end());
    };
    const Option method01 = listed("--method", "0|1", "作盤方法: 0 活盤式, 1 飛宮式 (既定 0)");
    if (command == "terms") {
        line.words = "YEAR";
        line.summary = "一年の二十四節気の時刻を JSON 行で出力します。";
        add(calendarOptions(koyomi, false));
    } else if (command == "batch") {
        line.summary = "標準入力の要求行 (MOMENT KIND METHOD PERIODS KCB1 TZ) ごとに盤を JSON で出力します。";
        line.options.push_back(listed("--numbers", "FILE", "採点に使う数値ファイル (既定はデータフォルダの SuuFile.Dat)"));
        for (Option &o : calendarOptions(koyomi, false))
            if (o.name != "--tz")
                line.options.push_back(std::move(o));
    } else if (command == "search") {
        line.words = "DATE TIME";
        line.summary = "占事の検索一覧表を出力します。";
        line.options = {
            listed("--matter", "NAME", "占事の名前 (必須)"),
            listed("--kind", "0..3", "検索する盤: 0 年盤 … 3 時盤"),
            listed("--direction", "0..8", "方位: 0 全方位, 1 北西 … 8 南東"),
            listed("--element", "0..6", "表示する要素"),
            listed("--method", "rotating|flying", "作盤方法 (既定 rotating)"),
            listed("--limit", "N", "調べる盤の数"),
            listed("--max-matches", "M", "一覧表の行数の上限"),
            listed("--threads", "T", "使うスレッドの数 (既定は全コア)"),
            listed("--out", "LIST.csv", "一覧表ファイル (CP932) に書き出す"),
            listed("--ics", "FILE", "予定表ファイル (iCalendar) に書き出す"),
        };
        add(calendarOptions(koyomi));
    } else if (command == "calendar") {
        line.words = "DATE TIME";
        line.summary = "数値カレンダーを出力します。";
        line.options = {
            listed("--rows", "N", "作成行数 (0～99999)"),
            listed("--from", "N", "入力の時刻から前後何刻目から始めるか (-99999～99999)"),
            listed("--hours", "MASK", "指定作成する時盤 (ビット0 丑 … ビット11 子, 0～4095)"),
            listed("--csv", "", "コンマ区切りで出力する"),
            listed("--ics", "FILE", "予定表ファイル (iCalendar) に書き出す"),
        };
        add(calendarOptions(koyomi));
    } else if (command == "quick") {
        line.words = "DATE TIME";
        line.summary = "簡易検索: 条件に合う最初の盤を探します。";
        line.options = {
            listed("--kind", "K", "盤: 年 月 日 時 (必須)"),
            listed("--stem", "S", "天干: 甲 … 癸"),
            listed("--branch", "B", "地支: 子 … 亥"),
            listed("--dun", "D", "陰陽: 陽 か 陰 (必須)"),
            listed("--ju", "J", "局: 1～9"),
            listed("--limit", "N", "調べる盤の数"),
            method01,
        };
        add(calendarOptions(koyomi));
    } else if (command == "bdata") {
        line.words = "DATE TIME";
        line.summary = "作盤データ一覧表を出力します。";
        line.options = {
            listed("--kind", "K", "盤: 年 月 日 時 (必須)"),
            listed("--count", "N", "作成上限"),
            listed("--out", "LIST.csv", "一覧表ファイル (CP932) に作りながら書き出す"),
            method01,
        };
        add(calendarOptions(koyomi));
    } else if (command == "cgidata") {
        line.summary = "Web 用の作盤データファイルを作ります。";
        line.options = {
            listed("--from-year", "Y1", "最初の年 (必須)"),
            listed("--to-year", "Y2", "最後の年 (必須)"),
            listed("--out", "DIR", "書き出すフォルダ (必須)"),
            listed("--text", "", "コードでなく文字列で書く"),
            listed("--year-folders", "", "年ごとのフォルダに分ける"),
            listed("--no-year-month", "", "年月データを作らない"),
            listed("--no-day-hour", "", "日時データを作らない"),
            method01,
        };
        add(calendarOptions(koyomi));
    } else if (command == "bearing") {
        line.summary = "二地点の間の方位と距離、その方位の宮を出力します。";
        line.options = {
            listed("--from", "PLACE", "出発地 (既定は登録した自宅)"),
            listed("--to", "PLACE", "目的地 (必須)"),
            listed("--path", "geodesic|rhumb", "測地線か等角航路か"),
            listed("--north", "true|magnetic", "真北か磁北か"),
            listed("--date", "YYYY-MM-DD", "磁北の日付"),
            listed("--sectors", "45|30-60", "方位の区切り"),
            listed("--margin", "DEG", "境目とみなす角度"),
            listed("--json", "", "JSON で出力する"),
        };
    } else if (command == "places") {
        line.words = "list|add NAME COORDINATES|remove NAME|home [NAME]";
        line.summary = "地点帳 (VELM.db) の地点を一覧・登録・削除し、自宅を決めます。";
        line.options = {
            listed("--json", "", "list を JSON で出力する"),
            listed("--note", "TEXT", "add: 地点の覚え書き"),
            listed("--home", "", "add: その地点を自宅にする"),
        };
    } else if (command == "heatmap") {
        line.words = "DATE";
        line.summary = "日ごとの方位の数値 (方位ヒートマップ) を出力します。";
        line.options = {
            listed("--days", "N", "日数 (必須)"),
            listed("--kind", "hour|day", "時盤か日盤か (既定 hour)"),
            listed("--direction", "1..8|best", "方位: 1 北西 … 8 南東, best 最良 (既定)"),
            listed("--csv", "", "コンマ区切りで出力する"),
            method01,
        };
        add(calendarOptions(koyomi));
    }
    line.options.push_back(dataOption());
    return line;
}

} // namespace

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
    return listed("--data", "DIR", "データファイルのフォルダ");
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
                                                "quick",  "bdata",   "cgidata", "heatmap", "bearing", "places"};
    return names;
}

const CommandLine *commandTable(const std::string &command)
{
    static std::map<std::string, CommandLine> tables;
    if (std::find(commandNames().begin(), commandNames().end(), command) == commandNames().end())
        return nullptr;
    auto found = tables.find(command);
    if (found == tables.end()) {
        CommandLine line;
        if (command == "chart") {
            static ChartArgs scratch;
            line = chartCommandLine(scratch);
        } else if (command == "koyomi") {
            static KoyomiArgs scratch;
            line = koyomiCommandLine(scratch);
        } else {
            line = listedCommand(command);
        }
        found = tables.emplace(command, std::move(line)).first;
    }
    return &found->second;
}

} // namespace velm::cli
