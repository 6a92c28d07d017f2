#include "query/query.h"

#include "query/statement.h"
#include "text/text_reader.h"

namespace imset::query {

LineKind parse_query_line(std::string_view line, Query& query, QueryError& error) {
  query = {};
  const std::size_t comment = line.find('#');
  if (comment != std::string_view::npos) line = line.substr(0, comment);
  bool any = false;
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && is_white(line[i])) ++i;
    if (i == line.size()) break;
    const std::size_t start = i;
    while (i < line.size() && !is_white(line[i])) ++i;
    const std::string_view token = line.substr(start, i - start);
    const char sign = token.front();
    if (sign != '+' && sign != '-') {
      error = {start + 1, "expected '+' or '-' before a statement, got '" + printable(token) + "'"};
      return LineKind::error;
    }
    StatementError statement_error;
    const int row = parse_statement(token.substr(1), statement_error);
    if (row < 0) {
      error = {start + 2 + statement_error.offset, statement_error.message};
      return LineKind::error;
    }
    RowSet& same = sign == '+' ? query.holds : query.fails;
    const RowSet& other = sign == '+' ? query.fails : query.holds;
    if (other.contains(row)) {
      error = {start + 1, statement_name(row) + " is asked to hold and to fail"};
      return LineKind::error;
    }
    same.insert(row);
    any = true;
  }
  return any ? LineKind::query : LineKind::blank;
}

std::string query_text(const Query& query) {
  std::string text;
  const auto add = [&](const RowSet& rows, char sign) {
    rows.for_each([&](int p) {
      if (!text.empty()) text += ' ';
      text += sign;
      text += statement_name(p);
    });
  };
  add(query.holds, '+');
  add(query.fails, '-');
  return text;
}

}  // namespace imset::query
