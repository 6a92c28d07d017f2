#include "query/run.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "input/vector_file.h"
#include "query/answer.h"
#include "query/data_path.h"
#include "query/inputs.h"
#include "query/ray_index.h"
#include "query/report.h"
#include "query/respond.h"
#include "query/statement.h"

#ifndef IMSET_VERSION
#error "IMSET_VERSION must be defined by the build"
#endif

namespace imset::query {
namespace {

constexpr int exit_failure = 1;
constexpr int exit_bad_input = 2;

void say(const std::string& message) { (void)std::fprintf(stderr, "imset-query: %s\n", message.c_str()); }

struct Options {
  std::vector<std::string> files;
  std::vector<std::string> expressions;
  std::string vector_file;
  std::string rays_file;
  bool to_vectors = false;
  bool json = false;
  bool implied = false;
  bool values = false;
  bool quiet = false;
  bool certify = false;
  std::string variables;
  std::string engine = "auto";
  double time_limit = 0;  // seconds; 0 for none
};

void define_options(CLI::App& app, Options& options) {
  app.add_option("files", options.files, "Query files, one query per line; - for standard input")->type_name("FILE");
  app.add_option("-e,--query", options.expressions,
                 "A query on the command line, such as '+0,1|2 -0,1'; may be given again")
      ->type_name("QUERY")
      ->allow_extra_args(false);
  app.add_option("--from-vectors", options.vector_file,
                 "Read the queries from an imset-check vector file, one per vector")
      ->type_name("FILE");
  app.add_flag("--to-vectors", options.to_vectors,
               "Write the queries as an imset-check vector file instead of answering them");
  app.add_option("--rays", options.rays_file, "Answer from this extreme-point file instead of the shipped ray types")
      ->type_name("FILE");
  app.add_flag("--json", options.json, "One JSON object per query per line");
  app.add_flag("--implied", options.implied, "Also list the statements the + statements imply beyond themselves");
  app.add_flag("--values", options.values, "Also print the witness's values on the subsets");
  app.add_option("--variables", options.variables,
                 "Name the variables, in order, for every source: --variables 'smoke tar cancer'")
      ->type_name("NAMES");
  app.add_flag("-q,--quiet", options.quiet, "Do not say on standard error how many records were loaded");
  app.add_flag("--certify", options.certify,
               "Also print a certificate for every forced statement (and, with --implied, every implied one)");
  app.add_option("--engine", options.engine,
                 "rays: the shipped extreme rays (up to five variables); lp: linear programming; auto: rays up to "
                 "five variables, lp past them")
      ->check(CLI::IsMember({"auto", "rays", "lp"}))
      ->type_name("ENGINE");
  app.add_option("--time-limit", options.time_limit, "Give up a query after this many seconds (status 2)")
      ->check(CLI::PositiveNumber)
      ->type_name("SECONDS");
  app.set_version_flag("--version", std::string("imset-query ") + IMSET_VERSION);
  app.footer(
      "A query is one line of statements, each signed: +A,B|C asks that the sets A and B\n"
      "are independent given C, -A,B|C that they are not; each set's elements run\n"
      "together (+0,12|34), A,B or A,B| for empty C. Elements 0 to 9 (at least five\n"
      "variables), or the names a line 'variables: smoke tar cancer' declares (up to\n"
      "12), in the long form +smoke _||_ tar, cancer | genes. # starts a comment.\n"
      "Without files, -e or --from-vectors, the queries come from standard input.\n"
      "Exit status: 0 answered, 1 output failed, 2 bad options, queries or rays.");
}

// The help or the version, written through `out` so that a failed write
// is said and ends with status 1.
int print_and_exit(const CLI::App& app, const CLI::Error& e, Output& out) {
  std::ostringstream text;
  const int status = app.exit(e, text, text);
  out.write_text(text.str());
  out.flush();
  return status;
}

// The command line; a status to end with at once (after --help, --version
// or a bad option), or -1 to go on.
int parse_options(int argc, char** argv, Options& options, Output& out) {
  CLI::App app{
      "Answers conditional-independence questions over {0,1,2,3,4}: does a structural\n"
      "model exist in which the + statements hold and the - statements fail, which\n"
      "statements do the + statements imply, and which extreme ray realises the query.",
      "imset-query"};
  define_options(app, options);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return print_and_exit(app, e, out);
  } catch (const CLI::CallForVersion& e) {
    return print_and_exit(app, e, out);
  } catch (const CLI::ParseError& e) {
    say(e.what());
    (void)std::fputs("Try 'imset-query --help' for more information.\n", stderr);
    return exit_bad_input;
  }
  return -1;
}

bool reads_standard_input(const Options& options) {
  return (options.expressions.empty() && options.files.empty() && options.vector_file.empty()) ||
         std::find(options.files.begin(), options.files.end(), "-") != options.files.end();
}

// Queries typed at a terminal are answered line by line, after those of
// the other sources; standard input is then left out of the collecting.
bool session_at_terminal(const Options& options) {
  return !options.to_vectors && reads_standard_input(options) && ::isatty(STDIN_FILENO) == 1;
}

void collect_queries(const Options& options, QueryInputs& inputs) {
  const bool skip_standard_input = session_at_terminal(options);
  if (!options.variables.empty()) {
    StatementError error;
    if (!parse_variables(options.variables, inputs.variables.front(), error)) {
      inputs.errors.push_back("--variables: " + error.message);
      return;
    }
  }
  for (std::size_t i = 0; i < options.expressions.size(); ++i) {
    add_command_line_query(options.expressions[i], static_cast<std::uint32_t>(i + 1), inputs);
  }
  for (const std::string& file : options.files) {
    if (file != "-" || !skip_standard_input) add_query_file(file, inputs);
  }
  if (!options.vector_file.empty()) add_vector_file(options.vector_file, inputs);
  if (options.expressions.empty() && options.files.empty() && options.vector_file.empty() && !skip_standard_input) {
    add_query_file("-", inputs);
  }
}

// Says every warning and fault of the sources; false when there is a fault
// or nothing to answer (a terminal session may still bring queries).
bool check_queries(const QueryInputs& inputs, bool session) {
  for (const std::string& warning : inputs.warnings) say("warning: " + warning);
  if (!inputs.errors.empty()) {
    for (const std::string& error : inputs.errors) say(error);
    say("no query answered");
    return false;
  }
  if (inputs.queries.empty() && !session) {
    say(no_queries);
    return false;
  }
  return true;
}

// Every source read and checked before any answer; false after saying why
// nothing can be answered.
bool read_queries(const Options& options, QueryInputs& inputs) {
  try {
    collect_queries(options, inputs);
  } catch (const std::bad_alloc&) {
    const std::size_t count = inputs.queries.size();
    inputs = {};
    say("out of memory after reading " + std::to_string(count) +
        " queries: too many to hold at once; ask them in smaller parts");
    return false;
  }
  return check_queries(inputs, session_at_terminal(options));
}

int write_vectors(Output& out, const QueryInputs& inputs) {
  if (inputs.queries.size() > max_vectors) {
    say(std::to_string(inputs.queries.size()) + " queries, but imset-check reads at most " +
        std::to_string(max_vectors) + " vectors; split them");
    return exit_bad_input;
  }
  for (const SourcedQuery& query : inputs.queries) {
    const std::string fault = vector_fault(query.query, inputs.variables[query.variables]);
    if (!fault.empty()) {
      say(inputs.sources[query.source].name + ":" + std::to_string(query.line) + ": " + fault);
      return exit_bad_input;
    }
  }
  print_vectors(out, inputs);
  out.flush();
  return 0;
}

// The rays to answer from; nullptr after saying why there are none.
std::unique_ptr<RayIndex> load_ray_index(const Options& options) {
  const std::string path = options.rays_file.empty() ? default_rays_path() : options.rays_file;
  if (path.empty()) {
    say(std::string("cannot find the shipped ") + types_file_name + "; name a file with --rays");
    return nullptr;
  }
  auto index = std::make_unique<RayIndex>();
  std::string error;
  if (!load_rays(path, *index, error)) {
    say(error);
    return nullptr;
  }
  if (!options.quiet) {
    say("loaded " + std::to_string(index->record_count()) + " records, " + std::to_string(index->size()) +
        " distinct functions after renaming, from " + path);
  }
  return index;
}

AnswerSettings answer_settings(const Options& options) {
  AnswerSettings settings;
  settings.engine = options.engine == "rays" ? EngineChoice::rays
                    : options.engine == "lp" ? EngineChoice::lp
                                             : EngineChoice::automatic;
  settings.closure = options.json || options.implied;
  settings.implied_beyond = !options.json && options.implied;
  settings.witness_holds = !options.json;
  settings.model = options.json || options.values;
  settings.certify = options.certify;
  settings.time_limit = options.time_limit;
  return settings;
}

// Answers queries one at a time, prints them and counts them; the rays are
// loaded when a query first needs them.
class Printer {
 public:
  Printer(const Options& options, Output& out)
      : options_(options),
        responder_(answer_settings(options),
                   [this](std::string& error) -> const RayIndex* {
                     // Loading says why it fails, so nothing is added.
                     error.clear();
                     if (!index_) index_ = load_ray_index(options_);
                     return index_.get();
                   }),
        out_(out) {}

  // Answers and prints one query; 0, or the status to end with after
  // saying why.
  int respond(const QueryInputs& inputs, const SourcedQuery& query) {
    const ci::Variables& variables = inputs.variables[query.variables];
    Findings findings;
    Refusal refusal;
    if (!responder_.answer(query.query, variables, findings, refusal)) {
      out_.flush();
      if (refusal.message.empty()) return refusal.status;  // said already
      say(refusal_text(refusal, inputs.sources[query.source].name, query.line));
      return refusal.status;
    }
    count_answer(tally_, findings);
    if (options_.json) {
      print_json_answer(out_, inputs, query, findings, options_.certify);
    } else {
      print_text_answer(out_, inputs, query, findings, {options_.implied, options_.values, options_.certify});
    }
    return 0;
  }

  std::size_t answered() const { return tally_.queries; }

  void finish() {
    if (!options_.json) print_text_tally(out_, tally_);
    out_.flush();
  }

 private:
  const Options& options_;
  std::unique_ptr<RayIndex> index_;
  Responder responder_;
  Tally tally_;
  Output& out_;
};

// Answers each line as it is typed; a faulty line is said and the session
// goes on. The status: 0, or 2 after a faulty line, a read error or no
// query at all.
int answer_at_terminal(QueryInputs& inputs, Printer& responder, Output& out) {
  QueryLineReader reader;
  std::string error;
  (void)reader.open("-", inputs.variables.front(), error);  // standard input is open: it is a terminal
  const std::uint32_t source = add_source(reader.name(), SourceKind::standard_input, inputs);
  say("reading queries from the terminal; end with Ctrl-D");
  std::uint32_t variables = 0;
  int status = 0;
  QueryLine line;
  for (;;) {
    const QueryLineReader::Next next = reader.next(line, error);
    if (next == QueryLineReader::Next::end) break;
    if (next == QueryLineReader::Next::read_error) {
      say(error);
      return exit_bad_input;
    }
    if (line.kind == LineKind::error) {
      say(line_error(reader.name(), line));
      status = exit_bad_input;
      continue;
    }
    if (line.kind == LineKind::declaration) {
      variables = add_variables(reader.variables(), inputs);
      continue;
    }
    add_query(std::move(line.query), source, line.number, variables, inputs);
    if (const int failed = responder.respond(inputs, inputs.queries.back()); failed != 0) return failed;
    out.flush();
  }
  if (responder.answered() == 0 && status == 0) {
    say(no_queries);
    return exit_bad_input;
  }
  return status;
}

}  // namespace

int run(int argc, char** argv, Output& out) {
  Options options;
  if (const int status = parse_options(argc, argv, options, out); status >= 0) return status;

  QueryInputs inputs;
  if (!read_queries(options, inputs)) return exit_bad_input;
  if (options.to_vectors) return write_vectors(out, inputs);

  Printer responder(options, out);
  for (const SourcedQuery& query : inputs.queries) {
    if (const int failed = responder.respond(inputs, query); failed != 0) return failed;
  }
  int status = 0;
  if (session_at_terminal(options)) {
    out.flush();
    status = answer_at_terminal(inputs, responder, out);
    if (status == exit_failure) return status;
  }
  responder.finish();
  return status;
}

}  // namespace imset::query
