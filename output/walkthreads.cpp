#include "output/walkthreads.h"

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace velm {
namespace {

// Who walks what, and what has been walked. Every member is read and written
// under the mutex; the moments themselves are examined outside it. A chunk
// takes milliseconds, so taking the lock once per chunk costs nothing.
class Schedule {
public:
    Schedule(std::int64_t count, int threads, std::int64_t chunk)
        : m_count(count)
        , m_chunk(chunk)
        , m_ranges(static_cast<std::size_t>(threads))
        , m_seq(static_cast<std::size_t>(threads), 0)
        , m_walking(threads - 1)
    {
        // Equal ranges, split without multiplying the count.
        const std::int64_t share = count / threads;
        const std::int64_t extra = count % threads;
        std::int64_t next = 0;
        for (Range &r : m_ranges) {
            const std::int64_t size = share + (&r - m_ranges.data() < extra ? 1 : 0);
            r = {next, next + size};
            next += size;
        }
    }

    std::mutex mutex;
    // Signalled when a chunk is finished or a thread has stopped.
    std::condition_variable changed;

    // The next chunk for thread j: from the front of its range, or of the
    // half it takes over from another. Nothing when the walk is over for it.
    std::optional<WalkChunk> claim(int j)
    {
        if (m_stop)
            return std::nullopt;
        Range &r = m_ranges[static_cast<std::size_t>(j)];
        if (r.next >= r.end && !takeOver(r))
            return std::nullopt;
        WalkChunk c;
        c.from = r.next;
        c.to = r.next + std::min(m_chunk, r.end - r.next);
        c.thread = j;
        c.seq = m_seq[static_cast<std::size_t>(j)]++;
        r.next = c.to;
        return c;
    }

    void finish(const WalkChunk &c, std::int64_t hits)
    {
        m_waiting.emplace(c.from, Finished{c, hits});
        // The prefix grows over every finished chunk that now adjoins it.
        while (!m_waiting.empty() && m_waiting.begin()->first == m_prefix.reached) {
            const Finished &f = m_waiting.begin()->second;
            m_prefix.reached = f.chunk.to;
            m_prefix.hits += f.hits;
            m_chunks.push_back(f.chunk);
            m_waiting.erase(m_waiting.begin());
        }
        m_prefix.complete = m_prefix.reached >= m_count;
        ++m_version;
    }

    void stopped() { --m_walking; }
    void stop() { m_stop = true; }

    const WalkPrefix &prefix() const { return m_prefix; }
    std::uint64_t version() const { return m_version; }
    bool othersWalking() const { return m_walking > 0; }

    // The chunks of a prefix seen earlier (later chunks may have joined since).
    std::vector<WalkChunk> chunksUpTo(std::int64_t reached) const
    {
        std::vector<WalkChunk> chunks;
        for (const WalkChunk &c : m_chunks) {
            if (c.to > reached)
                break;
            chunks.push_back(c);
        }
        return chunks;
    }

private:
    struct Range {
        std::int64_t next = 0; // the first moment nobody has taken
        std::int64_t end = 0;
    };
    struct Finished {
        WalkChunk chunk;
        std::int64_t hits = 0;
    };

    // Takes the later half of the largest range left. Down to an eighth of
    // a chunk: a whole chunk or two left to one thread at the end would keep
    // the other idle for that long.
    bool takeOver(Range &mine)
    {
        Range *largest = nullptr;
        for (Range &r : m_ranges)
            if (largest == nullptr || r.end - r.next > largest->end - largest->next)
                largest = &r;
        const std::int64_t left = largest->end - largest->next;
        if (left / 2 < std::max<std::int64_t>(1, m_chunk / 8))
            return false;
        const std::int64_t middle = largest->next + left / 2;
        mine = {middle, largest->end};
        largest->end = middle;
        return true;
    }

    const std::int64_t m_count;
    const std::int64_t m_chunk;
    std::vector<Range> m_ranges;  // by thread
    std::vector<std::size_t> m_seq; // chunks taken so far, by thread
    int m_walking;                // threads other than the caller not yet stopped
    bool m_stop = false;
    WalkPrefix m_prefix;
    std::vector<WalkChunk> m_chunks;             // the prefix's chunks, in time order
    std::map<std::int64_t, Finished> m_waiting;  // finished beyond the prefix, by start
    std::uint64_t m_version = 0;                 // finished chunks so far
};

} // namespace

WalkEnd walkOnThreads(std::int64_t count, int threads, std::int64_t chunk, const WalkExamine &examine,
                      const WalkWatch &watch)
{
    if (count <= 0)
        return {WalkPrefix{0, 0, true}, {}};
    threads = std::max(threads, 1);
    chunk = std::max<std::int64_t>(chunk, 1);
    Schedule schedule(count, threads, chunk);

    auto worker = [&](int j) {
        for (;;) {
            std::optional<WalkChunk> c;
            {
                std::lock_guard lock(schedule.mutex);
                c = schedule.claim(j);
                if (!c) {
                    schedule.stopped();
                    break;
                }
            }
            const std::int64_t hits = examine(j, c->from, c->to);
            {
                std::lock_guard lock(schedule.mutex);
                schedule.finish(*c, hits);
            }
            schedule.changed.notify_one();
        }
        schedule.changed.notify_one();
    };
    // Stops and joins the other threads however the calling thread leaves,
    // an exception from its own chunk or from the watch included.
    struct Pool {
        Schedule &schedule;
        std::vector<std::thread> threads;
        ~Pool()
        {
            {
                std::lock_guard lock(schedule.mutex);
                schedule.stop();
            }
            for (std::thread &t : threads)
                t.join();
        }
    } pool{schedule, {}};
    pool.threads.reserve(static_cast<std::size_t>(threads - 1));
    for (int j = 1; j < threads; ++j)
        pool.threads.emplace_back(worker, j);

    // The calling thread: walk while there is something to take, else wait
    // for the others; show the watch every prefix it sees.
    WalkPrefix seen;
    std::uint64_t seenVersion = 0;
    for (;;) {
        std::unique_lock lock(schedule.mutex);
        if (std::optional<WalkChunk> c = schedule.claim(0)) {
            lock.unlock();
            const std::int64_t hits = examine(0, c->from, c->to);
            lock.lock();
            schedule.finish(*c, hits);
        } else {
            schedule.changed.wait(lock, [&] {
                return schedule.version() != seenVersion || !schedule.othersWalking();
            });
        }
        seen = schedule.prefix();
        seenVersion = schedule.version();
        lock.unlock();
        if (!watch(seen) || seen.complete)
            break;
    }
    std::lock_guard lock(schedule.mutex);
    return {seen, schedule.chunksUpTo(seen.reached)};
}

bool makeBlocksInOrder(std::size_t count, int threads, const BlockMake &make, const BlockConsume &consume)
{
    if (count == 0)
        return true;
    threads = static_cast<int>(std::clamp<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), 1, count));
    if (threads == 1) {
        std::string text;
        for (std::size_t b = 0; b < count; ++b) {
            text.clear();
            make(b, text);
            if (!consume(text))
                return false;
        }
        return true;
    }

    // Blocks are claimed in order and none more than `ahead` past the next
    // one to consume, so memory stays a few blocks whatever the count. A
    // made block waits in its ring slot; buffers are reused.
    const std::size_t ahead = 2 * static_cast<std::size_t>(threads);
    struct Slot {
        std::string text;
        bool ready = false;
    };
    std::vector<Slot> ring(ahead);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t nextClaim = 0;   // the first block nobody has taken
    std::size_t nextConsume = 0; // the first block not yet handed on
    bool stop = false;

    // Takes the next block when its slot is free; nothing when the run is over.
    const auto claim = [&](std::unique_lock<std::mutex> &) -> std::optional<std::size_t> {
        if (stop || nextClaim >= count || nextClaim >= nextConsume + ahead)
            return std::nullopt;
        return nextClaim++;
    };
    const auto makeInto = [&](std::size_t b, std::unique_lock<std::mutex> &lock) {
        Slot &slot = ring[b % ahead];
        std::string text = std::move(slot.text);
        lock.unlock();
        text.clear();
        make(b, text);
        lock.lock();
        slot.text = std::move(text);
        slot.ready = true;
    };

    const auto worker = [&] {
        std::unique_lock lock(mutex);
        for (;;) {
            std::optional<std::size_t> b;
            changed.wait(lock, [&] { return (b = claim(lock)) || stop || nextClaim >= count; });
            if (!b)
                break;
            makeInto(*b, lock);
            changed.notify_all();
        }
    };
    struct Pool {
        std::mutex &mutex;
        std::condition_variable &changed;
        bool &stop;
        std::vector<std::thread> threads;
        ~Pool()
        {
            {
                std::lock_guard lock(mutex);
                stop = true;
            }
            changed.notify_all();
            for (std::thread &t : threads)
                t.join();
        }
    } pool{mutex, changed, stop, {}};
    for (int j = 1; j < threads; ++j)
        pool.threads.emplace_back(worker);

    // The calling thread hands on every block that is ready, in order, and
    // makes blocks itself while the next one to hand on is still being made.
    std::unique_lock lock(mutex);
    while (nextConsume < count) {
        Slot &slot = ring[nextConsume % ahead];
        if (slot.ready) {
            std::string text = std::move(slot.text);
            slot.ready = false;
            lock.unlock();
            const bool going = consume(text);
            lock.lock();
            slot.text = std::move(text);
            ++nextConsume;
            changed.notify_all();
            if (!going) {
                stop = true;
                return false;
            }
        } else if (std::optional<std::size_t> b = claim(lock)) {
            makeInto(*b, lock);
            changed.notify_all();
        } else {
            changed.wait(lock);
        }
    }
    return true;
}

void onThreads(int threads, const std::function<void(int)> &work)
{
    // Joined however work(0) ends.
    struct Pool {
        std::vector<std::thread> threads;
        ~Pool()
        {
            for (std::thread &t : threads)
                t.join();
        }
    } pool;
    for (int j = 1; j < threads; ++j)
        pool.threads.emplace_back(work, j);
    work(0);
}

} // namespace velm
