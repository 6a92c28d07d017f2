// imset-query as users run it: options and faults, the shipped example,
// and its answers checked from what it prints: every witness and ray
// re-verified from the printed values, and every ray the one imset-check
// reports for the same question as a vector.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"
#include "query/statement.h"
#include "tables/imsets.h"

namespace {

using Outcome = harness::FullOutcome;
using harness::quoted;

const std::string query_program = IMSET_QUERY;
const std::string checker = IMSET_CHECK;
const std::string data_dir = IMSET_DATA_DIR;

Outcome query(const std::string& arguments) {
  return harness::run_command_with_stderr(quoted(query_program) + " " + arguments);
}

TEST(QueryProgram, OptionsAndFaultsInTheInput) {
  const Outcome version = query("--version");
  EXPECT_EQ(version, (Outcome{std::string("imset-query ") + IMSET_PROJECT_VERSION + "\n", 0, ""}));
  const Outcome help = query("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--from-vectors"), std::string::npos);
  const Outcome bad_option = query("--frobnicate");
  EXPECT_EQ(bad_option.status, 2);
  EXPECT_NE(bad_option.err.find("--frobnicate"), std::string::npos) << bad_option.err;

  // A faulty file: every fault named, no answer printed, not even for the
  // good lines or the other sources.
  const std::string bad = harness::write_file("bad.txt", "+0,1 -0,2\n+0,1 -1,0\n\xEF\xBB\xBFx\n");
  const Outcome faulty = query(quoted(bad) + " -e '+0,1'");
  EXPECT_EQ(faulty.status, 2);
  EXPECT_EQ(faulty.out, "");
  EXPECT_EQ(faulty.err, "imset-query: " + bad + ":2:6: 0,1 is asked to hold and to fail\nimset-query: " + bad +
                            ":3:1: expected '+' or '-' before a statement, got '\\xEF\\xBB\\xBFx'\n"
                            "imset-query: no query answered\n");
  // The arguments of imset-check given to imset-query: the vector file is
  // no query file.
  EXPECT_EQ(query(quoted(data_dir + "/example-vectors.txt")).status, 2);
  // Nothing to answer is a fault too.
  const Outcome empty = query(quoted(harness::write_file("empty.txt", "# nothing\n")));
  EXPECT_EQ(empty.status, 2);
  EXPECT_NE(empty.err.find("no queries"), std::string::npos) << empty.err;
}

TEST(QueryProgram, QuietAndFailedWritesOfHelpAndVersion) {
  const Outcome told = query("-e '+0,1'");
  const Outcome quiet = query("-q -e '+0,1'");
  EXPECT_NE(told.err, "");
  EXPECT_EQ(quiet, (Outcome{told.out, 0, ""}));
  const Outcome lost{"", 1, "imset-query: cannot write to standard output\n"};
  EXPECT_EQ(query("--help >/dev/full"), lost);
  EXPECT_EQ(query("--version >&-"), lost);
}

TEST(QueryProgram, RaysMustBeSupermodularDecimalRecords) {
  const std::string not_supermodular = harness::write_file("rays.txt",
                                                           "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1\n"
                                                           "-1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n");
  const Outcome negative = query("--rays " + quoted(not_supermodular) + " -e '+0,1'");
  EXPECT_EQ(negative.status, 2);
  EXPECT_EQ(negative.out, "");
  EXPECT_EQ(negative.err, "imset-query: " + not_supermodular +
                              ": record 2 is not supermodular: its inner product with 3,4|01 is -1\n");
  // A short record would inherit the values of the record before, and a
  // long line would be read as several records: both are refused.
  std::string zeros;
  for (int k = 0; k < 26; ++k) zeros += "0 ";
  const std::string short_record = harness::write_file("short.txt", zeros + "\n1 2 3\n");
  EXPECT_EQ(query("--rays " + quoted(short_record) + " -e '+0,1'"),
            (Outcome{"", 2, "imset-query: " + short_record + ": record 2 has 3 values, not 26\n"}));
  const std::string long_line = harness::write_file("long.txt", zeros + "\n" + zeros + std::string(1000, ' ') + "\n");
  EXPECT_EQ(query("--rays " + quoted(long_line) + " -e '+0,1'"),
            (Outcome{"", 2,
                     "imset-query: " + long_line +
                         ": record 2: its line has 1,023 bytes or more, and imset-check reads what follows them as "
                         "further records\n"}));
  const Outcome swapped = query("--rays " + quoted(data_dir + "/example-vectors.txt") + " -e '+0,1'");
  EXPECT_EQ(swapped.status, 2);
  EXPECT_NE(swapped.err.find("record 1: the value on subset index 0 is 'x', not a decimal integer"), std::string::npos)
      << swapped.err;
}

TEST(QueryProgram, ShippedExampleGivesTheRecordedAnswers) {
  // Run where the example lies, so the answers name it as the README shows.
  const Outcome got = harness::run_command_with_stderr("cd " + quoted(data_dir) + " && " + quoted(query_program) +
                                                       " example-queries.txt");
  EXPECT_EQ(got.out, harness::read_file(std::string(IMSET_GOLDEN_DIR) + "/example-queries.out"));
  EXPECT_EQ(got.status, 0);
  // Found the shipped types by itself, and said what it loaded.
  EXPECT_NE(got.err.find("loaded 1319 records, 117978 distinct functions after renaming"), std::string::npos)
      << got.err;
  // The same questions asked as imset-check's vector file.
  const Outcome from_vectors = query("--from-vectors " + quoted(data_dir + "/example-vectors.txt") + " --json");
  const Outcome from_names = query(quoted(data_dir + "/example-queries.txt") + " --json");
  ASSERT_EQ(from_vectors.status, 0);
  std::istringstream a(from_vectors.out);
  std::istringstream b(from_names.out);
  std::string line_a;
  std::string line_b;
  int compared = 0;
  while (std::getline(a, line_a) && std::getline(b, line_b)) {
    auto x = nlohmann::json::parse(line_a);
    auto y = nlohmann::json::parse(line_b);
    for (auto* j : {&x, &y}) {
      j->erase("source");
      j->erase("line");
    }
    EXPECT_EQ(x, y);
    ++compared;
  }
  EXPECT_EQ(compared, 4);
}

// Seeded random queries of 1 to 15 statements, as a query file.
std::vector<std::string> random_queries(unsigned seed, int count) {
  std::mt19937 random(seed);
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) {
    std::map<int, char> asked;
    for (int k = 1 + static_cast<int>(random() % 15); k > 0; --k) {
      asked[static_cast<int>(random() % imset::elementary_count)] = random() % 3 == 0 ? '-' : '+';
    }
    std::string line;
    for (const auto& [p, sign] : asked)
      line += std::string(line.empty() ? "" : " ") + sign + imset::query::statement_name(p);
    lines.push_back(line);
  }
  return lines;
}

using Values = std::vector<long long>;

// The 80 inner products of a function, from the elementary table.
std::vector<long long> products(const Values& values) {
  std::vector<long long> result(imset::elementary_count);
  for (std::size_t p = 0; p < result.size(); ++p) {
    for (std::size_t k = 0; k < values.size(); ++k) result[p] += values[k] * imset::elementary_table[p][k];
  }
  return result;
}

bool realises(const Values& values, const nlohmann::json& answer) {
  const std::vector<long long> u = products(values);
  const auto row = [](const nlohmann::json& name) {
    imset::query::StatementError error;
    return static_cast<std::size_t>(imset::query::parse_statement(name.get<std::string>(), error));
  };
  return std::ranges::all_of(answer["holds"], [&](const nlohmann::json& name) { return u[row(name)] == 0; }) &&
         std::ranges::all_of(answer["fails"], [&](const nlohmann::json& name) { return u[row(name)] != 0; });
}

TEST(QueryProgram, PrintedWitnessesAndRaysRealiseTheirQueriesAndRaysAreImsetChecks) {
  const std::vector<std::string> lines = random_queries(99, 100);
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  const std::string queries = harness::write_file("random.txt", text);
  const Outcome json = query(quoted(queries) + " --json");
  ASSERT_EQ(json.status, 0) << json.err;

  // imset-check on the same questions as a vector file.
  const Outcome vectors = query(quoted(queries) + " --to-vectors");
  ASSERT_EQ(vectors.status, 0);
  const harness::Outcome checked = harness::run_program(checker, harness::write_file("random-vectors.txt", vectors.out),
                                                        data_dir + "/extreme-rays-types.txt");
  ASSERT_EQ(checked.status, 0);
  std::map<int, std::pair<int, Values>> reported;  // vector number -> record, values
  std::istringstream report(checked.out);
  std::string line;
  int vector_number = 0;
  while (std::getline(report, line)) {
    if (line.starts_with("Vector (")) vector_number = std::stoi(line.substr(8));
    if (!line.starts_with("Permutation: (record nr ")) continue;
    std::istringstream rest(line.substr(24));
    int record = 0;
    std::string closing;
    rest >> record >> closing;
    Values values;
    for (long long v = 0; rest >> v;) values.push_back(v);
    reported[vector_number] = {record, values};
  }

  std::istringstream answers(json.out);
  int number = 0;
  int models = 0;
  int witnesses_checked = 0;
  int rays = 0;
  while (std::getline(answers, line)) {
    ++number;
    const nlohmann::json answer = nlohmann::json::parse(line);
    EXPECT_EQ(answer["line"], number);
    Values sum(imset::subset_count);
    for (const auto& ray : answer["witness"]) {
      const Values values = ray["values"].get<Values>();
      for (long long p : products(values)) EXPECT_GE(p, 0) << "a witness ray is not supermodular, query " << number;
      for (std::size_t k = 0; k < sum.size(); ++k) sum[k] += values[k];
    }
    if (answer["structural"] == true) {
      ++models;
      if (!answer["fails"].empty()) {
        EXPECT_TRUE(realises(sum, answer)) << lines[static_cast<std::size_t>(number - 1)];
        ++witnesses_checked;
      }
    } else {
      EXPECT_TRUE(answer["witness"].empty());
      EXPECT_FALSE(answer["forced"].empty());
    }
    const auto found = reported.find(number);
    if (answer["ray"].is_null()) {
      EXPECT_EQ(found, reported.end()) << "imset-check found a ray for query " << number;
      continue;
    }
    ++rays;
    EXPECT_TRUE(realises(answer["ray"]["values"].get<Values>(), answer));
    ASSERT_NE(found, reported.end()) << "imset-check found no ray for query " << number;
    EXPECT_EQ(answer["ray"]["record"], found->second.first) << lines[static_cast<std::size_t>(number - 1)];
    EXPECT_EQ(answer["ray"]["values"].get<Values>(), found->second.second);
  }
  EXPECT_EQ(number, 100);
  // The queries must find models, witnesses and rays, and miss some.
  EXPECT_GT(witnesses_checked, 10);
  EXPECT_LT(models, 100);
  EXPECT_GT(rays, 10);
}

}  // namespace
