// A journal of 100,000 entries with Japanese notes: adding one entry (one
// transaction, made durable) should stay under 5 ms, a full-text search for
// a two- or three-character word under 50 ms, and the list the journal
// window opens with (the newest thousand) well under half a second.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include <unistd.h>

#include "output/journal.h"

namespace fs = std::filesystem;

namespace {

constexpr int Entries = 100'000;

// Made once per run: the entries go in through one import, one transaction.
velm::Journal &journal()
{
    static const fs::path dir = fs::temp_directory_path() / ("velm-journal-bench-" + std::to_string(::getpid()));
    static const struct Scratch {
        Scratch() { fs::remove_all(dir); }
        ~Scratch() { fs::remove_all(dir); }
    } scratch;
    static std::unique_ptr<velm::Journal> j = [] {
        fs::create_directories(dir);
        std::string error;
        auto opened = velm::Journal::open((dir / "VELM.db").string(), error);
        static const char *words[] = {"仕事", "相談", "旅行", "家族", "健康", "金運", "契約", "会議", "引っ越し",
                                      "北東", "南西", "結婚", "試験", "病院", "友人", "買い物", "商談", "開店",
                                      "雨", "晴れ", "遅れ", "順調", "思わしくない", "良い知らせ"};
        std::mt19937 random(11);
        std::uniform_int_distribution<std::size_t> pick(0, std::size(words) - 1);
        std::string json = "{\"format\":\"velm-journal\",\"version\":1,\"entries\":[";
        for (int i = 0; i < Entries; ++i) {
            std::string note;
            for (int w = 0; w < 12; ++w)
                note += std::string(words[pick(random)]) + (w % 4 == 3 ? "。" : "の");
            // One entry in a hundred moved house.
            if (i % 100 == 0)
                note += "転居した。";
            char moment[32];
            std::snprintf(moment, sizeof moment, "%04d-%02d-%02dT%02d:00", 1990 + i % 35, 1 + i % 12, 1 + i % 28,
                          (i * 2) % 24);
            json += std::string(i ? "," : "") + "{\"id\":\"bench-" + std::to_string(i) + "\",\"moment\":\"" + moment
                + "\",\"kind\":[3],\"options\":{},\"question\":\"" + words[pick(random)] + "の件\",\"note\":\"" + note
                + "\",\"tags\":[\"" + words[pick(random)] + "\"]}";
        }
        json += "]}";
        const velm::JournalImport result = opened->importJson(json);
        if (!result.error.empty() || result.added != Entries)
            std::abort();
        return opened;
    }();
    return *j;
}

void BM_AddOneEntryTo100k(benchmark::State &state)
{
    velm::Journal &j = journal();
    int n = 0;
    for (auto _ : state) {
        velm::JournalEntry e;
        e.moment = {2024, 3, 1, 12, 0, 0};
        e.question = "追加 " + std::to_string(++n);
        e.note = "北東へ転居する。";
        e.tags = {"転居"};
        e.charts.resize(1);
        if (!j.add(e).empty())
            state.SkipWithError("add failed");
    }
}

void search(benchmark::State &state, const char *text)
{
    velm::Journal &j = journal();
    velm::JournalFilter filter;
    filter.text = text;
    std::size_t found = 0;
    for (auto _ : state) {
        std::string error;
        found = j.list(filter, error).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = static_cast<double>(found);
}

void BM_SearchTwoCharacterWordIn100k(benchmark::State &state) { search(state, "転居"); }
void BM_SearchThreeCharacterWordIn100k(benchmark::State &state) { search(state, "転居し"); }

// What the journal window lists as it opens: the newest thousand.
void BM_ListNewest1000Of100k(benchmark::State &state)
{
    velm::Journal &j = journal();
    velm::JournalFilter filter;
    filter.limit = 1001;
    for (auto _ : state) {
        std::string error;
        benchmark::DoNotOptimize(j.list(filter, error).size());
    }
}

// "すべて表示": every entry.
void BM_ListAll100k(benchmark::State &state)
{
    velm::Journal &j = journal();
    for (auto _ : state) {
        std::string error;
        benchmark::DoNotOptimize(j.list({}, error).size());
    }
}

} // namespace

BENCHMARK(BM_SearchTwoCharacterWordIn100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchThreeCharacterWordIn100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListNewest1000Of100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListAll100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddOneEntryTo100k)->Unit(benchmark::kMillisecond);
