#include "query/report.h"

#include <array>
#include <nlohmann/json.hpp>
#include <string>

#include "query/statement.h"
#include "tables/renamings.h"

namespace imset::query {
namespace {

const std::array<std::string, elementary_count>& names() {
  static const std::array<std::string, elementary_count> all = [] {
    std::array<std::string, elementary_count> n;
    for (int p = 0; p < elementary_count; ++p) n[static_cast<std::size_t>(p)] = statement_name(p);
    return n;
  }();
  return all;
}

void write_rows(Output& out, const RowSet& rows) {
  const char* separator = "";
  rows.for_each([&](int p) {
    out.write_text(separator);
    out.write_text(names()[static_cast<std::size_t>(p)]);
    separator = " ";
  });
}

// "record 198 renamed 0->1 1->0", or "record 6 as read" for the identity.
void write_ray(Output& out, const RayIndex& index, std::uint32_t r) {
  const Ray& ray = index.ray(r);
  out.write_text("record ");
  out.write_int(index.record_number(r));
  if (ray.renaming == 0) {
    out.write_text(" as read");
    return;
  }
  out.write_text(" renamed");
  const Permutation& p = permutations[ray.renaming];
  for (std::size_t c = 0; c < ground_size; ++c) {
    if (p[c] == c) continue;
    out.write_char(' ');
    out.write_char(static_cast<char>('0' + c));
    out.write_text("->");
    out.write_char(static_cast<char>('0' + p[c]));
  }
}

void write_source(Output& out, const QueryInputs& inputs, const SourcedQuery& query) {
  const Source& source = inputs.sources[query.source];
  out.write_text(source.name);
  if (source.kind != SourceKind::command_line) {
    out.write_char(':');
    out.write_int(query.line);
  }
}

nlohmann::ordered_json json_rows(const RowSet& rows) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  rows.for_each([&](int p) { list.push_back(names()[static_cast<std::size_t>(p)]); });
  return list;
}

nlohmann::ordered_json json_ray(const RayIndex& index, std::uint32_t r) {
  const Permutation& p = permutations[index.ray(r).renaming];
  const SetFunction values = index.values(r);
  return {{"record", index.record_number(r)},
          {"renaming", std::vector<int>(p.begin(), p.end())},
          {"values", std::vector<std::int32_t>(values.begin(), values.end())}};
}

}  // namespace

void print_text_answer(Output& out, const QueryInputs& inputs, const SourcedQuery& query, const RayIndex& index,
                       const Answer& answer, bool with_implied) {
  write_source(out, inputs, query);
  out.write_text(": ");
  out.write_text(query_text(query.query));
  out.write_text("\n  structural: ");
  if (!answer.structural) {
    out.write_text("no model; the + statements imply ");
    write_rows(out, answer.forced);
  } else if (answer.witness.empty()) {
    out.write_text("model exists (nothing is asked to fail)");
  } else {
    out.write_text(answer.witness.size() == 1 ? "model exists; witness: " : "model exists; witness: the sum of ");
    const char* separator = "";
    for (const std::uint32_t r : answer.witness) {
      out.write_text(separator);
      write_ray(out, index, r);
      separator = " and ";
    }
  }
  out.write_text("\n  ray: ");
  if (answer.ray == no_ray) {
    out.write_text("none");
  } else {
    write_ray(out, index, answer.ray);
  }
  if (with_implied) {
    out.write_text("\n  implied: ");
    write_rows(out, answer.implied);
  }
  out.write_char('\n');
}

void print_text_tally(Output& out, const Tally& tally) {
  out.write_int(static_cast<std::int64_t>(tally.queries));
  out.write_text(tally.queries == 1 ? " query, " : " queries, ");
  out.write_int(static_cast<std::int64_t>(tally.models));
  out.write_text(tally.models == 1 ? " structural model found, " : " structural models found, ");
  out.write_int(static_cast<std::int64_t>(tally.without_ray));
  out.write_text(tally.without_ray == 1 ? " query with no extreme-ray witness\n"
                                        : " queries with no extreme-ray witness\n");
}

void print_json_answer(Output& out, const QueryInputs& inputs, const SourcedQuery& query, const RayIndex& index,
                       const Answer& answer) {
  nlohmann::ordered_json witness = nlohmann::ordered_json::array();
  for (const std::uint32_t r : answer.witness) witness.push_back(json_ray(index, r));
  const nlohmann::ordered_json object = {
      {"source", inputs.sources[query.source].name},
      {"line", query.line},
      {"query", query_text(query.query)},
      {"holds", json_rows(query.query.holds)},
      {"fails", json_rows(query.query.fails)},
      {"structural", answer.structural},
      {"forced", json_rows(answer.forced)},
      {"implied", json_rows(answer.implied)},
      {"witness", witness},
      {"ray", answer.ray == no_ray ? nlohmann::ordered_json(nullptr) : json_ray(index, answer.ray)},
  };
  // Replace, not throw, should a source name not be UTF-8.
  out.write_text(object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
  out.write_char('\n');
}

void print_vectors(Output& out, const QueryInputs& inputs) {
  for (const SourcedQuery& q : inputs.queries) {
    for (int p = 0; p < elementary_count; ++p) {
      if (p > 0) out.write_char(' ');
      out.write_char(q.query.holds.contains(p) ? '+' : q.query.fails.contains(p) ? '-' : 'x');
    }
    out.write_char('\n');
  }
  out.write_text("END\n");
}

}  // namespace imset::query
