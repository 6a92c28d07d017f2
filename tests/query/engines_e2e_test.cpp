// imset-query's two engines against each other, and every model and
// certificate it prints re-checked here from the definitions, in exact
// integers, by a checker that shares no code with the program's.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"

namespace {

using Outcome = harness::FullOutcome;
using harness::quoted;
using Json = nlohmann::json;
// Exact enough for every value here: products of 64-bit values with small
// coefficients, summed over at most 2^12 subsets.
__extension__ typedef __int128 Integer;

Outcome query(const std::string& arguments) {
  return harness::run_command_with_stderr(quoted(IMSET_QUERY) + " -q " + arguments);
}

std::vector<Json> json_lines(const std::string& out) {
  std::vector<Json> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) lines.push_back(Json::parse(line));
  return lines;
}

// A statement A,B|C in the compact digit form, as masks.
struct Statement {
  unsigned a = 0, b = 0, c = 0;
};

Statement read_statement(const std::string& text) {
  Statement s;
  unsigned* set = &s.a;
  for (const char ch : text) {
    if (ch == ',') {
      set = &s.b;
    } else if (ch == '|') {
      set = &s.c;
    } else {
      *set |= 1U << (ch - '0');
    }
  }
  return s;
}

std::string write_statement(const Statement& s) {
  std::string text;
  const auto run = [&](unsigned set) {
    for (int e = 0; e < 10; ++e) {
      if ((set >> e) & 1U) text += static_cast<char>('0' + e);
    }
  };
  run(s.a);
  text += ',';
  run(s.b);
  if (s.c != 0) {
    text += '|';
    run(s.c);
  }
  return text;
}

// The elementary parts a,b|K of a statement: a in A, b in B,
// C ⊆ K ⊆ (A ∪ B ∪ C) minus {a, b}.
std::vector<Statement> parts(const Statement& s, int n) {
  std::vector<Statement> out;
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) {
      if (((s.a >> a) & 1U) == 0 || ((s.b >> b) & 1U) == 0) continue;
      const unsigned rest = (s.a | s.b | s.c) & ~(1U << a) & ~(1U << b);
      for (unsigned k = 0; k < (1U << n); ++k) {
        if ((k & s.c) == s.c && (k & ~rest) == 0) out.push_back({1U << std::min(a, b), 1U << std::max(a, b), k});
      }
    }
  }
  return out;
}

// The elementary imset of a,b|K as a vector over the 2^n subsets.
std::vector<Integer> imset(const Statement& e, int n) {
  std::vector<Integer> u(std::size_t{1} << n);
  u[e.a | e.b | e.c] += 1;
  u[e.c] += 1;
  u[e.a | e.c] -= 1;
  u[e.b | e.c] -= 1;
  return u;
}

Integer product(const std::vector<Integer>& m, const Statement& e, int n) {
  const std::vector<Integer> u = imset(e, n);
  Integer sum = 0;
  for (std::size_t s = 0; s < u.size(); ++s) sum += m[s] * u[s];
  return sum;
}

Integer integer(const Json& value) {
  if (value.is_string()) {
    Integer x = 0;
    const std::string text = value.get<std::string>();
    for (const char ch : text.substr(text[0] == '-' ? 1 : 0)) x = 10 * x + (ch - '0');
    return text[0] == '-' ? -x : x;
  }
  return value.get<std::int64_t>();
}

// A model: zero on the empty set and singletons, every elementary product
// >= 0, every part of a "+" statement zero, a part of each "-" one not.
bool model_checks(const Json& answer, int n) {
  std::vector<Integer> m;
  for (const Json& v : answer["model"]["values"]) m.push_back(integer(v));
  if (m.size() != (std::size_t{1} << n)) return false;
  for (unsigned s = 0; s < m.size(); ++s) {
    if (std::popcount(s) < 2 && m[s] != 0) return false;
  }
  for (int a = 0; a < n; ++a) {
    for (int b = a + 1; b < n; ++b) {
      for (unsigned k = 0; k < (1U << n); ++k) {
        if (((k >> a) & 1U) == 0 && ((k >> b) & 1U) == 0 && product(m, {1U << a, 1U << b, k}, n) < 0) return false;
      }
    }
  }
  for (const Json& h : answer["holds"]) {
    for (const Statement& p : parts(read_statement(h), n)) {
      if (product(m, p, n) != 0) return false;
    }
  }
  for (const Json& f : answer["fails"]) {
    bool some = false;
    for (const Statement& p : parts(read_statement(f), n)) some |= product(m, p, n) != 0;
    if (!some) return false;
  }
  return true;
}

// k u(t) + Σ z_e u(e) = Σ y_p u(p) over the subsets, k >= 1, z >= 0, every
// p a part of a "+" statement.
bool certificate_checks(const Json& c, const Json& answer, int n) {
  const Integer k = integer(c["scale"]);
  if (k < 1) return false;
  std::vector<Integer> left = imset(read_statement(c["statement"]), n);
  for (Integer& x : left) x *= k;
  for (const Json& term : c["elementary"]) {
    const Integer z = integer(term[1]);
    if (z < 0) return false;
    const std::vector<Integer> u = imset(read_statement(term[0]), n);
    for (std::size_t s = 0; s < u.size(); ++s) left[s] += z * u[s];
  }
  std::vector<std::string> premise_parts;
  for (const Json& h : answer["holds"]) {
    for (const Statement& p : parts(read_statement(h), n)) premise_parts.push_back(write_statement(p));
  }
  for (const Json& term : c["premises"]) {
    if (std::find(premise_parts.begin(), premise_parts.end(), term[0].get<std::string>()) == premise_parts.end()) {
      return false;
    }
    const Integer y = integer(term[1]);
    const std::vector<Integer> u = imset(read_statement(term[0]), n);
    for (std::size_t s = 0; s < u.size(); ++s) left[s] -= y * u[s];
  }
  return std::all_of(left.begin(), left.end(), [](Integer x) { return x == 0; });
}

// Random queries over n digits: elementary and set statements, "+" ones
// half the time drawn as the parts of one statement so that more hold.
std::string random_queries(unsigned seed, int count, int n) {
  std::mt19937 random(seed);
  const auto statement = [&]() -> std::string {
    while (true) {
      Statement s;
      for (int e = 0; e < n; ++e) {
        const auto place = random() % (random() % 2 == 0 ? 4 : 8);
        (place == 1 ? s.a : place == 2 ? s.b : place == 3 ? s.c : s.a) |= place >= 1 && place <= 3 ? 1U << e : 0;
      }
      if (s.a == 0 || s.b == 0) continue;
      if (std::countr_zero(s.a) > std::countr_zero(s.b)) std::swap(s.a, s.b);
      return write_statement(s);
    }
  };
  std::string text;
  for (int i = 0; i < count; ++i) {
    std::vector<std::string> held;
    std::string line;
    for (int k = static_cast<int>(random() % 5); k > 0; --k) {
      held.push_back(statement());
      line += " +" + held.back();
    }
    for (int k = 1 + static_cast<int>(random() % 2); k > 0; --k) {
      const std::string failing = statement();
      // One statement asked to hold and to fail is a fault of the query.
      if (std::find(held.begin(), held.end(), failing) == held.end()) line += " -" + failing;
    }
    if (!line.empty()) text += line.substr(1) + "\n";
  }
  return text;
}

TEST(Engines, RaysAndLinearProgrammingGiveTheSameAnswers) {
  const std::string file = quoted(harness::write_file("agree.txt", random_queries(2026, 1000, 5)));
  const Outcome rays = query(file + " --json --engine rays");
  const Outcome lp = query(file + " --json --engine lp");
  ASSERT_EQ(rays.status, 0) << rays.err;
  ASSERT_EQ(lp.status, 0) << lp.err;
  const auto a = json_lines(rays.out);
  const auto b = json_lines(lp.out);
  ASSERT_EQ(a.size(), b.size());
  int models = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (const char* member : {"query", "structural", "forced", "implied"}) {
      EXPECT_EQ(a[i][member], b[i][member]) << member << " of " << a[i]["query"];
    }
    models += a[i]["structural"] == true ? 1 : 0;
  }
  EXPECT_GT(models, 100);
  EXPECT_LT(models, 900);
}

TEST(Engines, EveryModelAndCertificatePrintedChecksExactly) {
  for (const int n : {5, 6}) {
    const std::string file = quoted(harness::write_file("certify.txt", random_queries(7 + n, 60, n)));
    const Outcome out = query(file + " --json --implied --certify");
    ASSERT_EQ(out.status, 0) << out.err;
    int models = 0;
    int certificates = 0;
    int over_n = 0;
    for (const Json& answer : json_lines(out.out)) {
      // A query that names no element past 4 is over five variables.
      const int size = static_cast<int>(answer["variables"].size());
      ASSERT_TRUE(size == 5 || size == n) << answer["query"];
      over_n += size == n ? 1 : 0;
      EXPECT_EQ(answer.contains("model"), answer["structural"] == true);
      if (answer.contains("model")) {
        EXPECT_TRUE(model_checks(answer, size)) << answer["query"];
        ++models;
      }
      for (const Json& c : answer["certificates"]) {
        EXPECT_TRUE(certificate_checks(c, answer, size)) << answer["query"] << ": " << c;
        ++certificates;
        // Broken on purpose: a coefficient changed, a negative z, k = 0.
        Json broken = c;
        broken["scale"] = integer(c["scale"]) == 1 ? 2 : 1;
        EXPECT_FALSE(certificate_checks(broken, answer, size)) << broken;
        if (!c["elementary"].empty()) {
          broken = c;
          broken["elementary"][0][1] = -1;
          EXPECT_FALSE(certificate_checks(broken, answer, size)) << broken;
        }
        broken = c;
        broken["scale"] = 0;
        EXPECT_FALSE(certificate_checks(broken, answer, size)) << broken;
      }
      if (answer.contains("model") && !answer["fails"].empty()) {
        Json broken = answer;
        broken["model"]["values"][(1U << size) - 1] =
            static_cast<std::int64_t>(integer(answer["model"]["values"][(1U << size) - 1]) - 1000);
        EXPECT_FALSE(model_checks(broken, size)) << "a lowered top value must break supermodularity";
      }
    }
    EXPECT_GT(models, 5) << n;
    EXPECT_GT(certificates, 20) << n;
    EXPECT_GT(over_n, 30) << n;
  }
}

TEST(Engines, LargeQueriesRefusedOrStoppedNeverWrong) {
  const Outcome many = query("--variables 'a b c d e f g h i j k l m' -e '+a,b'");
  EXPECT_EQ(many.status, 2);
  EXPECT_NE(many.err.find("at most 12 variables can be declared"), std::string::npos) << many.err;
  const Outcome rays = query("--engine rays -e '+0,1 -0,1|5'");
  EXPECT_EQ(rays.status, 2);
  EXPECT_NE(rays.err.find("the rays answer over at most five variables, this query has 6"), std::string::npos)
      << rays.err;
  const Outcome late = query("--time-limit 0.000001 -e '+0,1 +2,3|45 -0,1|23456789'");
  EXPECT_EQ(late.status, 2);
  EXPECT_EQ(late.out, "");
  EXPECT_NE(late.err.find("-0,1|23456789 undecided"), std::string::npos) << late.err;
}

}  // namespace
