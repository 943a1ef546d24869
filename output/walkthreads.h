#pragma once

// A walk over moments 0..count-1 shared out among threads, for walks whose
// results must be exactly those of a one-moment-at-a-time loop.
//
// Each thread walks consecutive chunks from a range of its own, so its
// walker and caches keep moving forward. A thread whose range is used up
// takes the later half of the largest range another thread has left, so
// every core stays busy to the end while each range stays in one piece. The
// calling thread walks too and watches: after each of its own chunks, and
// each time another thread finishes one while it has nothing left to walk,
// it sees the prefix of the walk (the moments from 0 up to the first one not
// yet examined, and the hits among them) and may end the walk right there.
// Waiting is on a condition variable; nothing sleeps or polls.
//
// A thread pool or a task library would split the walk into pieces of its
// own choosing and run the caller's watch on any thread; here the pieces
// stay forward runs and the watch (a progress callback that may pump a
// window's events) stays on the calling thread.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velm {

// The examined start of a walk.
struct WalkPrefix {
    std::int64_t reached = 0; // moments 0..reached-1 are examined
    std::int64_t hits = 0;    // hits among them
    bool complete = false;    // reached is the whole count
};

// A chunk of the prefix: moments [from, to), walked by `thread` as its
// chunk number `seq` (its chunks are numbered from 0 in the order it walked
// them).
struct WalkChunk {
    std::int64_t from = 0;
    std::int64_t to = 0;
    int thread = 0;
    std::size_t seq = 0;
};

struct WalkEnd {
    WalkPrefix prefix;             // where the walk ended
    std::vector<WalkChunk> chunks; // the prefix's chunks, in time order
};

// Examines moments [from, to) on `thread` (0 is the calling thread) and
// returns the hits among them. Each thread's calls come from that thread
// only, in the order of their `seq`.
using WalkExamine = std::function<std::int64_t(int thread, std::int64_t from, std::int64_t to)>;
// Sees each new prefix on the calling thread; false ends the walk at it. A
// prefix may be seen more than once. The walk ends by itself after a
// complete prefix.
using WalkWatch = std::function<bool(const WalkPrefix &)>;

// Walks on `threads` threads (at least 1, the calling thread included) in
// chunks of `chunk` moments. Returns when every thread has stopped.
WalkEnd walkOnThreads(std::int64_t count, int threads, std::int64_t chunk, const WalkExamine &examine,
                      const WalkWatch &watch);

// Makes the text of blocks 0..count-1 on `threads` threads (the calling
// thread included) and hands each block to `consume` on the calling thread,
// in block order, as soon as it and every block before it are made: a long
// output is written while it is made, and at most a few blocks per thread
// wait in memory. `make` appends block b's text to an empty buffer; it is
// called from any thread, so it must only read shared state. `consume`
// returning false ends the run (blocks not yet consumed are dropped).
// Returns false when consume did.
using BlockMake = std::function<void(std::size_t block, std::string &out)>;
using BlockConsume = std::function<bool(std::string_view text)>;
bool makeBlocksInOrder(std::size_t count, int threads, const BlockMake &make, const BlockConsume &consume);

// Runs work(0) .. work(threads - 1) side by side, work(0) on the calling
// thread, and returns when all are done: for work already cut into equal
// parts.
void onThreads(int threads, const std::function<void(int)> &work);

} // namespace velm
