// A query: one line of signed statements. "+s" asks that statement s holds,
// "-s" that it fails; statements not named ask nothing. A statement runs
// from its sign to the next blank followed by a sign: "+0,12|3 -0,1" in the
// compact form, "+smoke _||_ tar | genes -smoke _||_ tar" in the long
// form. A line "variables: smoke tar cancer" declares the names of the
// lines after it. "#" starts a comment; a line with nothing else is no
// query.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ci/statement.h"
#include "ci/variables.h"
#include "tables/row_set.h"

namespace imset::query {

// The statements in canonical order (see canonicalise), none twice.
struct Query {
  std::vector<ci::Statement> holds;
  std::vector<ci::Statement> fails;
  bool operator==(const Query&) const = default;
};

// A query on the five-element rows: what the rays answer.
struct QueryRows {
  RowSet held;                  // every part of every "+" statement
  std::vector<RowSet> failing;  // the parts of each "-" statement: one of them must be nonzero
};

struct QueryError {
  std::size_t column = 0;  // 1-based byte column of the offending text
  std::string message;
};

enum class LineKind { blank, query, declaration, error };

// Reads one line (without its line break) in the names of `variables`; a
// declaration replaces them. On an error, `error` names the first fault of
// the line.
LineKind parse_query_line(std::string_view line, ci::Variables& variables, Query& query, QueryError& error);

// Each list in the order of its statements' first rows in the vector file,
// so an elementary query keeps that order.
void canonicalise(Query& query);

// The rows of a query over the five elements of the rays' tables.
QueryRows query_rows(const Query& query);

// How many variables a query is over when read in `variables`: as many as
// declared, or, without declared names, the digits up to the highest it
// names, at least ci::least_digits.
int variable_count(const Query& query, const ci::Variables& variables);

// The query written canonically: "+" statements, then "-" statements,
// separated by blanks.
std::string query_text(const Query& query, const ci::Variables& variables);

}  // namespace imset::query
