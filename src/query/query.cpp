#include "query/query.h"

#include <algorithm>
#include <bit>

#include "query/statement.h"
#include "text/printable.h"
#include "text/text_reader.h"

namespace imset::query {
namespace {

constexpr std::string_view declaration_keyword = "variables:";

// Where the statement whose sign is at `sign` ends: before the blanks
// ahead of the next sign, or at the end of the line.
std::size_t statement_end(std::string_view line, std::size_t sign) {
  std::size_t end = line.size();
  for (std::size_t i = sign + 1; i < line.size(); ++i) {
    if (is_white(line[i - 1]) && !is_white(line[i]) && (line[i] == '+' || line[i] == '-')) {
      end = i;
      break;
    }
  }
  while (end > sign + 1 && is_white(line[end - 1])) --end;
  return end;
}

LineKind parse_declaration(std::string_view line, std::size_t start, ci::Variables& variables, QueryError& error) {
  const std::size_t names = start + declaration_keyword.size();
  StatementError statement_error;
  if (!parse_variables(line.substr(names), variables, statement_error)) {
    error = {names + statement_error.offset + 1, statement_error.message};
    return LineKind::error;
  }
  return LineKind::declaration;
}

// The fault of a token that should start a statement with its sign.
QueryError unsigned_token(std::string_view line, std::size_t i) {
  std::size_t end = i;
  while (end < line.size() && !is_white(line[end])) ++end;
  const std::string shown =
      static_cast<unsigned char>(line[i]) < 0x80 ? quoted(line.substr(i, end - i)) : shown_character(line, i);
  return {i + 1, "expected '+' or '-' before a statement, got " + shown};
}

// Where the statement whose sign is at `sign` ends: a long-form statement
// runs to the next sign, a compact one is one token.
std::size_t statement_extent(std::string_view line, std::size_t sign) {
  const std::size_t end = statement_end(line, sign);
  if (is_long_form(line.substr(sign + 1, end - sign - 1))) return end;
  std::size_t token_end = sign + 1;
  while (token_end < line.size() && !is_white(line[token_end])) ++token_end;
  return token_end;
}

}  // namespace

LineKind parse_query_line(std::string_view line, ci::Variables& variables, Query& query, QueryError& error) {
  query = {};
  const std::size_t comment = line.find('#');
  if (comment != std::string_view::npos) line = line.substr(0, comment);
  std::size_t i = 0;
  while (i < line.size() && is_white(line[i])) ++i;
  if (line.substr(i).starts_with(declaration_keyword)) return parse_declaration(line, i, variables, error);
  bool any = false;
  while (true) {
    while (i < line.size() && is_white(line[i])) ++i;
    if (i == line.size()) break;
    const char sign = line[i];
    if (sign != '+' && sign != '-') {
      error = unsigned_token(line, i);
      return LineKind::error;
    }
    const std::size_t end = statement_extent(line, i);
    ci::Statement statement;
    StatementError statement_error;
    if (!parse_statement(line.substr(i + 1, end - i - 1), variables, statement, statement_error)) {
      error = {i + 2 + statement_error.offset, statement_error.message};
      return LineKind::error;
    }
    std::vector<ci::Statement>& same = sign == '+' ? query.holds : query.fails;
    const std::vector<ci::Statement>& other = sign == '+' ? query.fails : query.holds;
    if (std::find(other.begin(), other.end(), statement) != other.end()) {
      error = {i + 1, ci::statement_text(statement, variables) + " is asked to hold and to fail"};
      return LineKind::error;
    }
    if (std::find(same.begin(), same.end(), statement) == same.end()) same.push_back(statement);
    any = true;
    i = end;
  }
  if (!any) return LineKind::blank;
  canonicalise(query);
  return LineKind::query;
}

void canonicalise(Query& query) {
  std::sort(query.holds.begin(), query.holds.end(), written_before);
  std::sort(query.fails.begin(), query.fails.end(), written_before);
}

int variable_count(const Query& query, const ci::Variables& variables) {
  if (variables.declared()) return variables.size();
  ci::Mask named = 0;
  for (const auto* list : {&query.holds, &query.fails}) {
    for (const ci::Statement& s : *list) named |= s.elements();
  }
  return std::max(ci::least_digits, static_cast<int>(std::bit_width(named)));
}

QueryRows query_rows(const Query& query) {
  QueryRows rows;
  for (const ci::Statement& s : query.holds) rows.held = rows.held | part_rows(s);
  rows.failing.reserve(query.fails.size());
  for (const ci::Statement& s : query.fails) rows.failing.push_back(part_rows(s));
  return rows;
}

std::string query_text(const Query& query, const ci::Variables& variables) {
  std::string text;
  const auto add = [&](const std::vector<ci::Statement>& statements, char sign) {
    for (const ci::Statement& s : statements) {
      if (!text.empty()) text += ' ';
      text += sign;
      text += ci::statement_text(s, variables);
    }
  };
  add(query.holds, '+');
  add(query.fails, '-');
  return text;
}

}  // namespace imset::query
