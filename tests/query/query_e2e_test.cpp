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
                            ":3:1: expected '+' or '-' before a statement, got U+FEFF, an invisible character\n"
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
    for (const auto& [p, sign] : asked) line += std::string(line.empty() ? "" : " ") + sign + imset::query::row_name(p);
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

// The product of a function with a statement's semi-elementary imset,
// m(ABC) + m(C) - m(AC) - m(BC): zero exactly when the statement holds.
long long semi_elementary_product(const Values& values, const std::string& name) {
  imset::query::StatementError error;
  imset::ci::Statement s;
  EXPECT_TRUE(imset::query::parse_statement(name, imset::ci::Variables(), s, error)) << name;
  const auto m = [&](unsigned mask) {
    const int k = imset::subset_index_of_mask(mask);
    return k < 0 ? 0LL : values[static_cast<std::size_t>(k)];
  };
  return m(s.elements()) + m(s.c) - m(s.a | s.c) - m(s.b | s.c);
}

bool realises(const Values& values, const nlohmann::json& answer) {
  const auto product = [&](const nlohmann::json& name) { return semi_elementary_product(values, name); };
  return std::ranges::all_of(answer["holds"], [&](const nlohmann::json& name) { return product(name) == 0; }) &&
         std::ranges::all_of(answer["fails"], [&](const nlohmann::json& name) { return product(name) != 0; });
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

namespace {

const std::vector<std::string> long_names = {"smoke", "tar", "cancer", "genes", "age"};

// A statement's parts written out from the definition: a in A, b in B,
// C ⊆ K ⊆ (A ∪ B ∪ C) minus {a, b}.
std::vector<std::string> parts_of(unsigned a_set, unsigned b_set, unsigned c_set) {
  std::vector<std::string> parts;
  const unsigned all = a_set | b_set | c_set;
  for (unsigned a = 0; a < 5; ++a) {
    for (unsigned b = 0; b < 5; ++b) {
      if (((a_set >> a) & 1U) == 0 || ((b_set >> b) & 1U) == 0) continue;
      for (unsigned k = 0; k < 32; ++k) {
        if ((k & c_set) != c_set || (k & ~(all & ~(1U << a) & ~(1U << b))) != 0) continue;
        std::string name = std::to_string(std::min(a, b)) + "," + std::to_string(std::max(a, b)) + "|";
        for (unsigned e = 0; e < 5; ++e) {
          if ((k >> e) & 1U) name += std::to_string(e);
        }
        parts.push_back(name);
      }
    }
  }
  return parts;
}

// "0,1|23" in the long form of the names above.
std::string in_names(const std::string& compact) {
  std::string text;
  std::size_t side = 0;
  const char* separator = "";
  for (const char c : compact) {
    if (c == ',' || c == '|') {
      text += side == 0 ? " _||_ " : " | ";
      ++side;
      separator = "";
    } else {
      text.append(separator).append(long_names[static_cast<std::size_t>(c - '0')]);
      separator = ", ";
    }
  }
  if (text.ends_with(" | ")) text.resize(text.size() - 3);
  return text;
}

std::vector<nlohmann::json> json_lines(const std::string& out) {
  std::vector<nlohmann::json> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
  return lines;
}

TEST(QueryProgram, NamedVariablesAreAnsweredAsTheirDigits) {
  const std::vector<std::string> lines = random_queries(17, 60);
  std::string digits;
  std::string named = "variables: " + long_names[0] + " " + long_names[1] + " " + long_names[2] + " " + long_names[3] +
                      " " + long_names[4] + "\n";
  for (const std::string& line : lines) {
    digits += line + "\n";
    std::istringstream statements(line);
    for (std::string s; statements >> s;) named.append(1, s[0]).append(in_names(s.substr(1))).append(" ");
    named += "\n";
  }
  const Outcome by_digits = query(quoted(harness::write_file("digits.txt", digits)) + " --json");
  const Outcome by_names = query(quoted(harness::write_file("named.txt", named)) + " --json");
  ASSERT_EQ(by_names.status, 0) << by_names.err;
  const auto a = json_lines(by_digits.out);
  const auto b = json_lines(by_names.out);
  ASSERT_EQ(a.size(), lines.size());
  ASSERT_EQ(b.size(), lines.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(b[i]["variables"], nlohmann::json(long_names));
    for (const char* member : {"structural", "witness", "ray"}) EXPECT_EQ(a[i][member], b[i][member]) << lines[i];
    for (const char* member : {"holds", "fails", "forced", "implied"}) {
      std::vector<std::string> translated;
      for (const auto& name : a[i][member]) translated.push_back(in_names(name.get<std::string>()));
      EXPECT_EQ(nlohmann::json(translated), b[i][member]) << member << " of " << lines[i];
    }
  }
}

TEST(QueryProgram, SetStatementsAreAnsweredAsTheirParts) {
  std::mt19937 random(23);
  std::string sets;
  std::string parts;
  for (int i = 0; i < 40; ++i) {
    std::string set_line;
    std::string part_line;
    for (int k = 1 + static_cast<int>(random() % 3); k > 0; --k) {
      unsigned place[3] = {0, 0, 0};
      for (unsigned e = 0; e < 5; ++e) {
        const auto p = random() % 4;
        if (p < 3) place[p] |= 1U << e;
      }
      if (place[0] == 0 || place[1] == 0) continue;
      std::string name;
      for (int side = 0; side < 3; ++side) {
        if (side > 0) name += side == 1 ? "," : "|";
        for (unsigned e = 0; e < 5; ++e) {
          if ((place[side] >> e) & 1U) name += std::to_string(e);
        }
      }
      set_line += " +" + name;
      for (const std::string& part : parts_of(place[0], place[1], place[2])) part_line += " +" + part;
    }
    // A "-" statement among the parts is a fault when written part by part.
    std::string failing;
    do {
      failing = " -" + imset::query::row_name(static_cast<int>(random() % imset::elementary_count));
    } while (part_line.find(" +" + failing.substr(2) + " ") != std::string::npos ||
             part_line.ends_with(" +" + failing.substr(2)));
    sets += set_line + failing + "\n";
    parts += part_line + failing + "\n";
  }
  // Contraction: 0 ⊥ 12 | 3 and 0 ⊥ 3 give 0 ⊥ 123, so 0 ⊥ 2 cannot fail.
  sets += "+0,12|3 +0,3 -0,2\n";
  parts += "+0,1|3 +0,2|3 +0,1|23 +0,2|13 +0,3 -0,2\n";
  const Outcome by_sets = query(quoted(harness::write_file("sets.txt", sets)) + " --json");
  const Outcome by_parts = query(quoted(harness::write_file("parts.txt", parts)) + " --json");
  ASSERT_EQ(by_sets.status, 0) << by_sets.err;
  ASSERT_EQ(by_parts.status, 0) << by_parts.err;
  const auto a = json_lines(by_sets.out);
  const auto b = json_lines(by_parts.out);
  ASSERT_EQ(a.size(), b.size());
  int models = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (const char* member : {"structural", "forced", "implied", "witness", "ray"}) {
      EXPECT_EQ(a[i][member], b[i][member]) << member << " of " << a[i]["query"];
    }
    models += a[i]["structural"] == true ? 1 : 0;
  }
  EXPECT_GT(models, 5);
  EXPECT_EQ(a.back()["structural"], false);
}

TEST(QueryProgram, NamesInOptionsTextAndFaults) {
  const Outcome text = query("--variables 'smoke tar cancer' --values -e '+smoke _||_ tar -smoke _||_ tar | cancer'");
  ASSERT_EQ(text.status, 0) << text.err;
  // Three variables: the four subsets of two or more of them, named.
  EXPECT_NE(text.out.find("-e 1: +smoke _||_ tar -smoke _||_ tar | cancer\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("\n  values: {smoke,tar}="), std::string::npos) << text.out;
  EXPECT_NE(text.out.find(" {smoke,tar,cancer}="), std::string::npos) << text.out;
  EXPECT_EQ(text.out.find("genes"), std::string::npos) << text.out;

  const Outcome unknown = query("--variables 'smoke tar cancer' -e '+smoke _||_ cancr'");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err,
            "imset-query: -e 1:13: unknown variable 'cancr'; did you mean 'cancer'?\nimset-query: no query answered\n");
  const Outcome vector = query("--to-vectors -e '+0,1 -0,23'");
  EXPECT_EQ(vector.status, 2);
  EXPECT_NE(vector.err.find("-0,23 fails when any one of its parts does, which a vector cannot ask"), std::string::npos)
      << vector.err;
}

}  // namespace
