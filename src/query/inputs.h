// Where queries come from: query files, the command line (-e), standard
// input, or an imset-check vector file. Every source is read whole and
// checked before any query is answered, so a source with a fault gives no
// answers at all.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ci/variables.h"
#include "query/query.h"

namespace imset::query {

struct SourcedQuery {
  Query query;
  std::uint32_t source;     // index into QueryInputs::sources
  std::uint32_t line;       // line in the source, -e index, or vector number
  std::uint32_t variables;  // index into QueryInputs::variables: the names it was asked in
};

struct QueryInputs {
  // The names of the variables: first those a source starts with (the
  // digits, or --variables), then each declaration read.
  std::vector<ci::Variables> variables{ci::Variables()};
  std::vector<std::string> sources;  // names as messages and output show them
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
