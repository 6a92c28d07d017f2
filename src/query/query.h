// A query: one line of signed statements. "+s" asks that statement s holds
// (its imset value is zero), "-s" that it fails (nonzero); statements not
// named ask nothing. "#" starts a comment; a line with nothing else is no
// query.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "tables/row_set.h"

namespace imset::query {

struct Query {
  RowSet holds;
  RowSet fails;
  bool operator==(const Query&) const = default;
};

struct QueryError {
  std::size_t column = 0;  // 1-based byte column of the offending text
  std::string message;
};

enum class LineKind { blank, query, error };

// Reads one line (without its line break). On an error, `error` names the
// first fault of the line.
LineKind parse_query_line(std::string_view line, Query& query, QueryError& error);

// The query written canonically: "+" statements, then "-" statements, each
// in vector-file position order, by canonical name, separated by blanks.
std::string query_text(const Query& query);

}  // namespace imset::query
