// Walks shared out among threads: every moment examined once, the prefix
// and its chunks in time order, a stop exactly at a prefix the watch saw,
// and a thread that stalls leaves its range to the others.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

#include "output/walkthreads.h"

using namespace velm;

namespace {

// A hit at every seventh moment.
std::int64_t hitsIn(std::int64_t from, std::int64_t to)
{
    std::int64_t hits = 0;
    for (std::int64_t k = from; k < to; ++k)
        hits += k % 7 == 0;
    return hits;
}

} // namespace

TEST(WalkThreads, EveryMomentOnceAndThePrefixInOrder)
{
    struct Case {
        std::int64_t count;
        int threads;
        std::int64_t chunk;
    };
    for (const Case &c : {Case{1, 1, 8}, Case{100, 1, 8}, Case{100, 3, 8}, Case{5000, 2, 64}, Case{5000, 4, 7},
                          Case{3, 4, 1}}) {
        std::vector<std::atomic<int>> seen(static_cast<std::size_t>(c.count));
        std::vector<std::size_t> chunksOf(static_cast<std::size_t>(c.threads), 0);
        std::mutex m;
        std::int64_t lastReached = -1;
        const WalkEnd end = walkOnThreads(
            c.count, c.threads, c.chunk,
            [&](int thread, std::int64_t from, std::int64_t to) {
                {
                    std::lock_guard lock(m);
                    ++chunksOf[static_cast<std::size_t>(thread)];
                }
                for (std::int64_t k = from; k < to; ++k)
                    ++seen[static_cast<std::size_t>(k)];
                return hitsIn(from, to);
            },
            [&](const WalkPrefix &p) {
                EXPECT_GE(p.reached, lastReached);
                lastReached = p.reached;
                EXPECT_EQ(p.hits, hitsIn(0, p.reached));
                return true;
            });
        EXPECT_TRUE(end.prefix.complete) << c.count;
        EXPECT_EQ(end.prefix.reached, c.count);
        EXPECT_EQ(end.prefix.hits, hitsIn(0, c.count));
        for (std::int64_t k = 0; k < c.count; ++k)
            ASSERT_EQ(seen[static_cast<std::size_t>(k)], 1) << c.count << " " << c.threads << " moment " << k;
        std::int64_t at = 0;
        std::vector<std::size_t> next(static_cast<std::size_t>(c.threads), 0);
        for (const WalkChunk &chunk : end.chunks) {
            EXPECT_EQ(chunk.from, at);
            EXPECT_LE(chunk.to - chunk.from, c.chunk);
            EXPECT_LT(chunk.seq, chunksOf[static_cast<std::size_t>(chunk.thread)]);
            at = chunk.to;
        }
        EXPECT_EQ(at, c.count);
    }
}

TEST(WalkThreads, AStopEndsAtThePrefixTheWatchSaw)
{
    // The largest count too: ranges and chunks are cut without overflowing.
    for (const auto &[count, threads] : {std::pair{std::int64_t{100000}, 1}, std::pair{std::int64_t{100000}, 2},
                                         std::pair{std::int64_t{100000}, 3},
                                         std::pair{std::numeric_limits<std::int64_t>::max(), 3}}) {
        WalkPrefix last;
        const WalkEnd end = walkOnThreads(
            count, threads, 100, [](int, std::int64_t from, std::int64_t to) { return hitsIn(from, to); },
            [&](const WalkPrefix &p) {
                last = p;
                return p.reached < 1000;
            });
        EXPECT_EQ(end.prefix.reached, last.reached);
        EXPECT_EQ(end.prefix.hits, last.hits);
        EXPECT_EQ(end.prefix.complete, last.reached == count);
        ASSERT_FALSE(end.chunks.empty());
        EXPECT_EQ(end.chunks.front().from, 0);
        EXPECT_EQ(end.chunks.back().to, last.reached);
        if (count > 100000) {
            EXPECT_LT(last.reached, 10000000);
        }
    }
}

TEST(WalkThreads, AStalledThreadsRangeIsWalkedByTheOthers)
{
    // Thread 1 stalls in its first chunk until the calling thread has walked
    // all but a few moments (its stalled chunk and a sliver stay with it), giving up
    // after a few seconds so that a fault fails here rather than hangs.
    std::atomic<std::int64_t> others{0};
    const std::int64_t count = 4000;
    const std::int64_t chunk = 10;
    const WalkEnd end = walkOnThreads(
        count, 2, chunk,
        [&](int thread, std::int64_t from, std::int64_t to) {
            if (thread == 0) {
                others += to - from;
            } else if (from == count / 2) {
                const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
                while (others.load() < count - 3 * chunk && std::chrono::steady_clock::now() < giveUp)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            return std::int64_t{0};
        },
        [](const WalkPrefix &) { return true; });
    EXPECT_TRUE(end.prefix.complete);
    EXPECT_GE(others.load(), count - 3 * chunk);
}

// Blocks made on several threads reach the consumer in order, each once;
// a consumer that declines ends the run there.
TEST(WalkThreads, BlocksAreHandedOnInOrder)
{
    for (int threads : {1, 2, 5}) {
        std::string all;
        const bool done = makeBlocksInOrder(
            300, threads, [](std::size_t b, std::string &out) { out += std::to_string(b) + ","; },
            [&](std::string_view text) {
                all += text;
                return true;
            });
        EXPECT_TRUE(done);
        std::string expected;
        for (int b = 0; b < 300; ++b)
            expected += std::to_string(b) + ",";
        EXPECT_EQ(all, expected) << threads;

        int taken = 0;
        EXPECT_FALSE(makeBlocksInOrder(
            300, threads, [](std::size_t, std::string &out) { out = "x"; },
            [&](std::string_view) { return ++taken < 7; }));
        EXPECT_EQ(taken, 7);
    }
}
