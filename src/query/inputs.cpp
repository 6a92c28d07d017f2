#include "query/inputs.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include "input/vector_file.h"
#include "query/statement.h"

namespace imset::query {

std::uint32_t add_source(const std::string& name, SourceKind kind, QueryInputs& inputs) {
  inputs.sources.push_back({name, kind});
  return static_cast<std::uint32_t>(inputs.sources.size() - 1);
}

void add_command_line_query(std::string_view text, std::uint32_t index, QueryInputs& inputs) {
  const std::string name = "-e " + std::to_string(index);
  const std::uint32_t source = add_source(name, SourceKind::command_line, inputs);
  const std::size_t line_break = text.find('\n');
  Query query;
  QueryError error{line_break + 1, "a query given with -e is one line"};
  ci::Variables variables = inputs.variables.front();
  const LineKind kind =
      line_break == std::string_view::npos ? parse_query_line(text, variables, query, error) : LineKind::error;
  switch (kind) {
    case LineKind::blank:
    case LineKind::declaration:
      inputs.errors.push_back(name + ": the query names no statement");
      break;
    case LineKind::query:
      add_query(std::move(query), source, index, 0, inputs);
      break;
    case LineKind::error:
      inputs.errors.push_back(name + ":" + std::to_string(error.column) + ": " + error.message);
      break;
  }
}

bool QueryLineReader::open(const std::string& path, const ci::Variables& variables, std::string& error) {
  variables_ = variables;
  // Query files never ended at 0x1A: it stays a byte like any other.
  reader_.set_end_of_text_byte(false);
  if (path == "-") {
    name_ = "<stdin>";
    reader_.attach(STDIN_FILENO);
    return true;
  }
  name_ = path;
  if (!reader_.open(path.c_str())) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool QueryLineReader::assemble() {
  text_.clear();
  too_long_ = false;
  bool comment = false;
  bool any = false;
  for (;;) {
    if (piece_pos_ == piece_.length) {
      // The reader hands out at most 1,023 bytes at a time: a line may come
      // in several pieces, and a piece may hold several lines ended by CR.
      piece_pos_ = piece_.length = 0;
      const LineRead got = reader_.read_line(piece_);
      if (got == LineRead::read_error) {
        read_errno_ = errno;
        failed_ = true;
        return false;
      }
      if (got == LineRead::end_of_file) return any;
    }
    any = true;
    const std::string_view rest(piece_.text() + piece_pos_, piece_.length - piece_pos_);
    const std::size_t stop = rest.find_first_of("\n\r");
    const bool line_ends = stop != std::string_view::npos;
    std::string_view part = rest.substr(0, stop);
    piece_pos_ += line_ends ? stop + 1 : rest.size();
    if (!comment) {
      const std::size_t hash = part.find('#');
      comment = hash != std::string_view::npos;
      part = part.substr(0, hash);
      if (text_.size() + part.size() > max_query_line) too_long_ = true;
      if (!too_long_) text_.append(part);
    }
    if (line_ends) return true;
  }
}

QueryLineReader::Next QueryLineReader::next(QueryLine& line, std::string& error) {
  while (assemble()) {
    ++line_number_;
    std::string_view text = text_;
    if (line_number_ == 1 && text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    line.number = line_number_;
    if (too_long_) {
      line.kind = LineKind::error;
      line.error = {0, "line too long: more than " + std::to_string(max_query_line) + " bytes before any '#'"};
      return Next::line;
    }
    line.kind = parse_query_line(text, variables_, line.query, line.error);
    if (line.kind != LineKind::blank) return Next::line;
  }
  if (!failed_) return Next::end;
  error =
      "cannot read " + (name_ == "<stdin>" ? std::string("standard input") : name_) + ": " + std::strerror(read_errno_);
  return Next::read_error;
}

void add_query(Query query, std::uint32_t source, std::uint32_t line, std::uint32_t read_in, QueryInputs& inputs) {
  std::uint32_t variables = read_in;
  if (!inputs.variables[read_in].declared()) {
    const int n = variable_count(query, inputs.variables[read_in]);
    if (n != inputs.variables[read_in].size()) {
      std::uint32_t& index = inputs.digits_index[static_cast<std::size_t>(n)];
      if (index == 0) {
        inputs.variables.push_back(ci::Variables::digits(n));
        index = static_cast<std::uint32_t>(inputs.variables.size() - 1);
      }
      variables = index;
    }
  }
  inputs.queries.push_back({std::move(query), source, line, variables});
}

std::uint32_t add_variables(const ci::Variables& variables, QueryInputs& inputs) {
  if (inputs.variables.back() != variables) inputs.variables.push_back(variables);
  return static_cast<std::uint32_t>(inputs.variables.size() - 1);
}

std::string line_error(const std::string& name, const QueryLine& line) {
  std::string where = name + ":" + std::to_string(line.number) + ":";
  if (line.error.column > 0) where += std::to_string(line.error.column) + ":";
  return where + " " + line.error.message;
}

void add_query_file(const std::string& path, QueryInputs& inputs) {
  QueryLineReader reader;
  std::string error;
  if (!reader.open(path, inputs.variables.front(), error)) {
    inputs.errors.push_back(error);
    return;
  }
  const SourceKind kind = path == "-" ? SourceKind::standard_input : SourceKind::file;
  const std::uint32_t source = add_source(reader.name(), kind, inputs);
  std::uint32_t variables = 0;
  std::size_t errors = 0;
  QueryLine line;
  for (;;) {
    switch (reader.next(line, error)) {
      case QueryLineReader::Next::end:
        return;
      case QueryLineReader::Next::read_error:
        inputs.errors.push_back(error);
        return;
      case QueryLineReader::Next::line:
        break;
    }
    if (line.kind == LineKind::declaration) {
      variables = add_variables(reader.variables(), inputs);
    } else if (line.kind == LineKind::query) {
      add_query(std::move(line.query), source, line.number, variables, inputs);
    } else if (++errors > errors_per_source) {
      inputs.errors.push_back(reader.name() + ": more errors follow; stopped looking");
      return;
    } else {
      inputs.errors.push_back(line_error(reader.name(), line));
    }
  }
}

void add_vector_file(const std::string& path, QueryInputs& inputs) {
  VectorSet vectors;
  const VectorFileResult result = read_vector_file(path.c_str(), vectors);
  switch (result.status) {
    case VectorFileStatus::unreadable:
      inputs.errors.push_back("cannot read the vector file " + path);
      return;
    case VectorFileStatus::too_many_vectors:
      inputs.errors.push_back(path + ": more than " + std::to_string(max_vectors) +
                              " vectors, more than imset-check reads");
      return;
    case VectorFileStatus::read:
      break;
  }
  if (result.ignored_values > 0) {
    inputs.warnings.push_back(path + ": " + std::to_string(result.ignored_values) +
                              " tokens past the 80th of a line were ignored, as imset-check ignores them");
  }
  const std::uint32_t source = add_source(path, SourceKind::vector_file, inputs);
  for (int v = 0; v < vectors.count; ++v) {
    const SignCodes& codes = vectors.codes[static_cast<std::size_t>(v)];
    // imset-check gives such a line a meaning all the same (missing
    // positions ask "+", a token counts by its first byte): say so, and
    // answer it as imset-check would search it.
    const VectorLine& facts = vectors.lines[static_cast<std::size_t>(v)];
    std::string reasons;
    if (facts.tokens < elementary_count) {
      reasons = std::to_string(facts.tokens) + (facts.tokens == 1 ? " token, not 80" : " tokens, not 80");
    }
    if (facts.odd_token > 0) {
      reasons.append(reasons.empty() ? "token " : "; token ")
          .append(std::to_string(facts.odd_token))
          .append(" is not +, - or x");
    }
    if (!reasons.empty()) {
      std::string warning = path;
      warning.append(":").append(std::to_string(facts.line)).append(": not a vector line (").append(reasons);
      inputs.warnings.push_back(warning.append("); read as imset-check reads it"));
    }
    Query query;
    rows_with_code(codes, code_zero).for_each([&](int p) { query.holds.push_back(row_statement(p)); });
    rows_with_code(codes, code_nonzero).for_each([&](int p) { query.fails.push_back(row_statement(p)); });
    inputs.queries.push_back({std::move(query), source, static_cast<std::uint32_t>(v + 1), 0});
  }
}

}  // namespace imset::query
