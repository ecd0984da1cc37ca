// Replaying a crash's journal at start-up: 100,000 records of every kind onto
// 100,000 stored alerts, and 100,000 deletions of messages that are not there
// onto 20,000. Goal: the replay costs in proportion to the records and the
// list, far below a second for either.
//
// Measured with make native (Release) on the 2-core build machine, median of
// 5, CPU time, while other work ran beside it (memcpy at 8.7 GB/s):
//   mixed, 100,000 records onto 100,000 alerts: 29 ms (3.4 M records/s);
//     with parsing the journal's 22 MB first: 50 ms
//   100,000 deletions of absent serials onto 20,000 alerts: 1.3 ms
// The replay that scanned the list for each such deletion and erased from
// its middle took 9.1 s for the mixed journal (without its batches) and
// 11.7 s for the absent deletions. What remains is mostly decoding the added
// alerts and the index's cache misses.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "msg_journal.h"

namespace {

// Stored alerts, newest first: the newest holds serial count-1.
nuntio::CMsgList<nuntio::CAlertMsgObj> MakeAlerts(int count) {
    nuntio::CMsgList<nuntio::CAlertMsgObj> list;
    for (int i = count - 1; i >= 0; --i) {
        auto a = std::make_unique<nuntio::CAlertMsgObj>();
        a->m_nSerial = i;
        a->m_nImage = nuntio::kImageEarlier;
        a->m_tArrived = 1700000000 + i;
        std::memset(a->m_record.szContent, 'a' + i % 26, 100);
        list.AddTail(std::move(a));
    }
    return list;
}

std::vector<uint8_t> WithHeader(const std::vector<uint8_t>& records) {
    std::vector<uint8_t> j;
    nuntio::EncodeJournalHeader(0, nuntio::kAnyBase, j);
    j.insert(j.end(), records.begin(), records.end());
    return j;
}

constexpr int kStored = 100000;
constexpr int kRecords = 100000;

// A session's journal as the model writes it, onto kStored alerts kept by
// count at kStored: per hundred records about 40 additions (each dropping the
// oldest once the list is full), 20 deletions of listed messages, 15 of
// messages already gone, 20 icon changes and 5 retentions of 5 rows; every
// 10,000th record a deletion of 1,000 selected rows. The positions are the
// ones the session saw.
const std::vector<uint8_t>& MixedJournal() {
    static const std::vector<uint8_t> bytes = [] {
        std::mt19937 rng(7);
        auto below = [&](size_t n) { return static_cast<size_t>(rng() % n); };
        std::vector<int32_t> serials; // oldest first: position p is serials[size-1-p]
        for (int32_t i = 0; i < kStored; ++i)
            serials.push_back(i);
        int32_t next = kStored;
        std::vector<uint8_t> recs;
        nuntio::CAlertMsgObj a;
        std::memset(a.m_record.szContent, 'n', 100);
        for (int i = 0; i < kRecords; ++i) {
            const size_t size = serials.size();
            const size_t pos = below(size);
            const int32_t serial = serials[size - 1 - pos];
            const size_t kind = below(100);
            if (i % 10000 == 5000) {
                std::vector<size_t> picked;
                for (size_t k = 0; k < 1000; ++k)
                    picked.push_back(below(size));
                std::sort(picked.begin(), picked.end());
                picked.erase(std::unique(picked.begin(), picked.end()), picked.end());
                std::vector<std::pair<int32_t, int32_t>> rows;
                for (size_t p : picked)
                    rows.emplace_back(static_cast<int32_t>(p), serials[size - 1 - p]);
                nuntio::EncodeDeleteBatchRecord(rows, recs);
                for (auto it = picked.rbegin(); it != picked.rend(); ++it)
                    serials.erase(serials.begin() + static_cast<ptrdiff_t>(size - 1 - *it));
            } else if (kind < 40) {
                a.m_nSerial = next++;
                serials.push_back(a.m_nSerial);
                const uint32_t dropped = serials.size() > kStored ? 1 : 0;
                if (dropped != 0) serials.erase(serials.begin());
                nuntio::EncodeAddRecord(a, true, dropped, next, recs);
            } else if (kind < 60) {
                nuntio::EncodeDeleteRecord(static_cast<int32_t>(pos), serial, recs);
                serials.erase(serials.begin() + static_cast<ptrdiff_t>(size - 1 - pos));
            } else if (kind < 75) {
                nuntio::EncodeDeleteRecord(static_cast<int32_t>(pos), -1 - i, recs);
            } else if (kind < 95) {
                nuntio::EncodeSetImageRecord(static_cast<int32_t>(pos), serial, nuntio::kImageOpened, recs);
            } else {
                nuntio::EncodeRetentionRecord(5, recs);
                serials.erase(serials.begin(), serials.begin() + 5);
            }
        }
        return WithHeader(recs);
    }();
    return bytes;
}

// 100,000 deletions of serials no stored message holds, at positions in the list.
const std::vector<uint8_t>& AbsentDeletes() {
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> recs;
        for (int32_t i = 0; i < kRecords; ++i)
            nuntio::EncodeDeleteRecord(i % 20000, 1000000 + i, recs);
        return WithHeader(recs);
    }();
    return bytes;
}

void Replay(benchmark::State& state, const std::vector<uint8_t>& bytes, int stored, bool parse) {
    const nuntio::ParsedJournal parsed = nuntio::ParseJournal(bytes.data(), bytes.size());
    if (parsed.status != nuntio::JournalStatus::kWhole || parsed.records.size() != kRecords)
        state.SkipWithError("the journal does not parse");
    for (auto _ : state) {
        state.PauseTiming(); // the stored list is loaded before the replay
        nuntio::CMsgList<nuntio::CAlertMsgObj> list = MakeAlerts(stored);
        int32_t next = stored;
        state.ResumeTiming();
        nuntio::ReplayResult r;
        if (parse) {
            const nuntio::ParsedJournal again = nuntio::ParseJournal(bytes.data(), bytes.size());
            r = nuntio::ReplayJournal(again, list, next);
        } else {
            r = nuntio::ReplayJournal(parsed, list, next);
        }
        benchmark::DoNotOptimize(list.GetHead());
        state.PauseTiming();
        if (r.damaged || r.applied + r.skipped != kRecords) state.SkipWithError("the replay stopped");
        state.counters["left"] = static_cast<double>(list.GetCount());
        list.RemoveAll();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kRecords);
}

void BM_ReplayMixed(benchmark::State& state) {
    Replay(state, MixedJournal(), kStored, false);
}
// The same with reading the journal's bytes, as at start-up.
void BM_ParseAndReplayMixed(benchmark::State& state) {
    Replay(state, MixedJournal(), kStored, true);
}
void BM_ReplayAbsentDeletes(benchmark::State& state) {
    Replay(state, AbsentDeletes(), 20000, false);
}

} // namespace

BENCHMARK(BM_ReplayMixed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseAndReplayMixed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplayAbsentDeletes)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
