#include "query/report.h"

#include <array>
#include <nlohmann/json.hpp>
#include <string>

#include "query/maximal.h"
#include "query/statement.h"
#include "tables/imsets.h"
#include "tables/renamings.h"

namespace imset::query {
namespace {

using Statements = std::vector<ci::Statement>;

void write_statements(Output& out, const Statements& statements, const ci::Variables& variables) {
  const char* separator = "";
  for (const ci::Statement& s : statements) {
    out.write_text(separator);
    out.write_text(ci::statement_text(s, variables));
    separator = " ";
  }
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
  const Renaming& p = renamings[ray.renaming];
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

RowSet zero_rows(const std::array<std::int64_t, subset_count>& values) {
  const auto products = exact_imset_values(values);
  RowSet zeros;
  for (int p = 0; p < elementary_count; ++p) {
    if (products[static_cast<std::size_t>(p)] == 0) zeros.insert(p);
  }
  return zeros;
}

// "{0,1}=1 {0,2}=0 ...": the values on the subsets of two or more
// variables; the empty set and the singletons are 0.
void write_values(Output& out, const std::array<std::int64_t, subset_count>& values, const ci::Variables& variables) {
  const char* separator = "";
  for (std::size_t k = 0; k < subset_count; ++k) {
    const unsigned mask = subset_masks[k];
    if ((mask & ~variables.all()) != 0) continue;
    out.write_text(separator);
    out.write_char('{');
    const char* comma = "";
    for (unsigned rest = mask; rest != 0; rest &= rest - 1) {
      out.write_text(comma);
      out.write_text(variables.name(std::countr_zero(rest)));
      comma = ",";
    }
    out.write_text("}=");
    out.write_int(values[k]);
    separator = " ";
  }
}

void write_witness(Output& out, const RayIndex& index, const Answer& answer, const ci::Variables& variables,
                   bool with_values) {
  const auto values = sum_of(index, answer.witness);
  out.write_text("model exists; witness model: ");
  const Statements holding = maximal_statements(zero_rows(values), variables.all());
  if (holding.empty()) {
    out.write_text("no statement holds");
  } else {
    write_statements(out, holding, variables);
  }
  out.write_text(answer.witness.size() == 1 ? "\n  witness: " : "\n  witness: the sum of ");
  const char* separator = "";
  for (const std::uint32_t r : answer.witness) {
    out.write_text(separator);
    write_ray(out, index, r);
    separator = " and ";
  }
  if (with_values) {
    out.write_text("\n  values: ");
    write_values(out, values, variables);
  }
}

Statements forced_statements(const Query& query, const Answer& answer) {
  Statements forced;
  for (const std::size_t i : answer.forced) forced.push_back(query.fails[i]);
  return forced;
}

nlohmann::ordered_json json_statements(const Statements& statements, const ci::Variables& variables) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const ci::Statement& s : statements) list.push_back(ci::statement_text(s, variables));
  return list;
}

nlohmann::ordered_json json_ray(const RayIndex& index, std::uint32_t r) {
  const Renaming& p = renamings[index.ray(r).renaming];
  const SetFunction values = index.values(r);
  return {{"record", index.record_number(r)},
          {"renaming", std::vector<int>(p.begin(), p.end())},
          {"values", std::vector<std::int32_t>(values.begin(), values.end())}};
}

}  // namespace

void print_text_answer(Output& out, const QueryInputs& inputs, const SourcedQuery& query, const RayIndex& index,
                       const Answer& answer, TextDetails details) {
  const ci::Variables& variables = inputs.variables[query.variables];
  write_source(out, inputs, query);
  out.write_text(": ");
  out.write_text(query_text(query.query, variables));
  out.write_text("\n  structural: ");
  if (!answer.structural) {
    out.write_text("no model; the + statements imply ");
    write_statements(out, forced_statements(query.query, answer), variables);
  } else if (answer.witness.empty()) {
    out.write_text("model exists (nothing is asked to fail)");
  } else {
    write_witness(out, index, answer, variables, details.values);
  }
  out.write_text("\n  ray: ");
  if (answer.ray == no_ray) {
    out.write_text("none");
  } else {
    write_ray(out, index, answer.ray);
  }
  if (details.implied) {
    out.write_text("\n  implied: ");
    const Statements beyond = implied_beyond_given(query_rows(query.query), answer, variables);
    if (beyond.empty()) {
      out.write_text("nothing beyond the given statements");
    } else {
      write_statements(out, beyond, variables);
    }
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

nlohmann::ordered_json json_answer(const std::string& source, std::uint32_t line, const Query& query,
                                   const ci::Variables& variables, const RayIndex& index, const Answer& answer) {
  nlohmann::ordered_json witness = nlohmann::ordered_json::array();
  for (const std::uint32_t r : answer.witness) witness.push_back(json_ray(index, r));
  return {
      {"source", source},
      {"line", line},
      {"query", query_text(query, variables)},
      {"variables", variables.names()},
      {"holds", json_statements(query.holds, variables)},
      {"fails", json_statements(query.fails, variables)},
      {"structural", answer.structural},
      {"forced", json_statements(forced_statements(query, answer), variables)},
      {"implied", row_names(answer.implied, variables)},
      {"witness", witness},
      {"ray", answer.ray == no_ray ? nlohmann::ordered_json(nullptr) : json_ray(index, answer.ray)},
  };
}

std::vector<ci::Statement> implied_beyond_given(const QueryRows& rows, const Answer& answer,
                                                const ci::Variables& variables) {
  Statements beyond;
  for (const ci::Statement& s : maximal_statements(answer.implied, variables.all())) {
    if (!part_rows(s).is_subset_of(rows.held)) beyond.push_back(s);
  }
  return beyond;
}

std::vector<std::string> row_names(const RowSet& rows, const ci::Variables& variables) {
  std::vector<std::string> names;
  (rows & rows_within(variables.all())).for_each([&](int p) {
    names.push_back(ci::statement_text(row_statement(p), variables));
  });
  return names;
}

void print_json_answer(Output& out, const QueryInputs& inputs, const SourcedQuery& query, const RayIndex& index,
                       const Answer& answer) {
  const nlohmann::ordered_json object = json_answer(inputs.sources[query.source].name, query.line, query.query,
                                                    inputs.variables[query.variables], index, answer);
  // Replace, not throw, should a source name not be UTF-8.
  out.write_text(object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
  out.write_char('\n');
}

std::string vector_fault(const Query& query, const ci::Variables& variables) {
  const QueryRows rows = query_rows(query);
  for (std::size_t i = 0; i < query.fails.size(); ++i) {
    const std::string name = std::string(1, '-').append(ci::statement_text(query.fails[i], variables));
    if (!query.fails[i].elementary()) {
      return name + " fails when any one of its parts does, which a vector cannot ask";
    }
    if (rows.failing[i].is_subset_of(rows.held)) return name + " is a part of a + statement";
  }
  return "";
}

void print_vectors(Output& out, const QueryInputs& inputs) {
  for (const SourcedQuery& q : inputs.queries) {
    const QueryRows rows = query_rows(q.query);
    RowSet failing;
    for (const RowSet& group : rows.failing) failing = failing | group;
    for (int p = 0; p < elementary_count; ++p) {
      if (p > 0) out.write_char(' ');
      out.write_char(rows.held.contains(p) ? '+' : failing.contains(p) ? '-' : 'x');
    }
    out.write_char('\n');
  }
  out.write_text("END\n");
}

}  // namespace imset::query
