// Where queries come from: query files, the command line (-e), standard
// input, or an imset-check vector file. Every source is read whole and
// checked before any query is answered, so a source with a fault gives no
// answers at all.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "query/query.h"

namespace imset::query {

enum class SourceKind { file, standard_input, command_line, vector_file };

// Where queries come from, as messages and output name it: the path,
// "<stdin>", "-e N" or the vector file's path.
struct Source {
  std::string name;
  SourceKind kind;
};

struct SourcedQuery {
  Query query;
  std::uint32_t source;  // index into QueryInputs::sources
  std::uint32_t line;    // line in the source, -e index, or vector number
};

struct QueryInputs {
  std::vector<Source> sources;
  std::vector<SourcedQuery> queries;
  std::vector<std::string> errors;  // "NAME:LINE:COLUMN: message", in input order
  std::vector<std::string> warnings;
};

// How many errors one source reports before it stops looking.
inline constexpr std::size_t errors_per_source = 20;

// The queries of a text, one per line; a UTF-8 byte-order mark at its
// start is passed over. `name` is how messages name the source.
void add_query_text(std::string_view text, const std::string& name, QueryInputs& inputs);

// A single query given on the command line as the index-th -e (from 1).
void add_command_line_query(std::string_view text, std::uint32_t index, QueryInputs& inputs);

// A file, or standard input for "-".
void add_query_file(const std::string& path, QueryInputs& inputs);

// An imset-check vector file, read by its rules: one query per vector,
// "+" positions held, "-" positions failing, the rest asking nothing.
void add_vector_file(const std::string& path, QueryInputs& inputs);

// Reads a whole file ("-": standard input); false with a message on failure.
bool read_whole_file(const std::string& path, std::string& bytes, std::string& error);

}  // namespace imset::query
