#include "query/maximal.h"

#include <algorithm>
#include <array>

#include "query/statement.h"

namespace imset::query {
namespace {

using ci::Mask;

// A statement is coded by the place of each element, two bits each: 0
// absent, 1 first set, 2 second set, 3 condition.
constexpr std::size_t code_count = std::size_t{1} << (2 * ground_size);
constexpr std::size_t first = 1, second = 2, condition = 3;

constexpr std::size_t place_of(std::size_t code, int e) { return (code >> (2 * e)) & 3U; }
constexpr std::size_t with_place(std::size_t code, int e, std::size_t place) {
  return (code & ~(std::size_t{3} << (2 * e))) | (place << (2 * e));
}

struct Entry {
  ci::Statement statement;
  RowSet parts;
  std::size_t code;
};

// A statement with both sides nonempty, sides in either order.
constexpr bool is_statement(std::size_t code, ci::Statement& s) {
  s = {};
  for (int e = 0; e < ground_size; ++e) {
    const Mask bit = Mask{1} << e;
    const std::size_t place = place_of(code, e);
    if (place == first) s.a |= bit;
    if (place == second) s.b |= bit;
    if (place == condition) s.c |= bit;
  }
  return s.a != 0 && s.b != 0;
}

constexpr std::size_t statement_total = [] {
  std::size_t total = 0;
  ci::Statement s;
  for (std::size_t code = 0; code < code_count; ++code) {
    total += is_statement(code, s) && ci::make_statement(s.a, s.b, s.c) == s ? 1 : 0;
  }
  return total;
}();
// Each of five elements in one of four places, both sides nonempty, up to
// the order of the sides: (4^5 - 2 * 3^5 + 2^5) / 2.
static_assert(statement_total == 285);

struct Table {
  std::array<Entry, statement_total> entries{};
  std::array<RowSet, code_count> parts_by_code{};  // empty for codes that are no statement
};

constexpr Table make_table() {
  Table table;
  std::size_t next = 0;
  ci::Statement s;
  for (std::size_t code = 0; code < code_count; ++code) {
    if (!is_statement(code, s)) continue;
    table.parts_by_code[code] = part_rows(s);
    if (ci::make_statement(s.a, s.b, s.c) == s) table.entries[next++] = {s, table.parts_by_code[code], code};
  }
  std::sort(table.entries.begin(), table.entries.end(), [](const Entry& x, const Entry& y) {
    return written_order(x.statement, x.parts) < written_order(y.statement, y.parts);
  });
  return table;
}

constexpr Table table = make_table();
// In the order of first rows, as queries are written: row 0 is 3,4|012.
static_assert(table.entries[0].statement == ci::Statement{0b01000, 0b10000, 0b00111});

}  // namespace

std::vector<ci::Statement> maximal_statements(const RowSet& zeros, ci::Mask ground) {
  std::vector<ci::Statement> listed;
  const auto holds = [&](std::size_t code) {
    const RowSet& parts = table.parts_by_code[code];
    return !parts.empty() && parts.is_subset_of(zeros);
  };
  for (const Entry& entry : table.entries) {
    if ((entry.statement.elements() & ~ground) != 0 || !entry.parts.is_subset_of(zeros)) continue;
    // Larger statements that hold are reached one step at a time: an
    // element of the ground set added to a side, or moved from C to one.
    bool maximal = true;
    for (int e = 0; e < ground_size && maximal; ++e) {
      const std::size_t place = place_of(entry.code, e);
      if (((ground >> e) & 1U) == 0 || place == first || place == second) continue;
      maximal = !holds(with_place(entry.code, e, first)) && !holds(with_place(entry.code, e, second));
    }
    if (maximal) listed.push_back(entry.statement);
  }
  return listed;
}

namespace {

ci::Statement statement_of(std::size_t code, int n) {
  ci::Statement s;
  for (int e = 0; e < n; ++e) {
    const std::size_t place = place_of(code, e);
    const Mask bit = Mask{1} << e;
    if (place == first) s.a |= bit;
    if (place == second) s.b |= bit;
    if (place == condition) s.c |= bit;
  }
  return s;
}

// The same statement with its sides the other way round.
std::size_t swapped(std::size_t code, int n) {
  for (int e = 0; e < n; ++e) {
    const std::size_t place = place_of(code, e);
    if (place == first || place == second) code = with_place(code, e, place == first ? second : first);
  }
  return code;
}

bool all_parts_zero(const lp::Ground& ground, const std::vector<char>& zero, const ci::Statement& s) {
  bool all = true;
  ci::for_each_part(
      s, [&](Mask pair, Mask k) { all = all && zero[static_cast<std::size_t>(ground.index(pair, k))] != 0; });
  return all;
}

// No larger statement holds: none with an element added to a side, or
// moved there from the condition.
bool is_maximal(std::size_t code, int n, const std::vector<char>& holds) {
  for (int e = 0; e < n; ++e) {
    const std::size_t place = place_of(code, e);
    if (place == first || place == second) continue;
    if (holds[with_place(code, e, first)] != 0 || holds[with_place(code, e, second)] != 0) return false;
  }
  return true;
}

}  // namespace

std::vector<ci::Statement> maximal_statements(const lp::Ground& ground, const std::vector<char>& zero) {
  const int n = ground.n();
  // Both orders of the sides are marked, so that a step that puts the
  // least element on the other side is found too.
  std::vector<char> holds(std::size_t{1} << (2 * n), 0);
  std::vector<std::size_t> holding;
  for (std::size_t code = 0; code < holds.size(); ++code) {
    const ci::Statement s = statement_of(code, n);
    if (s.a == 0 || s.b == 0 || !(ci::make_statement(s.a, s.b, s.c) == s) || !all_parts_zero(ground, zero, s)) {
      continue;
    }
    holding.push_back(code);
    holds[code] = 1;
    holds[swapped(code, n)] = 1;
  }
  std::vector<ci::Statement> listed;
  for (const std::size_t code : holding) {
    if (is_maximal(code, n, holds)) listed.push_back(statement_of(code, n));
  }
  std::sort(listed.begin(), listed.end(), written_before);
  return listed;
}

}  // namespace imset::query
