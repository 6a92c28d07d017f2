#include "query/statement.h"

#include <array>

#include "tables/imsets.h"
#include "text/printable.h"
#include "text/text_reader.h"

namespace imset::query {
namespace {

using ci::Mask;

constexpr std::string_view long_separator = "_||_";
constexpr std::string_view perpendicular = "\xE2\x8A\xA5";  // ⊥

enum class Place { first, second, condition };

bool fail(StatementError& error, std::size_t offset, std::string message) {
  error = {offset, std::move(message)};
  return false;
}

bool is_name_character(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool starts_name(char c) { return is_name_character(c) && c != '_'; }

std::string unknown_name(std::string_view name, const ci::Variables& variables) {
  const std::string shown = quoted(name);
  if (!variables.declared()) {
    return "unknown variable " + shown + ": without declared names the elements are 0 to " +
           std::to_string(ci::max_digits - 1) + "; declare names first, as in 'variables: smoke tar cancer'";
  }
  if (variables.single_characters()) {
    std::string names;
    for (const std::string& n : variables.names()) names.append(" ").append(n);
    return "unknown variable " + shown + ": the variables are" + names;
  }
  return "unknown variable " + shown + "; did you mean '" + variables.nearest(name) + "'?";
}

const char* place_name(Place place) {
  switch (place) {
    case Place::first:
      return "the first set";
    case Place::second:
      return "the second set";
    case Place::condition:
      return "the condition";
  }
  return "";
}

// Puts variable v, named at `offset`, into its place; a variable may stand
// in one place only, once.
bool add_variable(ci::Statement& s, Place place, int v, std::size_t offset, const ci::Variables& variables,
                  StatementError& error) {
  const Mask bit = Mask{1} << v;
  const std::string& name = variables.name(v);
  if (place == Place::second && (s.a & bit) != 0) return fail(error, offset, name + " is on both sides");
  if (place == Place::condition && ((s.a | s.b) & bit) != 0) {
    return fail(error, offset, name + " is on a side and in the condition");
  }
  Mask& set = place == Place::first ? s.a : place == Place::second ? s.b : s.c;
  if ((set & bit) != 0) return fail(error, offset, name + " appears twice in " + place_name(place));
  set |= bit;
  return true;
}

bool expected(StatementError& error, std::string_view text, std::size_t i, const std::string& what) {
  if (i >= text.size()) return fail(error, i, "missing " + what);
  return fail(error, i, "expected " + what + ", got " + shown_character(text, i));
}

// The variable a name stands for; without declared names every digit is
// one, the ground set growing to the highest named.
int find_variable(std::string_view name, const ci::Variables& variables) {
  if (!variables.declared() && name.size() == 1 && name[0] >= '0' && name[0] <= '9') return name[0] - '0';
  return variables.find(name);
}

// A run of one-character names from text[i] on, into `place`.
bool read_run(std::string_view text, std::size_t& i, Place place, const ci::Variables& variables, ci::Statement& s,
              StatementError& error) {
  for (; i < text.size(); ++i) {
    const int v = find_variable(text.substr(i, 1), variables);
    if (v < 0) {
      if (starts_name(text[i])) return fail(error, i, unknown_name(text.substr(i, 1), variables));
      return true;
    }
    if (!add_variable(s, place, v, i, variables, error)) return false;
  }
  return true;
}

bool parse_compact(std::string_view text, const ci::Variables& variables, ci::Statement& statement,
                   StatementError& error) {
  if (!variables.single_characters()) {
    return fail(error, 0,
                "with these names write the long form, as in " + variables.name(0) + " _||_ " + variables.name(1));
  }
  ci::Statement s;
  std::size_t i = 0;
  if (!read_run(text, i, Place::first, variables, s, error)) return false;
  if (s.a == 0) return expected(error, text, i, "an element");
  if (i >= text.size() || text[i] != ',') return expected(error, text, i, "',' after the first set");
  ++i;
  if (!read_run(text, i, Place::second, variables, s, error)) return false;
  if (s.b == 0) return expected(error, text, i, "an element of the second set");
  if (i < text.size()) {
    if (text[i] != '|') return expected(error, text, i, "'|' after the second set");
    const std::size_t bar = i++;
    if (!read_run(text, i, Place::condition, variables, s, error)) return false;
    if (i < text.size()) {
      if (text[i] != ',') return expected(error, text, i, "an element of the condition");
      std::string run(text.substr(0, bar + 1));
      for (const char c : text.substr(bar + 1)) {
        if (c != ',') run += c;
      }
      return fail(error, i,
                  "expected an element of the condition, got ','; write its elements run together: " + printable(run));
    }
  }
  statement = ci::make_statement(s.a, s.b, s.c);
  return true;
}

void skip_white(std::string_view text, std::size_t& i) {
  while (i < text.size() && is_white(text[i])) ++i;
}

// A set of the long form: names separated by commas, perhaps in braces. The
// condition may be empty.
bool read_set(std::string_view text, std::size_t& i, Place place, const ci::Variables& variables, ci::Statement& s,
              StatementError& error) {
  const bool braced = i < text.size() && text[i] == '{';
  if (braced) {
    ++i;
    skip_white(text, i);
  }
  bool first = true;
  while (true) {
    const std::size_t start = i;
    if (i < text.size() && starts_name(text[i])) {
      while (i < text.size() && is_name_character(text[i]) && !text.substr(i).starts_with(long_separator)) ++i;
    }
    if (i == start) {
      if (first && place == Place::condition) break;
      return expected(error, text, i, "a name");
    }
    const std::string_view name = text.substr(start, i - start);
    const int v = find_variable(name, variables);
    if (v < 0) return fail(error, start, unknown_name(name, variables));
    if (!add_variable(s, place, v, start, variables, error)) return false;
    first = false;
    skip_white(text, i);
    if (i >= text.size() || text[i] != ',') break;
    ++i;
    skip_white(text, i);
  }
  if (braced) {
    if (i >= text.size() || text[i] != '}') return expected(error, text, i, "'}' after the set");
    ++i;
  }
  return true;
}

bool parse_long(std::string_view text, const ci::Variables& variables, ci::Statement& statement,
                StatementError& error) {
  ci::Statement s;
  std::size_t i = 0;
  skip_white(text, i);
  if (!read_set(text, i, Place::first, variables, s, error)) return false;
  skip_white(text, i);
  if (text.substr(i).starts_with(long_separator)) {
    i += long_separator.size();
  } else if (text.substr(i).starts_with(perpendicular)) {
    i += perpendicular.size();
  } else {
    return expected(error, text, i, "'_||_' after the first set");
  }
  skip_white(text, i);
  if (!read_set(text, i, Place::second, variables, s, error)) return false;
  skip_white(text, i);
  if (i < text.size()) {
    if (text[i] != '|') return expected(error, text, i, "'|' after the second set");
    ++i;
    skip_white(text, i);
    if (!read_set(text, i, Place::condition, variables, s, error)) return false;
    skip_white(text, i);
    if (i < text.size()) return expected(error, text, i, "the end of the statement");
  }
  statement = ci::make_statement(s.a, s.b, s.c);
  return true;
}

constexpr std::array<RowSet, 1U << ground_size> make_rows_within() {
  std::array<RowSet, 1U << ground_size> within{};
  for (unsigned ground = 0; ground < within.size(); ++ground) {
    for (int p = 0; p < elementary_count; ++p) {
      const ElementaryTriple& t = elementary_triples[static_cast<std::size_t>(p)];
      if (((t.pair_mask() | t.k_mask) & ~ground) == 0) within[ground].insert(p);
    }
  }
  return within;
}

constexpr auto rows_within_ground = make_rows_within();
static_assert(rows_within_ground[full_mask] == RowSet::all());
static_assert(rows_within_ground[0b00111].size() == 6);  // three pairs, each alone and given the third

}  // namespace

bool is_long_form(std::string_view text) {
  return text.find(long_separator) != std::string_view::npos || text.find(perpendicular) != std::string_view::npos;
}

bool parse_statement(std::string_view text, const ci::Variables& variables, ci::Statement& statement,
                     StatementError& error) {
  return is_long_form(text) ? parse_long(text, variables, statement, error)
                            : parse_compact(text, variables, statement, error);
}

bool parse_variables(std::string_view text, ci::Variables& variables, StatementError& error) {
  std::vector<std::string> names;
  std::size_t i = 0;
  const auto separator = [&](std::size_t k) { return is_white(text[k]) || text[k] == ','; };
  while (true) {
    while (i < text.size() && separator(i)) ++i;
    if (i >= text.size()) break;
    const std::size_t start = i;
    while (i < text.size() && !separator(i)) ++i;
    const std::string_view name = text.substr(start, i - start);
    if (!ci::is_name(name)) {
      return fail(error, start, quoted(name) + " is not a name: a name is a letter, then letters, digits and '_'");
    }
    for (const std::string& earlier : names) {
      if (earlier == name) return fail(error, start, quoted(earlier) + " is declared twice");
    }
    if (names.size() == static_cast<std::size_t>(ci::max_variables)) {
      return fail(error, start, "at most " + std::to_string(ci::max_variables) + " variables can be declared");
    }
    names.emplace_back(name);
  }
  if (names.size() < 2) return fail(error, text.size(), "declare at least two variables");
  variables = ci::Variables(std::move(names));
  return true;
}

ci::Statement row_statement(int row) {
  const ElementaryTriple& t = elementary_triples[static_cast<std::size_t>(row)];
  return {Mask{1} << t.a, Mask{1} << t.b, t.k_mask};
}

std::string row_name(int row) { return ci::statement_text(row_statement(row), ci::Variables()); }

RowSet rows_within(ci::Mask ground) { return rows_within_ground[ground & full_mask]; }

}  // namespace imset::query
