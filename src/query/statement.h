// Conditional-independence statements by name, as a query writes them.
//
// The compact form "A,B|C" writes each set as a run of one-character
// names: "0,12|3" is {0} ⊥ {1,2} | {3}; "0,1" or "0,1|" for empty C. The
// long form writes names separated by commas, the sides joined by "_||_"
// (or "⊥"): "smoke _||_ tar, cancer | genes"; a set may stand in braces.
// Without a declaration the variables are 0 to 4, named by their digits.
//
// On five elements an elementary statement a,b|K is the elementary imset
// of one row of the vector file, and any statement holds exactly when the
// rows of its parts are zero.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <tuple>

#include "ci/statement.h"
#include "ci/variables.h"
#include "tables/imsets.h"
#include "tables/row_set.h"

namespace imset::query {

struct StatementError {
  std::size_t offset = 0;  // within the text parsed
  std::string message;
};

// Whether the text is in the long form: it holds "_||_" or "⊥".
bool is_long_form(std::string_view text);

// The statement a text names, in either form; false with the error filled
// in otherwise.
bool parse_statement(std::string_view text, const ci::Variables& variables, ci::Statement& statement,
                     StatementError& error);

// The variables a declaration names: names separated by blanks or commas.
bool parse_variables(std::string_view text, ci::Variables& variables, StatementError& error);

// The rows of a statement's elementary parts; it must be within_five.
constexpr RowSet part_rows(const ci::Statement& statement) {
  RowSet rows;
  ci::for_each_part(statement, [&](ci::Mask pair, ci::Mask k) { rows.insert(row_of_triple(pair, k)); });
  return rows;
}

// Whether a statement names only the five elements of the rays' tables.
constexpr bool within_five(const ci::Statement& s) { return (s.elements() & ~full_mask) == 0; }

// The order statements are written in: by their first part's row in the
// vector file, so that elementary statements keep that order; statements
// over more elements after them.
constexpr auto written_order(const ci::Statement& s, const RowSet& parts) {
  return std::make_tuple(parts.first(), parts.size(), s.a, s.b, s.c);
}

constexpr bool written_before(const ci::Statement& x, const ci::Statement& y) {
  const auto order = [](const ci::Statement& s) {
    return within_five(s) ? written_order(s, part_rows(s)) : std::make_tuple(elementary_count, 0, s.a, s.b, s.c);
  };
  return order(x) < order(y);
}

// The elementary statement of row p, and its name in digits ("0,1|23").
ci::Statement row_statement(int row);
std::string row_name(int row);

// The rows whose statements name only variables of `ground`.
RowSet rows_within(ci::Mask ground);

}  // namespace imset::query
