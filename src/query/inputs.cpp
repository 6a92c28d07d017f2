#include "query/inputs.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "input/vector_file.h"

namespace imset::query {
namespace {

std::uint32_t add_source(const std::string& name, SourceKind kind, QueryInputs& inputs) {
  inputs.sources.push_back({name, kind});
  return static_cast<std::uint32_t>(inputs.sources.size() - 1);
}

}  // namespace

void add_query_text(std::string_view text, const std::string& name, QueryInputs& inputs) {
  const std::uint32_t source =
      add_source(name, name == "<stdin>" ? SourceKind::standard_input : SourceKind::file, inputs);
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::size_t errors = 0;
  std::uint32_t line_number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++line_number;
    Query query;
    QueryError error;
    switch (parse_query_line(line, query, error)) {
      case LineKind::blank:
        break;
      case LineKind::query:
        inputs.queries.push_back({query, source, line_number});
        break;
      case LineKind::error:
        if (++errors > errors_per_source) {
          inputs.errors.push_back(name + ": more errors follow; stopped looking");
          return;
        }
        inputs.errors.push_back(name + ":" + std::to_string(line_number) + ":" + std::to_string(error.column) + ": " +
                                error.message);
        break;
    }
  }
}

void add_command_line_query(std::string_view text, std::uint32_t index, QueryInputs& inputs) {
  const std::string name = "-e " + std::to_string(index);
  const std::uint32_t source = add_source(name, SourceKind::command_line, inputs);
  const std::size_t line_break = text.find('\n');
  Query query;
  QueryError error{line_break + 1, "a query given with -e is one line"};
  const LineKind kind = line_break == std::string_view::npos ? parse_query_line(text, query, error) : LineKind::error;
  switch (kind) {
    case LineKind::blank:
      inputs.errors.push_back(name + ": the query names no statement");
      break;
    case LineKind::query:
      inputs.queries.push_back({query, source, index});
      break;
    case LineKind::error:
      inputs.errors.push_back(name + ":" + std::to_string(error.column) + ": " + error.message);
      break;
  }
}

bool read_whole_file(const std::string& path, std::string& bytes, std::string& error) {
  const bool standard_input = path == "-";
  int descriptor = STDIN_FILENO;
  if (!standard_input) {
    do {
      descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (descriptor < 0 && errno == EINTR);
  }
  if (descriptor < 0) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  std::array<char, 1 << 16> chunk{};
  bool ok = true;
  for (;;) {
    const ssize_t got = ::read(descriptor, chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      error = "cannot read " + (standard_input ? std::string("standard input") : path) + ": " + std::strerror(errno);
      ok = false;
    }
    if (got <= 0) break;
    bytes.append(chunk.data(), static_cast<std::size_t>(got));
  }
  if (!standard_input) (void)::close(descriptor);  // read-only: nothing to lose
  return ok;
}

void add_query_file(const std::string& path, QueryInputs& inputs) {
  std::string bytes;
  std::string error;
  if (!read_whole_file(path, bytes, error)) {
    inputs.errors.push_back(error);
    return;
  }
  add_query_text(bytes, path == "-" ? "<stdin>" : path, inputs);
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
    inputs.queries.push_back({{rows_with_code(codes, code_zero), rows_with_code(codes, code_nonzero)},
                              source,
                              static_cast<std::uint32_t>(v + 1)});
  }
}

}  // namespace imset::query
