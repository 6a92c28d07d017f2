// imset-query's answers timed in one process against deciding the same
// structural answers by exact LP (one LP per "-" statement), on the same
// seeded random queries; and the query file the script times the whole
// program on.
//
// Usage: query_bench queries N SEED           writes N random queries
//        query_bench compare TYPES N LP_N SEED  times both ways, prints "key value" lines
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "query/answer.h"
#include "query/query.h"
#include "query/ray_index.h"
#include "query/statement.h"
#include "support/cone_lp.h"

namespace {

using Clock = std::chrono::steady_clock;

// A query of elementary statements, by row.
struct Query {
  imset::RowSet holds;
  imset::RowSet fails;

  imset::query::QueryRows rows() const {
    imset::query::QueryRows rows{holds, {}};
    fails.for_each([&](int p) { rows.failing.push_back(imset::RowSet::of(p)); });
    return rows;
  }
  std::string text() const {
    std::string text;
    holds.for_each([&](int p) { text.append(text.empty() ? "+" : " +").append(imset::query::row_name(p)); });
    fails.for_each([&](int p) { text.append(text.empty() ? "-" : " -").append(imset::query::row_name(p)); });
    return text;
  }
};

// 1 to 15 statements, each "+" or "-" at random, as the goals ask.
std::vector<Query> random_queries(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<Query> queries(count);
  for (Query& query : queries) {
    for (int k = 1 + static_cast<int>(random() % 15); k > 0; --k) {
      const int p = static_cast<int>(random() % imset::elementary_count);
      if (query.holds.contains(p) || query.fails.contains(p)) continue;
      (random() % 2 == 0 ? query.holds : query.fails).insert(p);
    }
  }
  return queries;
}

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "queries" && argc == 4) {
    for (const Query& q :
         random_queries(std::strtoul(argv[2], nullptr, 10), static_cast<unsigned>(std::atoi(argv[3])))) {
      std::printf("%s\n", q.text().c_str());
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  if (mode != "compare" || argc != 6) {
    std::fprintf(stderr, "usage: query_bench queries N SEED | query_bench compare TYPES N LP_N SEED\n");
    return 2;
  }
  const std::size_t count = std::strtoul(argv[3], nullptr, 10);
  const std::size_t lp_count = std::strtoul(argv[4], nullptr, 10);
  const std::vector<Query> queries = random_queries(count, static_cast<unsigned>(std::atoi(argv[5])));

  Clock::time_point start = Clock::now();
  imset::query::RayIndex index;
  std::string error;
  if (!imset::query::load_rays(argv[2], index, error)) {
    std::fprintf(stderr, "query_bench: %s\n", error.c_str());
    return 1;
  }
  std::printf("load_ms %.3f\n", 1e3 * seconds_since(start));

  imset::query::Answerer answerer(index);
  imset::query::Answer answer;
  std::vector<bool> structural(count);
  std::vector<imset::query::QueryRows> rows;
  for (const Query& q : queries) rows.push_back(q.rows());
  for (const bool full : {false, true}) {
    start = Clock::now();
    for (std::size_t i = 0; i < count; ++i) {
      answerer.answer(rows[i], full, answer);
      structural[i] = answer.structural;
    }
    std::printf("%s_us_per_query %.3f\n", full ? "closure" : "answer",
                1e6 * seconds_since(start) / static_cast<double>(count));
  }

  imset::testing::ConeLp lp;
  std::size_t lps = 0;
  std::size_t disagreements = 0;
  start = Clock::now();
  for (std::size_t i = 0; i < lp_count && i < count; ++i) {
    bool model = true;
    queries[i].fails.for_each([&](int f) {
      ++lps;
      if (lp.implies(queries[i].holds, f)) model = false;
    });
    disagreements += model != structural[i] ? 1 : 0;
  }
  const double lp_seconds = seconds_since(start);
  std::printf("lp_us_per_query %.3f\nlp_queries %zu\nlp_count %zu\nlp_disagreements %zu\n",
              1e6 * lp_seconds / static_cast<double>(std::min(lp_count, count)), std::min(lp_count, count), lps,
              disagreements);
  return disagreements == 0 ? 0 : 1;
}
