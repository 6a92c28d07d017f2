// imset-query: conditional-independence questions by statement name,
// answered from the extreme rays of the cone of supermodular functions.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "input/vector_file.h"
#include "query/answer.h"
#include "query/data_path.h"
#include "query/inputs.h"
#include "query/ray_index.h"
#include "query/report.h"
#include "query/statement.h"
#include "text/output.h"

#ifndef IMSET_VERSION
#error "IMSET_VERSION must be defined by the build"
#endif

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
  std::string variables;
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
  app.set_version_flag("--version", std::string("imset-query ") + IMSET_VERSION);
  app.footer(
      "A query is one line of statements, each signed: +A,B|C asks that the sets A and B\n"
      "are independent given C, -A,B|C that they are not; each set's elements run\n"
      "together (+0,12|34), A,B or A,B| for empty C. Elements 0 to 4, or the names a\n"
      "line 'variables: smoke tar cancer' declares, in the long form\n"
      "+smoke _||_ tar, cancer | genes. # starts a comment.\n"
      "Without files, -e or --from-vectors, the queries come from standard input.\n"
      "Exit status: 0 answered, 1 output failed, 2 bad options, queries or rays.");
}

imset::query::QueryInputs collect_queries(const Options& options) {
  imset::query::QueryInputs inputs;
  if (!options.variables.empty()) {
    imset::query::StatementError error;
    if (!imset::query::parse_variables(options.variables, inputs.variables.front(), error)) {
      inputs.errors.push_back("--variables: " + error.message);
      return inputs;
    }
  }
  for (std::size_t i = 0; i < options.expressions.size(); ++i) {
    imset::query::add_command_line_query(options.expressions[i], static_cast<std::uint32_t>(i + 1), inputs);
  }
  for (const std::string& file : options.files) imset::query::add_query_file(file, inputs);
  if (!options.vector_file.empty()) imset::query::add_vector_file(options.vector_file, inputs);
  if (options.expressions.empty() && options.files.empty() && options.vector_file.empty()) {
    imset::query::add_query_file("-", inputs);
  }
  return inputs;
}

int run(int argc, char** argv) {
  CLI::App app{
      "Answers conditional-independence questions over {0,1,2,3,4}: does a structural\n"
      "model exist in which the + statements hold and the - statements fail, which\n"
      "statements do the + statements imply, and which extreme ray realises the query.",
      "imset-query"};
  Options options;
  define_options(app, options);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    say(e.what());
    (void)std::fputs("Try 'imset-query --help' for more information.\n", stderr);
    return exit_bad_input;
  }

  imset::query::QueryInputs inputs = collect_queries(options);
  for (const std::string& warning : inputs.warnings) say("warning: " + warning);
  if (!inputs.errors.empty()) {
    for (const std::string& error : inputs.errors) say(error);
    say("no query answered");
    return exit_bad_input;
  }
  if (inputs.queries.empty()) {
    say("no queries to answer: every line was blank or a comment");
    return exit_bad_input;
  }

  imset::Output out(STDOUT_FILENO, "imset-query");
  if (options.to_vectors) {
    if (inputs.queries.size() > imset::max_vectors) {
      say(std::to_string(inputs.queries.size()) + " queries, but imset-check reads at most " +
          std::to_string(imset::max_vectors) + " vectors; split them");
      return exit_bad_input;
    }
    for (const imset::query::SourcedQuery& query : inputs.queries) {
      const std::string fault = imset::query::vector_fault(query.query, inputs.variables[query.variables]);
      if (!fault.empty()) {
        say(inputs.sources[query.source] + ":" + std::to_string(query.line) + ": " + fault);
        return exit_bad_input;
      }
    }
    imset::query::print_vectors(out, inputs);
    out.flush();
    return 0;
  }

  const std::string rays_path = options.rays_file.empty() ? imset::query::default_rays_path() : options.rays_file;
  if (rays_path.empty()) {
    say(std::string("cannot find the shipped ") + imset::query::types_file_name + "; name a file with --rays");
    return exit_bad_input;
  }
  const auto index = std::make_unique<imset::query::RayIndex>();
  std::string error;
  if (!imset::query::load_rays(rays_path, *index, error)) {
    say(error);
    return exit_bad_input;
  }
  say("loaded " + std::to_string(index->record_count()) + " records, " + std::to_string(index->size()) +
      " distinct functions after renaming, from " + rays_path);

  imset::query::Answerer answerer(*index);
  imset::query::Answer answer;
  imset::query::Tally tally;
  for (const imset::query::SourcedQuery& query : inputs.queries) {
    const imset::query::QueryRows rows = imset::query::query_rows(query.query);
    answerer.answer(rows, options.json || options.implied, answer);
    const bool ray_checks = answer.ray == imset::query::no_ray || imset::query::realises(*index, {answer.ray}, rows);
    if (!ray_checks || (answer.structural && !imset::query::realises(*index, answer.witness, rows))) {
      out.flush();
      say("internal error: an answer for " + inputs.sources[query.source] + " line " + std::to_string(query.line) +
          " does not realise its query; please report it");
      return exit_failure;
    }
    ++tally.queries;
    tally.models += answer.structural ? 1 : 0;
    tally.without_ray += answer.ray == imset::query::no_ray ? 1 : 0;
    if (options.json) {
      imset::query::print_json_answer(out, inputs, query, *index, answer);
    } else {
      imset::query::print_text_answer(out, inputs, query, *index, answer, {options.implied, options.values});
    }
  }
  if (!options.json) imset::query::print_text_tally(out, tally);
  out.flush();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that goes away must give a write error, not death by signal.
  (void)std::signal(SIGPIPE, SIG_IGN);
  try {
    return run(argc, argv);
  } catch (const std::exception& error) {  // out of memory, or a fault of ours
    say(std::string("internal error: ") + error.what());
    return exit_failure;
  }
}
