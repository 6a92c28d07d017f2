// imset-query's reader of query files on arbitrary bytes: no crash, and
// every query it accepts, written canonically in the names it was asked
// in, reads back as the same query.
#include <algorithm>
#include <string>

#include "fuzz_support.h"
#include "query/inputs.h"
#include "query/query.h"

namespace {
std::string path;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  path = fuzz::scratch_path("queries");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::write_file(path, data, size);
  imset::query::QueryInputs inputs;
  imset::query::add_query_file(path, inputs);
  fuzz::require(inputs.errors.size() <= imset::query::errors_per_source + 1);
  for (const imset::query::SourcedQuery& sourced : inputs.queries) {
    const imset::query::Query& query = sourced.query;
    fuzz::require(!query.holds.empty() || !query.fails.empty());
    fuzz::require(std::ranges::none_of(query.holds, [&](const imset::ci::Statement& s) {
      return std::ranges::find(query.fails, s) != query.fails.end();
    }));
    imset::ci::Variables variables = inputs.variables[sourced.variables];
    for (const auto* list : {&query.holds, &query.fails}) {
      for (const imset::ci::Statement& s : *list) {
        fuzz::require(s.a != 0 && s.b != 0 && (s.a & s.b) == 0 && (s.c & (s.a | s.b)) == 0);
        fuzz::require((s.elements() & ~variables.all()) == 0);
      }
    }
    imset::query::Query again;
    imset::query::QueryError error;
    fuzz::require(imset::query::parse_query_line(imset::query::query_text(query, variables), variables, again, error) ==
                  imset::query::LineKind::query);
    fuzz::require(again == query);
  }
  return 0;
}
