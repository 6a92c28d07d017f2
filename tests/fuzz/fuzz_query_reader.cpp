// imset-query's reader of query files on arbitrary bytes: no crash, and
// every query it accepts, written canonically, reads back as the same
// query.
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
    fuzz::require(!query.holds.intersects(query.fails) && !(query.holds | query.fails).empty());
    fuzz::require((query.holds | query.fails).is_subset_of(imset::RowSet::all()));
    imset::query::Query again;
    imset::query::QueryError error;
    fuzz::require(imset::query::parse_query_line(imset::query::query_text(query), again, error) ==
                  imset::query::LineKind::query);
    fuzz::require(again == query);
  }
  return 0;
}
