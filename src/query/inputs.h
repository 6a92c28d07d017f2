// Where queries come from: query files, the command line (-e), standard
// input, or an imset-check vector file. A query source is read a line at a
// time and only its queries are kept, so memory grows with the queries, not
// with the comments and blank lines around them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ci/variables.h"
#include "query/query.h"
#include "text/text_reader.h"

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
  std::uint32_t source;     // index into QueryInputs::sources
  std::uint32_t line;       // line in the source, -e index, or vector number
  std::uint32_t variables;  // index into QueryInputs::variables: the names it was asked in
};

struct QueryInputs {
  // The names of the variables: first those a source starts with (the
  // digits, or --variables), then each declaration read.
  std::vector<ci::Variables> variables{ci::Variables()};
  std::vector<Source> sources;
  // Where digits(n) stands in `variables`, once a query needed it; 0 not yet.
  std::array<std::uint32_t, ci::max_digits + 1> digits_index{};
  std::vector<SourcedQuery> queries;
  std::vector<std::string> errors;  // "NAME:LINE:COLUMN: message", in input order
  std::vector<std::string> warnings;
};

// Said when the sources hold no query at all.
inline constexpr const char* no_queries = "no queries to answer: every line was blank or a comment";

// How many errors one source reports before it stops looking.
inline constexpr std::size_t errors_per_source = 20;

// The longest query line kept, comment left out; a longer one is an error.
inline constexpr std::size_t max_query_line = std::size_t{64} << 10;

// One line of a query source that asks something: a query, or a fault.
struct QueryLine {
  LineKind kind = LineKind::blank;
  Query query;
  QueryError error;  // column 0: the fault is the line as a whole
  std::uint32_t number = 0;
};

// A query file or standard input, read a line at a time. A line ends at LF,
// CR LF or a CR alone; what follows a '#' is passed over as it arrives, and
// blank lines are skipped, so no comment is ever held. A UTF-8 byte-order
// mark at the start is passed over.
class QueryLineReader {
 public:
  enum class Next { line, end, read_error };

  // "-" is standard input; its lines are read in the names of
  // `variables` until a declaration replaces them. False, with a message,
  // if it cannot be opened.
  bool open(const std::string& path, const ci::Variables& variables, std::string& error);
  const std::string& name() const { return name_; }
  // The next line that is a query, a declaration or a fault; on
  // read_error, `error` says why.
  Next next(QueryLine& line, std::string& error);
  // The names the lines are read in now.
  const ci::Variables& variables() const { return variables_; }

 private:
  // Gathers the next line's text before any '#' into text_; false at the
  // end of the source or on a read error (failed_).
  bool assemble();

  TextReader reader_;
  LineBuffer piece_;
  std::size_t piece_pos_ = 0;
  std::string name_;
  ci::Variables variables_;
  std::string text_;
  bool too_long_ = false;
  bool failed_ = false;
  int read_errno_ = 0;
  std::uint32_t line_number_ = 0;
};

// Adds a source; its index.
std::uint32_t add_source(const std::string& name, SourceKind kind, QueryInputs& inputs);

// Adds a query read in the names of inputs.variables[read_in]. Without
// declared names it is answered over the digits up to its highest element,
// at least five of them.
void add_query(Query query, std::uint32_t source, std::uint32_t line, std::uint32_t read_in, QueryInputs& inputs);

// The index of these names in inputs.variables, added if they are new.
std::uint32_t add_variables(const ci::Variables& variables, QueryInputs& inputs);

// "NAME:LINE:COLUMN: message" for a faulty line, without the column when
// the fault is the line as a whole.
std::string line_error(const std::string& name, const QueryLine& line);

// A single query given on the command line as the index-th -e (from 1).
void add_command_line_query(std::string_view text, std::uint32_t index, QueryInputs& inputs);

// A file, or standard input for "-".
void add_query_file(const std::string& path, QueryInputs& inputs);

// An imset-check vector file, read by its rules: one query per vector,
// "+" positions held, "-" positions failing, the rest asking nothing.
void add_vector_file(const std::string& path, QueryInputs& inputs);

}  // namespace imset::query
