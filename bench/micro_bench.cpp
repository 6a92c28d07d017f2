// Micro-benchmarks of the checker's two halves: reading the extreme-point
// file as text, and searching one record's renamings against a vector
// set. Whole-program timings against the model and `wc -w` are in
// run-benchmarks.sh.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "input/extreme_points.h"
#include "input/vector_file.h"
#include "search/search.h"
#include "tables/imsets.h"
#include "text/text_reader.h"

namespace {

using namespace imset;

// A file of records with values of a few digits, as the ray lists have
// them, written once per process.
constexpr int generated_records = 100'000;

// Removed when the process ends.
struct GeneratedFile {
  std::string path;
  GeneratedFile(const GeneratedFile&) = delete;
  GeneratedFile& operator=(const GeneratedFile&) = delete;
  explicit GeneratedFile(std::string p) : path(std::move(p)) {}
  ~GeneratedFile() {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
};

const std::string& generated_file() {
  static const GeneratedFile file = [] {
    const auto name =
        std::filesystem::temp_directory_path() / ("imset-bench-records-" + std::to_string(::getpid()) + ".txt");
    std::mt19937 random(7);
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    for (int r = 0; r < generated_records; ++r) {
      for (int k = 0; k < subset_count; ++k) {
        const unsigned roll = random() % 10U;
        out << (roll < 6 ? random() % 4U : random() % 200U) << (k + 1 < subset_count ? ' ' : '\n');
      }
    }
    return GeneratedFile(name.string());
  }();
  return file.path;
}

std::int64_t file_bytes(const std::string& path) { return static_cast<std::int64_t>(std::filesystem::file_size(path)); }

void BM_TextReaderLines(benchmark::State& state) {
  const std::string& path = generated_file();
  std::int64_t lines = 0;
  for (auto _ : state) {
    TextReader reader;
    if (!reader.open(path.c_str())) {
      state.SkipWithError("cannot open the generated file");
      return;
    }
    LineBuffer line;
    while (reader.read_line(line) == LineRead::line) ++lines;
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(state.iterations() * file_bytes(path));
  state.counters["lines"] = static_cast<double>(lines) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_TextReaderLines)->Unit(benchmark::kMillisecond);

// Reading and tokenizing into the record, without a search.
void BM_ReadExtremePoints(benchmark::State& state) {
  const std::string& path = generated_file();
  std::int64_t records_seen = 0;
  for (auto _ : state) {
    ExtremePointReader reader;
    reader.open(path.c_str());
    while (reader.next() != nullptr) ++records_seen;
    if (reader.status() != ListStatus::ended) {
      state.SkipWithError("the generated file did not read to its end");
      return;
    }
  }
  state.SetBytesProcessed(state.iterations() * file_bytes(path));
  state.SetItemsProcessed(records_seen);
}
BENCHMARK(BM_ReadExtremePoints)->Unit(benchmark::kMillisecond);

// The orbit representatives of the extreme rays, as records and values.
struct Records {
  std::vector<Record> records;
  std::vector<SetFunction> values;
};

const Records& type_records() {
  static const Records records = [] {
    Records r;
    std::ifstream in(IMSET_BENCH_TYPES);
    std::string line;
    while (std::getline(in, line) && !line.empty() && line != "END") {
      Record record;
      SetFunction values{};
      const char* p = line.data();
      const char* const end = p + line.size();
      for (std::size_t k = 0; k < subset_count; ++k) {
        while (p != end && *p == ' ') ++p;
        const char* start = p;
        const auto [next, error] = std::from_chars(p, end, values[k]);
        if (error != std::errc{} || next - start > static_cast<std::ptrdiff_t>(max_token_length)) return Records{};
        std::memcpy(record.texts[k].data(), start, static_cast<std::size_t>(next - start));
        p = next;
      }
      record.number = static_cast<std::int32_t>(r.records.size() + 1);
      record.values = values;
      r.records.push_back(record);
      r.values.push_back(values);
    }
    return r;
  }();
  return records;
}

// The shipped type representatives, or nothing (and the benchmark marked
// skipped) when the file could not be read.
const Records* type_records_or_skip(benchmark::State& state) {
  const Records& records = type_records();
  if (records.values.empty()) {
    state.SkipWithError("no records in " IMSET_BENCH_TYPES);
    return nullptr;
  }
  return &records;
}

// Times one computation over every representative's values.
template <typename Compute>
void time_per_record(benchmark::State& state, Compute compute) {
  const Records* records = type_records_or_skip(state);
  if (records == nullptr) return;
  for (auto _ : state) {
    for (const SetFunction& values : records->values) {
      auto result = compute(values);
      benchmark::DoNotOptimize(result);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(records->values.size()));
}

void BM_ImsetValues(benchmark::State& state) { time_per_record(state, imset_values); }
BENCHMARK(BM_ImsetValues);

// Which of the 80 imset values are zero, as the search computes it for
// every record: the key it deduplicates on.
void BM_VanishingRows(benchmark::State& state) { time_per_record(state, vanishing_rows); }
BENCHMARK(BM_VanishingRows);

// 100 near misses: each asks for zero on the zero set Z of a representative
// plus one row where it is not zero. A supermodular function vanishing on Z
// lies in the face Z cuts out, the representative's ray alone, so nothing
// matches and every record's renamings are tested to the end.
VectorSet never_matching_vectors(const Records& records) {
  VectorSet vectors;
  vectors.count = max_vectors;
  for (std::size_t i = 0; i < max_vectors; ++i) {
    const ImsetValues imset = imset_values(records.values[i * 13 % records.values.size()]);
    std::size_t extra_zero = 0;
    for (std::size_t p = 0, nonzero_seen = 0; p < elementary_count; ++p) {
      if (imset[p] != 0 && nonzero_seen++ <= i % 7) extra_zero = p;
    }
    for (std::size_t p = 0; p < elementary_count; ++p) {
      vectors.codes[i][p] = imset[p] == 0 || p == extra_zero ? code_zero : code_any;
    }
  }
  return vectors;
}

// The search with its vectors and the list of a record's matches, as one
// run owns them.
struct SearchRun {
  explicit SearchRun(const Records& records) : vectors(never_matching_vectors(records)) { search->prepare(vectors); }
  SearchRun(const SearchRun&) = delete;
  SearchRun& operator=(const SearchRun&) = delete;
  ~SearchRun() = default;

  void search_all(const Records& records) {
    for (const Record& record : records.records) {
      if (search->search(record, matches)) std::abort();  // a vector matched: the setup is wrong
    }
  }

  VectorSet vectors;
  std::unique_ptr<Search> search = std::make_unique<Search>();
  Matches matches;
};

// Starting a new search: paid once per run.
void BM_PrepareSearch(benchmark::State& state) {
  const Records* records = type_records_or_skip(state);
  if (records == nullptr) return;
  SearchRun run(*records);
  for (auto _ : state) run.search->prepare(run.vectors);
}
BENCHMARK(BM_PrepareSearch)->Unit(benchmark::kMicrosecond);

// Records never seen before in any renaming: all 120 renamings formed,
// new patterns tested against all 100 vectors. A new search starts before
// each pass, outside the timing.
void BM_ProcessRecordNewOrbit(benchmark::State& state) {
  const Records* records = type_records_or_skip(state);
  if (records == nullptr) return;
  SearchRun run(*records);
  for (auto _ : state) {
    state.PauseTiming();
    run.search->prepare(run.vectors);
    state.ResumeTiming();
    run.search_all(*records);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(records->records.size()));
}
BENCHMARK(BM_ProcessRecordNewOrbit)->Unit(benchmark::kMillisecond);

// Records whose orbit was searched already, as most of the full list of
// 117,978 rays is: the zero pattern computed from the values the reader
// kept, one table look-up.
void BM_ProcessRecordSeenOrbit(benchmark::State& state) {
  const Records* records = type_records_or_skip(state);
  if (records == nullptr) return;
  SearchRun run(*records);
  run.search_all(*records);
  for (auto _ : state) run.search_all(*records);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(records->records.size()));
}
BENCHMARK(BM_ProcessRecordSeenOrbit)->Unit(benchmark::kMicrosecond);

}  // namespace
