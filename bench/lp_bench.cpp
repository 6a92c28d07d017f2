// The LP engine's speed: one "-" statement and whole closures at 6, 8 and
// 10 variables on seeded random premises, each answer certified exactly,
// with LP counts, the time spent certifying, how often each exact route
// was needed and the peak memory; and, given GLPK's own program, the same
// questions side by side with it on the same LPs, in the same run.
//
//   lp_bench [--skip-10] [--runs N] [--glpsol PATH [--query-program PATH]]
//
// With --glpsol, each compared query's LP (maximise its "-" statement's
// product under its premises, CPLEX LP format, in the temporary directory)
// is solved by that program as a new process, interleaved run by run with
// the engine's answer, so that a busy machine slows both alike (the ratio
// is the median of the ratios of runs made back to back):
//   - N = 6: the whole program (`imset-query -q --json`, a closure) against
//     one glpsol process; goal at most 2 times;
//   - N = 8: a closure in process, engine built cold, against one glpsol
//     process; goal at most 10 times;
//   - N = 10: one "-" statement that the up-set model does not refute, so
//     that it needs an LP; goal at most 2 s; glpsol beside it.
// A Markdown table of the comparisons ends the output.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

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

extern char** environ;

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

// A query of `premises` elementary premises and one "-" statement that is
// not among them.
struct Query {
  std::vector<Statement> premises;
  Statement target;
};

Query random_query(const Ground& ground, int premises, std::mt19937& random) {
  Query q{random_premises(ground, premises, random), {}};
  do {
    q.target = random_elementary(ground, random);
  } while (std::find(q.premises.begin(), q.premises.end(), q.target) != q.premises.end());
  return q;
}

std::string query_text(const Query& q, int n) {
  const auto digits = imset::ci::Variables::digits(n);
  // Appended piece by piece: GCC 12 at -O3 warns falsely about
  // "+" + std::string (-Wrestrict, GCC bug 105329).
  std::string text;
  for (const Statement& s : q.premises) text.append("+").append(imset::ci::statement_text(s, digits)).append(" ");
  return text.append("-").append(imset::ci::statement_text(q.target, digits));
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

// The median of ours[i] / theirs[i]: runs made back to back share the
// machine's load of the moment, so their ratio varies less than either.
double paired_ratio(const std::vector<double>& ours, const std::vector<double>& theirs) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < ours.size(); ++i) ratios.push_back(ours[i] / theirs[i]);
  return median(ratios);
}

// Runs a program with its output to /dev/null; its wall time in seconds,
// or a negative number if it could not run or failed.
double time_process(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = Clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return since(start);
}

// What the engine did between two readings of its Stats.
struct Routes {
  long lps, floating, failed, basis, rational, unanswered;
  double simplex, certify;
};

Routes routes(const Stats& before, const Stats& after) {
  return Routes{after.lps - before.lps,
                (after.models_float + after.certificates_float) - (before.models_float + before.certificates_float),
                after.floating_failed - before.floating_failed,
                (after.models_basis + after.certificates_basis) - (before.models_basis + before.certificates_basis),
                (after.models_exact + after.certificates_exact) - (before.models_exact + before.certificates_exact),
                after.unanswered_lps - before.unanswered_lps,
                after.simplex_seconds - before.simplex_seconds,
                after.certify_seconds - before.certify_seconds};
}

std::string routes_text(const Routes& r) {
  char text[320];
  std::snprintf(text, sizeof text,
                "%ld LPs: %ld answered from the floating optimum, %ld failed their check and were answered %ld by the "
                "basis solved exactly, %ld by the rational simplex, %ld not at all; simplex %.3f s, certifying %.3f s",
                r.lps, r.floating, r.failed, r.basis, r.rational, r.unanswered, r.simplex, r.certify);
  return text;
}

void print_stats(const Stats& before, const Stats& after) {
  std::printf("    %s\n", routes_text(routes(before, after)).c_str());
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

// One line of the closing table.
struct Row {
  std::string n;
  std::string what;
  double ours = 0;    // seconds, median
  double glpsol = 0;  // seconds, median; 0 when not run
  Routes routes{};
  std::string goal;
  bool met = false;
  double ratio = 0;  // the median of the ratios of runs made back to back
};

std::string lp_path(int n, int q) {
  return (std::filesystem::temp_directory_path() / ("lp_bench_n" + std::to_string(n) + "_" + std::to_string(q) + ".lp"))
      .string();
}

// The whole program answering a closure of six-variable queries, against
// one glpsol process on each query's LP.
void whole_program(const std::string& glpsol, const std::string& program, int runs, std::mt19937& random,
                   std::vector<Row>& table) {
  Engine six(6);
  for (int q = 0; q < 5; ++q) {
    const Query query = random_query(six.ground(), 12, random);
    const std::string path = lp_path(6, q);
    six.write_lp(query.premises, query.target, path.c_str());
    // The engine's route on the same query, in process, for the table.
    const Stats before = six.stats();
    six.closure(query.premises);
    const Routes r = routes(before, six.stats());
    std::vector<double> by_glpsol;
    std::vector<double> by_program;
    for (int run = 0; run < runs; ++run) {
      by_glpsol.push_back(time_process({glpsol, "--lp", path}));
      by_program.push_back(time_process({program, "-q", "--json", "-e", query_text(query, 6)}));
    }
    if (*std::min_element(by_glpsol.begin(), by_glpsol.end()) < 0 ||
        *std::min_element(by_program.begin(), by_program.end()) < 0) {
      std::fprintf(stderr, "lp_bench: a process failed on %s\n", query_text(query, 6).c_str());
      continue;
    }
    Row row{"6",
            "closure by the whole program (`imset-query -q --json`), query " + std::to_string(q + 1),
            median(by_program),
            median(by_glpsol),
            r,
            "at most 2x glpsol"};
    row.ratio = paired_ratio(by_program, by_glpsol);
    row.met = row.ratio <= 2;
    std::printf("N=6 query %d: %s\n    whole program %.2f ms, glpsol %.2f ms, ratio %.2f\n", q + 1,
                query_text(query, 6).c_str(), 1e3 * row.ours, 1e3 * row.glpsol, row.ratio);
    table.push_back(row);
  }
}

// Closures of eight-variable queries in process, against one glpsol
// process on each query's LP.
void closures_against_glpsol(const std::string& glpsol, int runs, std::mt19937& random, std::vector<Row>& table) {
  for (int q = 0; q < 5; ++q) {
    const Query query = random_query(Ground(8), 12, random);
    const std::string path = lp_path(8, q);
    Engine(8).write_lp(query.premises, query.target, path.c_str());
    std::vector<double> by_glpsol;
    std::vector<double> by_engine;
    Routes r{};
    for (int run = 0; run < runs; ++run) {
      by_glpsol.push_back(time_process({glpsol, "--lp", path}));
      const auto start = Clock::now();
      Engine eight(8);
      eight.closure(query.premises);
      by_engine.push_back(since(start));
      r = routes(Stats{}, eight.stats());
    }
    if (*std::min_element(by_glpsol.begin(), by_glpsol.end()) < 0) {
      std::fprintf(stderr, "lp_bench: glpsol failed on %s\n", path.c_str());
      continue;
    }
    Row row{"8",
            "closure in process, engine built cold, query " + std::to_string(q + 1),
            median(by_engine),
            median(by_glpsol),
            r,
            "at most 10x glpsol"};
    row.ratio = paired_ratio(by_engine, by_glpsol);
    row.met = row.ratio <= 10;
    std::printf("N=8 query %d: %s\n    closure %.2f ms, glpsol %.2f ms, ratio %.2f\n", q + 1,
                query_text(query, 8).c_str(), 1e3 * row.ours, 1e3 * row.glpsol, row.ratio);
    table.push_back(row);
  }
}

// Ten-variable "-" statements that need an LP: queries are drawn until
// three are not answered by the up-set model alone.
void ten_needing_an_lp(const std::string& glpsol, std::mt19937& random, std::vector<Row>& table) {
  Engine ten(10);
  int drawn = 0;
  int found = 0;
  while (found < 3 && drawn < 200) {
    ++drawn;
    const Query query = random_query(ten.ground(), 12, random);
    const Stats before = ten.stats();
    const auto start = Clock::now();
    const Structural answer = ten.implies(query.premises, query.target);
    const double seconds = since(start);
    if (answer.lps == 0) continue;
    ++found;
    const Routes r = routes(before, ten.stats());
    Row row{"10",
            "one \"-\" statement needing an LP (" +
                std::string(answer.verdict == Verdict::implied       ? "implied"
                            : answer.verdict == Verdict::not_implied ? "not implied"
                                                                     : "undecided") +
                "), query " + std::to_string(found),
            seconds,
            0,
            r,
            "at most 2 s"};
    row.met = seconds <= 2.0;
    std::printf("N=10 query needing an LP (%d drawn): %s\n    %.3f s, %s\n", drawn, query_text(query, 10).c_str(),
                seconds, routes_text(r).c_str());
    if (!glpsol.empty()) {
      const std::string path = lp_path(10, found);
      ten.write_lp(query.premises, query.target, path.c_str());
      row.glpsol = time_process({glpsol, "--lp", path});
      std::printf("    glpsol %.3f s\n", row.glpsol);
    }
    table.push_back(row);
  }
  std::printf("N=10: %d of %d queries drawn needed an LP\n", found, drawn);
}

void print_table(const std::vector<Row>& table) {
  std::printf(
      "\n| N | case | time | glpsol | ratio | LPs | certifying | failed checks: basis / rational simplex / none | "
      "goal | |\n");
  std::printf("| --- | --- | ---: | ---: | ---: | ---: | ---: | --- | --- | --- |\n");
  for (const Row& row : table) {
    char glpsol[32] = "-";
    char ratio[32] = "-";
    if (row.glpsol > 0) {
      std::snprintf(glpsol, sizeof glpsol, "%.2f ms", 1e3 * row.glpsol);
      std::snprintf(ratio, sizeof ratio, "%.2f", row.ratio > 0 ? row.ratio : row.ours / row.glpsol);
    }
    const Routes& r = row.routes;
    std::printf("| %s | %s | %.2f ms | %s | %s | %ld | %.2f ms | %ld: %ld / %ld / %ld | %s | %s |\n", row.n.c_str(),
                row.what.c_str(), 1e3 * row.ours, glpsol, ratio, r.lps, 1e3 * r.certify, r.failed, r.basis, r.rational,
                r.unanswered, row.goal.c_str(), row.met ? "met" : "NOT met");
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool skip_10 = false;
  int runs = 11;
  std::string glpsol;
  std::string query_program;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--skip-10") {
      skip_10 = true;
    } else if (arg == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--glpsol" && i + 1 < argc) {
      glpsol = argv[++i];
    } else if (arg == "--query-program" && i + 1 < argc) {
      query_program = argv[++i];
    } else {
      std::fprintf(stderr, "usage: lp_bench [--skip-10] [--runs N] [--glpsol PATH [--query-program PATH]]\n");
      return 2;
    }
  }
  std::mt19937 random(2024);
  std::vector<Row> table;
  for (const bool dual : {false, true}) {
    std::printf("-- %s simplex\n", dual ? "dual" : "primal");
    Engine six(6);
    six.use_dual_simplex(dual);
    one_statement(six, 12, 200, random);
    closures(six, 12, 50, random);
  }
  if (!glpsol.empty() && !query_program.empty()) whole_program(glpsol, query_program, runs, random, table);
  {
    const auto start = Clock::now();
    Engine eight(8);
    std::printf("N=8 engine built in %.3f s\n", since(start));
    one_statement(eight, 12, 20, random);
    closures(eight, 12, 10, random);
  }
  if (!glpsol.empty()) closures_against_glpsol(glpsol, std::max(1, runs / 2), random, table);
  if (!skip_10) {
    const auto start = Clock::now();
    Engine ten(10);
    std::printf("N=10 engine built in %.3f s\n", since(start));
    one_statement(ten, 12, 3, random);
    ten_needing_an_lp(glpsol, random, table);
    closures(ten, 12, 1, random, Clock::now() + std::chrono::seconds(120));
  }
  std::printf("peak RSS %ld KB\n", peak_rss_kb());
  if (!table.empty()) print_table(table);
  return 0;
}
