#include "output/chartdata.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "engine/datetime.h"
#include "engine/ju.h"
#include "engine/syserror.h"
#include "engine/textfile.h"
#include "output/laidchart.h"
#include "output/listfile.h"
#include "output/walk.h"

namespace velm {
namespace {

namespace fs = std::filesystem;

template <typename Table>
std::string_view at(const Table &table, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= table.size())
        return "　";
    return table[static_cast<std::size_t>(index)];
}

std::string format(const char *pattern, int a, int b = 0, int c = 0, int d = 0)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, pattern, a, b, c, d);
    return buf;
}

bool validKind(int kind)
{
    return kind >= KindYear && kind <= KindHour;
}

CivilTime dateAt(int year, int month, int day, int hour = 0, int minute = 0)
{
    return CivilTime{year, month, day, hour, minute, 0};
}

// "MMDDHHNN" of a term instant.
std::string instantText(const CivilTime &t)
{
    return format("%02d%02d%02d%02d", t.month, t.day, t.hour, t.minute);
}

std::string chartLine(const std::string &head, const CivilTime &t, int kind, const ChartFileOptions &o)
{
    const LaidChart laid = layChart(t, kind, o.koyomi, o.method);
    return head + " " + chartPalaceText(laid.chart.Ban, o.output, o.names);
}

std::string dayLine(const CivilTime &day, const ChartFileOptions &o)
{
    const CivilTime first = dateAt(day.year, day.month, day.day, 0, 30);
    const Koyomi atFirst = DateToKyu(first, o.koyomi);
    std::string line = format("%02d%02d", day.month, day.day) + " ";
    line += chartPalaceText(layChart(atFirst, KindDay, o.method).chart.Ban,
                            o.output, o.names);
    for (int k = 0; k <= 12; ++k) {
        const Koyomi facts = k == 0 ? atFirst : DateToKyu(walkMoment(first, KindHour, k), o.koyomi);
        line += chartPalaceText(layChart(facts, KindHour, o.method).chart.Ban,
                                o.output, o.names);
    }
    return line;
}

// The year charts of the previous and the given year. July 1 lies well
// inside the year that began at the 立春 found from the same day.
std::vector<std::string> yearLines(int year, const ChartFileOptions &o)
{
    std::vector<std::string> lines;
    for (int y : {year - 1, year}) {
        const CivilTime july = dateAt(y, 7, 1);
        lines.push_back(chartLine(instantText(DateToSet(july, 3, o.koyomi.clock.calendarTz())), july, KindYear, o));
    }
    return lines;
}

// December 20 of the previous year, then the 20th of each month: the 20th
// lies after every month-opening term of its month.
std::vector<std::string> monthLines(int year, const ChartFileOptions &o)
{
    std::vector<std::string> lines;
    for (int n = 0; n <= 12; ++n) {
        const CivilTime twentieth = n == 0 ? dateAt(year - 1, 12, 20) : dateAt(year, n, 20);
        lines.push_back(chartLine(instantText(DateToSet(twentieth, 1, o.koyomi.clock.calendarTz())), twentieth,
                                  KindMonth, o));
    }
    return lines;
}

std::string folderError(const fs::path &folder, const std::error_code &ec)
{
    return "『" + folder.string() + "』フォルダを作成できません。(" + systemErrorText(ec) + ")";
}

// Creates the folder with its missing parents; empty on success.
std::string makeFolder(const fs::path &folder)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
        return folderError(folder, ec);
    if (!fs::is_directory(folder, ec))
        return folderError(folder, std::make_error_code(std::errc::not_a_directory));
    return {};
}

} // namespace

// ---------------------------------------------------------------- the list

ChartDataRow chartDataRow(const CivilTime &t, const Koyomi &k, const ChartRecord &chart)
{
    const int kind = chart.BanShu;
    const auto i = static_cast<std::size_t>(validKind(kind) ? kind : KindHour);
    ChartDataRow row;
    row[ListCol::Kind] = at(KindCaption, kind);
    row[ListCol::Date] = formatListDate(t);
    row[ListCol::Hour] = formatListHour(t);
    row[ListCol::Weekday] = formatListWeekday(t);
    for (std::size_t n = 0; n < 4; ++n)
        row[ListCol::FirstPillar + n]
            = std::string(at(StemName, k.BanKan[n])) + std::string(at(BranchName, k.BanShi[n]));
    if (kind == KindHour)
        row[ListCol::Term] = std::string(at(TermName, k.BanSekki[3])) + std::string(at(YuanName, k.Gen));
    else
        row[ListCol::Term] = at(TermName, k.BanSekki[2]);
    row[ListCol::Ju] = std::string(at(DunName, k.BanTon[i])) + std::string(at(NumeralFull, k.BanKyoku[i])) + "局";
    row[ListCol::XunHead] = at(StemName, KSToJun(k.BanKan[i], k.BanShi[i]));
    row[ListCol::ChartFlag] = at(FlagName, chart.BanFlagNo);
    // ChokuFuMoto is the ring of the duty palace, and door n lives at ring n:
    // the duty door, then the palace it landed in.
    row[ListCol::DutyDoor]
        = std::string(at(DoorName, chart.ChokuFuMoto)) + "-" + std::string(at(TrigramName, chart.ChokuShiKyu));
    row[ListCol::CentreStar] = at(NumeralFull, k.BanKyuSei[i]);
    return row;
}

std::string chartDataRowText(const ChartDataRow &row)
{
    std::string text;
    for (const std::string &field : row)
        text += field + ",";
    return text;
}

std::string FindProc(const CivilTime &t, int kind, const KoyomiOptions &koyomi, LayingMethod method)
{
    if (!validKind(kind) || !isValidCivil(t))
        return {};
    const LaidChart laid = layChart(t, kind, koyomi, method);
    if (!laid.koyomi.error.empty())
        return {};
    return chartDataRowText(chartDataRow(t, laid.koyomi, laid.chart));
}

ChartDataList ListProc(const ChartDataListOptions &options, const ChartDataProgress &progress,
                       const ChartDataSink &sink)
{
    ChartDataList list;
    if (!validKind(options.kind))
        return list;
    for (long i = 0; i < options.count; ++i) {
        if (progress && i % ChartDataProgressEvery == 0 && !progress(i)) {
            list.cancelled = true;
            break;
        }
        const CivilTime t = walkMoment(options.start, options.kind, i);
        if (!isValidCivil(t) || !inWalkRange(t, options.koyomi.astronomy)) {
            list.ended = true;
            break;
        }
        std::string row = FindProc(t, options.kind, options.koyomi, options.method);
        if (!row.empty()) {
            if (!sink)
                list.rows.push_back(std::move(row));
            else if (!sink(row)) {
                list.cancelled = true;
                break;
            }
        }
        list.last = t;
        ++list.count;
    }
    return list;
}

long chartDataListLength(const ChartDataListOptions &options)
{
    if (!validKind(options.kind) || options.count <= 0)
        return 0;
    return static_cast<long>(walkLimit(options.start, options.kind, options.count, options.koyomi.astronomy));
}

ListRow chartDataCaptionRow()
{
    ListRow captions;
    for (std::size_t c = 0; c < captions.size(); ++c)
        captions[c] = ChartDataCaptions[c];
    return captions;
}

ListRow chartDataListRow(std::string_view text)
{
    // Each field ends with its comma; text after the last comma is not a field.
    ListRow row;
    std::size_t c = 0;
    for (std::size_t start = 0, comma; c < row.size() && (comma = text.find(',', start)) != std::string_view::npos;
         start = comma + 1)
        row[c++] = text.substr(start, comma - start);
    return row;
}

ListModel chartDataListModel(const ChartDataList &list)
{
    ListModel model;
    model.SenL = ChartDataSenL;
    model.CntL = std::to_string(list.count);
    model.rows.push_back(chartDataCaptionRow());
    for (const std::string &text : list.rows)
        model.rows.push_back(chartDataListRow(text));
    return model;
}

// ---------------------------------------------------------------- the files

std::string chartPalaceText(const BanRows &ban, ChartFileOutput output, const ConstData &names)
{
    std::string text;
    for (std::size_t n = 0; n < ChartFilePalaceOrder.size(); ++n) {
        const auto p = static_cast<std::size_t>(ChartFilePalaceOrder[n]);
        if (n > 0)
            text += ",";
        if (output == ChartFileOutput::Code) {
            for (int row : {TenKan, Sei, KyuSeiBan, ChiKan, Mon, Shin})
                text += std::to_string(ban[static_cast<std::size_t>(row)][p]);
        } else {
            text += at(StemName, ban[TenKan][p]);
            text += at(names.StarChar, ban[Sei][p]);
            text += at(NumeralKanji, ban[KyuSeiBan][p]);
            text += at(StemName, ban[ChiKan][p]);
            text += at(DoorName, ban[Mon][p]);
            text += at(DeityChar, ban[Shin][p]);
        }
    }
    return text + " ";
}

std::vector<std::string> yearMonthLines(int year, const ChartFileOptions &o)
{
    std::vector<std::string> lines = yearLines(year, o);
    for (std::string &line : monthLines(year, o))
        lines.push_back(std::move(line));
    return lines;
}

std::vector<std::string> dayFileLines(int year, int month, const ChartFileOptions &o)
{
    std::vector<std::string> lines;
    const int days = daysInMonth(year, month);
    for (int d = 1; d <= days; ++d)
        lines.push_back(dayLine(dateAt(year, month, d), o));
    return lines;
}

std::string yearMonthFilePath(const std::string &folder, int year)
{
    return (fs::path(folder) / (std::to_string(year) + ".dat")).string();
}

std::string dayFilePath(const std::string &folder, int year, int month, ChartFileLayout layout)
{
    const std::string mm = format("%02d", month);
    if (layout == ChartFileLayout::YearFolders)
        return (fs::path(folder) / std::to_string(year) / (mm + ".dat")).string();
    return (fs::path(folder) / (std::to_string(year) + mm + ".dat")).string();
}

std::string chartFileOptionsError(const ChartFileOptions &o)
{
    if (o.folder.empty())
        return "出力フォルダを指定して下さい。";
    if (!o.yearMonth && !o.dayHour)
        return "出力データを、１つ以上チェックして下さい。";
    if (o.fromYear < ChartFileFirstYear || o.fromYear > ChartFileLastYear
        || o.toYear < ChartFileFirstYear || o.toYear > ChartFileLastYear)
        return "出力年は、" + std::to_string(ChartFileFirstYear) + "～" + std::to_string(ChartFileLastYear)
            + "の範囲で指定して下さい。";
    if (o.fromYear > o.toYear)
        return "出力開始年が、出力終了年より後になっています。";
    return {};
}

ChartFileResult writeChartDataFiles(const ChartFileOptions &o, const ChartFileProgress &progress)
{
    ChartFileResult result;
    auto fail = [&](std::string message) {
        result.status = ChartFileResult::Status::Failed;
        result.message = std::move(message);
        return result;
    };
    auto report = [&](std::string_view status) { return !progress || progress(status); };
    auto cancelled = [&]() {
        result.status = ChartFileResult::Status::Cancelled;
        return result;
    };
    auto write = [&](const std::string &path, const std::vector<std::string> &lines) {
        std::string error = writeTextFileAtomic(path, lines);
        if (error.empty())
            result.written.push_back(path);
        return error;
    };

    if (std::string error = chartFileOptionsError(o); !error.empty())
        return fail(error);

    for (int y = o.fromYear; y <= o.toYear; ++y) {
        if (o.yearMonth) {
            if (!report("年データ作成中！"))
                return cancelled();
            std::vector<std::string> lines = yearLines(y, o);
            if (!report("月データ作成中！"))
                return cancelled();
            for (std::string &line : monthLines(y, o))
                lines.push_back(std::move(line));
            if (std::string error = makeFolder(o.folder); !error.empty())
                return fail(error);
            if (std::string error = write(yearMonthFilePath(o.folder, y), lines); !error.empty())
                return fail(error);
        }
        if (o.dayHour) {
            if (!report("日時データ作成中！"))
                return cancelled();
            if (o.layout == ChartFileLayout::YearFolders) {
                if (std::string error = makeFolder(fs::path(o.folder) / std::to_string(y)); !error.empty())
                    return fail(error);
            }
            for (int m = 1; m <= 12; ++m) {
                const std::string status = std::to_string(y) + "年" + std::to_string(m) + "月の日時データ作成中！";
                std::vector<std::string> lines;
                for (int d = 1; d <= daysInMonth(y, m); ++d) {
                    if (!report(status))
                        return cancelled();
                    lines.push_back(dayLine(dateAt(y, m, d), o));
                }
                if (std::string error = write(dayFilePath(o.folder, y, m, o.layout), lines); !error.empty())
                    return fail(error);
            }
        }
    }
    report(ChartFileDoneStatus);
    return result;
}

} // namespace velm
