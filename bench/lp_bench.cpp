// The LP engine's speed: one "-" statement and whole closures at 6, 8 and
// 10 variables on seeded random premises, each answer certified exactly,
// with LP counts, the time spent certifying and the peak memory.
//
//   lp_bench [--skip-10] [--glpsol PATH]
//
// With --glpsol, the N = 8 LP of one statement is also written in CPLEX LP
// format (in the temporary directory) and solved by that program once, for
// comparison.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "ci/statement.h"
#include "lp/engine.h"

namespace {

using imset::ci::Mask;
using imset::ci::Statement;
using namespace imset::lp;

Statement random_elementary(const Ground& ground, std::mt19937& random) {
  return ground.elementary(static_cast<int>(random() % static_cast<unsigned>(ground.elementary_count())));
}

std::vector<Statement> random_premises(const Ground& ground, int count, std::mt19937& random) {
  std::vector<Statement> premises;
  for (int i = 0; i < count; ++i) premises.push_back(random_elementary(ground, random));
  return premises;
}

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

long peak_rss_kb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void print_stats(const Stats& before, const Stats& after) {
  std::printf(
      "    LPs %ld, floating models %ld, floating certificates %ld, floating proposals failed %ld; "
      "basis solved exactly %ld (models %ld, certificates %ld); rational simplex %ld (models %ld, certificates %ld); "
      "unanswered LPs %ld; simplex %.3f s, certifying %.3f s\n",
      after.lps - before.lps, after.models_float - before.models_float,
      after.certificates_float - before.certificates_float, after.floating_failed - before.floating_failed,
      after.basis_solves - before.basis_solves, after.models_basis - before.models_basis,
      after.certificates_basis - before.certificates_basis, after.exact_runs - before.exact_runs,
      after.models_exact - before.models_exact, after.certificates_exact - before.certificates_exact,
      after.unanswered_lps - before.unanswered_lps, after.simplex_seconds - before.simplex_seconds,
      after.certify_seconds - before.certify_seconds);
}

// One "-" statement: do `premises` imply a random elementary target?
void one_statement(Engine& engine, int premises, int queries, std::mt19937& random) {
  const Stats before = engine.stats();
  std::vector<double> times;
  int implied = 0;
  for (int q = 0; q < queries; ++q) {
    const std::vector<Statement> p = random_premises(engine.ground(), premises, random);
    const Statement target = random_elementary(engine.ground(), random);
    const auto start = Clock::now();
    const Structural answer = engine.implies(p, target);
    times.push_back(since(start));
    implied += answer.verdict == Verdict::implied ? 1 : 0;
  }
  std::printf("N=%d one statement, %d premises: %d queries, median %.3f ms, max %.3f ms, %d implied\n",
              engine.ground().n(), premises, queries, 1e3 * median(times),
              1e3 * *std::max_element(times.begin(), times.end()), implied);
  print_stats(before, engine.stats());
}

void closures(Engine& engine, int premises, int queries, std::mt19937& random, Deadline deadline = std::nullopt) {
  const Stats before = engine.stats();
  std::vector<double> times;
  long lps = 0;
  long implied = 0;
  bool timed_out = false;
  for (int q = 0; q < queries; ++q) {
    const std::vector<Statement> p = random_premises(engine.ground(), premises, random);
    const auto start = Clock::now();
    const Closure c = engine.closure(p, deadline);
    times.push_back(since(start));
    lps += c.lps;
    timed_out = timed_out || c.timed_out;
    for (int e = 0; e < engine.ground().elementary_count(); ++e) implied += c.implied(e) ? 1 : 0;
  }
  std::printf(
      "N=%d closure, %d premises: %d queries, median %.3f ms, max %.3f ms, %.1f LPs and %.1f implied "
      "statements a closure%s\n",
      engine.ground().n(), premises, queries, 1e3 * median(times), 1e3 * *std::max_element(times.begin(), times.end()),
      static_cast<double>(lps) / queries, static_cast<double>(implied) / queries,
      timed_out ? " (deadline reached)" : "");
  print_stats(before, engine.stats());
}

}  // namespace

int main(int argc, char** argv) {
  bool skip_10 = false;
  std::string glpsol;
  std::string query_program;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--skip-10") {
      skip_10 = true;
    } else if (arg == "--glpsol" && i + 1 < argc) {
      glpsol = argv[++i];
    } else if (arg == "--query-program" && i + 1 < argc) {
      query_program = argv[++i];
    } else {
      std::fprintf(stderr, "usage: lp_bench [--skip-10] [--glpsol PATH [--query-program PATH]]\n");
      return 2;
    }
  }
  std::mt19937 random(2024);
  for (const bool dual : {false, true}) {
    std::printf("-- %s simplex\n", dual ? "dual" : "primal");
    Engine six(6);
    six.use_dual_simplex(dual);
    one_statement(six, 12, 200, random);
    closures(six, 12, 50, random);
  }
  if (!glpsol.empty() && !query_program.empty()) {
    // The whole program answering a six-variable query with its closure
    // (--json), against one glpsol process on one LP of that query.
    Engine six(6);
    const std::vector<Statement> p = random_premises(six.ground(), 12, random);
    const Statement target = random_elementary(six.ground(), random);
    const std::string path = (std::filesystem::temp_directory_path() / "lp_bench_n6.lp").string();
    six.write_lp(p, target, path.c_str());
    std::string query;
    for (const Statement& s : p) query += "+" + imset::ci::statement_text(s, imset::ci::Variables::digits(6)) + " ";
    query += "-" + imset::ci::statement_text(target, imset::ci::Variables::digits(6));
    const auto time_command = [&](const std::string& command) {
      std::vector<double> times;
      for (int run = 0; run < 11; ++run) {
        const auto start = Clock::now();
        if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
        times.push_back(since(start));
      }
      return median(times);
    };
    const double by_glpsol = time_command(glpsol + " --lp " + path + " > /dev/null");
    const double by_program = time_command(query_program + " -q --json -e '" + query + "' > /dev/null");
    std::printf("N=6 closure by the whole program: %.1f ms; one LP by glpsol --lp: %.1f ms; ratio %.2f\n",
                1e3 * by_program, 1e3 * by_glpsol, by_program / by_glpsol);
  }
  {
    auto start = Clock::now();
    Engine eight(8);
    std::printf("N=8 engine built in %.3f s\n", since(start));
    one_statement(eight, 12, 20, random);
    closures(eight, 12, 3, random);
    if (!glpsol.empty()) {
      const std::vector<Statement> p = random_premises(eight.ground(), 12, random);
      const Statement target = random_elementary(eight.ground(), random);
      const std::string path = (std::filesystem::temp_directory_path() / "lp_bench_n8.lp").string();
      eight.write_lp(p, target, path.c_str());
      start = Clock::now();
      const std::string command = glpsol + " --lp " + path + " > /dev/null";
      const int status = std::system(command.c_str());
      std::printf("N=8 one statement by glpsol --lp (cold, a new process): %.3f s, status %d\n", since(start), status);
      start = Clock::now();
      Engine cold(8);
      cold.implies(p, target);
      std::printf("N=8 the same statement in process, engine built cold: %.3f s\n", since(start));
    }
  }
  if (!skip_10) {
    const auto start = Clock::now();
    Engine ten(10);
    std::printf("N=10 engine built in %.3f s\n", since(start));
    one_statement(ten, 12, 3, random);
    closures(ten, 12, 1, random, Clock::now() + std::chrono::seconds(120));
  }
  std::printf("peak RSS %ld KB\n", peak_rss_kb());
  return 0;
}
