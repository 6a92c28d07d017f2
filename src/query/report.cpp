#include "query/report.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "lp/check.h"
#include "query/maximal.h"
#include "query/statement.h"
#include "tables/imsets.h"
#include "tables/renamings.h"

namespace imset::query {
namespace {

using Statements = std::vector<ci::Statement>;

// Blanks between compact statements; the long form has blanks inside.
void write_statements(Output& out, const Statements& statements, const ci::Variables& variables) {
  const char* separator = "";
  for (const ci::Statement& s : statements) {
    out.write_text(separator);
    out.write_text(ci::statement_text(s, variables));
    separator = variables.single_characters() ? " " : "; ";
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

// The subsets of two or more variables in the order values are shown: by
// size, then lexicographically ({0,1}, {0,2}, ..., {0,1,2}, ...).
std::vector<ci::Mask> shown_subsets(int n) {
  std::vector<ci::Mask> masks;
  for (ci::Mask m = 0; m < (ci::Mask{1} << n); ++m) {
    if (std::popcount(m) >= 2) masks.push_back(m);
  }
  const auto elements = [](ci::Mask m) {
    std::vector<int> list;
    for (; m != 0; m &= m - 1) list.push_back(std::countr_zero(m));
    return list;
  };
  std::sort(masks.begin(), masks.end(), [&](ci::Mask x, ci::Mask y) {
    return std::popcount(x) != std::popcount(y) ? std::popcount(x) < std::popcount(y) : elements(x) < elements(y);
  });
  return masks;
}

// "{0,1}=1 {0,2}=0 ...": the values on the subsets of two or more
// variables; the empty set and the singletons are 0.
void write_values(Output& out, const lp::Values& values, const ci::Variables& variables) {
  const char* separator = "";
  for (const ci::Mask mask : shown_subsets(variables.size())) {
    out.write_text(separator);
    out.write_char('{');
    const char* comma = "";
    for (ci::Mask rest = mask; rest != 0; rest &= rest - 1) {
      out.write_text(comma);
      out.write_text(variables.name(std::countr_zero(rest)));
      comma = ",";
    }
    out.write_text("}=");
    out.write_text(lp::decimal(values[mask]));
    separator = " ";
  }
}

// A list of maximal statements, `none` for an empty one; past
// max_listed_variables they are not looked for.
void write_listed(Output& out, const Statements& statements, const ci::Variables& variables, const char* none) {
  if (variables.size() > max_listed_variables) {
    out.write_text("not listed over more than " + std::to_string(max_listed_variables) + " variables");
  } else if (statements.empty()) {
    out.write_text(none);
  } else {
    write_statements(out, statements, variables);
  }
}

void write_witness(Output& out, const Findings& findings, const ci::Variables& variables, bool with_values) {
  out.write_text("model exists; witness model: ");
  write_listed(out, findings.witness_holds, variables, "no statement holds");
  if (findings.index == nullptr) {
    out.write_text("\n  witness: found by linear programming (");
    out.write_int(findings.lps);
    out.write_text(findings.lps == 1 ? " LP) and checked exactly" : " LPs) and checked exactly");
  } else {
    out.write_text(findings.witness_rays.size() == 1 ? "\n  witness: " : "\n  witness: the sum of ");
    const char* separator = "";
    for (const std::uint32_t r : findings.witness_rays) {
      out.write_text(separator);
      write_ray(out, *findings.index, r);
      separator = " and ";
    }
  }
  if (with_values && findings.model) {
    out.write_text("\n  values: ");
    write_values(out, *findings.model, variables);
  }
}

Statements forced_statements(const Query& query, const Findings& findings) {
  Statements forced;
  for (const std::size_t i : findings.forced) forced.push_back(query.fails[i]);
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

// A number as JSON has it when it fits 64 bits, its decimal text otherwise.
nlohmann::ordered_json json_integer(const lp::Integer& value) {
  if (lp::fits_int64(value)) return lp::to_int64(value);
  return lp::decimal(value);
}

// Certificates name statements by digits up to ten variables, so that
// they read the same whatever the query called them.
ci::Variables certificate_names(const ci::Variables& variables) {
  return variables.size() <= ci::max_digits ? ci::Variables::digits(variables.size()) : variables;
}

nlohmann::ordered_json json_certificate(const lp::Certificate& c, const ci::Variables& names) {
  const auto terms = [&](const std::vector<lp::Term>& list) {
    nlohmann::ordered_json out = nlohmann::ordered_json::array();
    for (const lp::Term& t : list) {
      out.push_back(nlohmann::ordered_json::array({ci::statement_text(t.part, names), json_integer(t.coefficient)}));
    }
    return out;
  };
  return {{"statement", ci::statement_text(c.target, names)},
          {"scale", json_integer(c.k)},
          {"premises", terms(c.y)},
          {"elementary", terms(c.z)}};
}

void write_term(std::string& text, const lp::Integer& coefficient, const ci::Statement& s, const ci::Variables& names,
                bool first) {
  const bool negative = coefficient < 0;
  text += first ? (negative ? "-" : "") : (negative ? " - " : " + ");
  using std::abs;  // GMP's abs is found by its argument
  const lp::Integer magnitude = abs(coefficient);
  if (magnitude != 1) text.append(lp::decimal(magnitude)).append(" ");
  text.append("u(").append(ci::statement_text(s, names)).append(")");
}

}  // namespace

std::string certificate_text(const lp::Certificate& certificate, const ci::Variables& variables) {
  const ci::Variables names = certificate_names(variables);
  std::string text;
  write_term(text, certificate.k, certificate.target, names, true);
  for (const lp::Term& t : certificate.z) write_term(text, t.coefficient, t.part, names, false);
  text += " = ";
  bool first = true;
  for (const lp::Term& t : certificate.y) {
    write_term(text, t.coefficient, t.part, names, first);
    first = false;
  }
  if (first) text += "0";
  return text;
}

void print_text_answer(Output& out, const QueryInputs& inputs, const SourcedQuery& query, const Findings& findings,
                       TextDetails details) {
  const ci::Variables& variables = inputs.variables[query.variables];
  write_source(out, inputs, query);
  out.write_text(": ");
  out.write_text(query_text(query.query, variables));
  out.write_text("\n  structural: ");
  if (!findings.structural) {
    out.write_text("no model; the + statements imply ");
    write_statements(out, forced_statements(query.query, findings), variables);
  } else if (query.query.fails.empty()) {
    out.write_text("model exists (nothing is asked to fail)");
  } else {
    write_witness(out, findings, variables, details.values);
  }
  out.write_text("\n  ray: ");
  if (findings.index == nullptr) {
    out.write_text(variables.size() > ground_size ? "not sought over more than five variables"
                                                  : "not sought by the linear-programming engine");
  } else if (findings.ray == no_ray) {
    out.write_text("none");
  } else {
    write_ray(out, *findings.index, findings.ray);
  }
  if (details.implied) {
    out.write_text("\n  implied: ");
    write_listed(out, findings.implied_beyond, variables, "nothing beyond the given statements");
  }
  if (details.certify) {
    for (const lp::Certificate& c : findings.certificates) {
      out.write_text("\n  certificate: ");
      out.write_text(certificate_text(c, variables));
    }
  }
  out.write_char('\n');
}

void count_answer(Tally& tally, const Findings& findings) {
  ++tally.queries;
  tally.models += findings.structural ? 1 : 0;
  tally.without_ray += findings.index != nullptr && findings.ray == no_ray ? 1 : 0;
  tally.lps += findings.lps;
}

void print_text_tally(Output& out, const Tally& tally) {
  out.write_int(static_cast<std::int64_t>(tally.queries));
  out.write_text(tally.queries == 1 ? " query, " : " queries, ");
  out.write_int(static_cast<std::int64_t>(tally.models));
  out.write_text(tally.models == 1 ? " structural model found, " : " structural models found, ");
  out.write_int(static_cast<std::int64_t>(tally.without_ray));
  out.write_text(tally.without_ray == 1 ? " query with no extreme-ray witness"
                                        : " queries with no extreme-ray witness");
  if (tally.lps > 0) {
    out.write_text(", ");
    out.write_int(tally.lps);
    out.write_text(tally.lps == 1 ? " linear program" : " linear programs");
  }
  out.write_char('\n');
}

nlohmann::ordered_json json_answer(const std::string& source, std::uint32_t line, const Query& query,
                                   const ci::Variables& variables, const Findings& findings, bool certify) {
  nlohmann::ordered_json witness = nlohmann::ordered_json::array();
  for (const std::uint32_t r : findings.witness_rays) witness.push_back(json_ray(*findings.index, r));
  nlohmann::ordered_json object = {
      {"source", source},
      {"line", line},
      {"query", query_text(query, variables)},
      {"variables", variables.names()},
      {"holds", json_statements(query.holds, variables)},
      {"fails", json_statements(query.fails, variables)},
      {"structural", findings.structural},
      {"forced", json_statements(forced_statements(query, findings), variables)},
      {"implied", json_statements(findings.implied, variables)},
      {"witness", witness},
      {"ray", findings.index == nullptr || findings.ray == no_ray ? nlohmann::ordered_json(nullptr)
                                                                  : json_ray(*findings.index, findings.ray)},
  };
  if (findings.model) {
    nlohmann::ordered_json values = nlohmann::ordered_json::array();
    for (const lp::Integer& v : *findings.model) values.push_back(json_integer(v));
    object["model"] = {{"values", std::move(values)}};
  }
  if (certify) {
    const ci::Variables names = certificate_names(variables);
    nlohmann::ordered_json certificates = nlohmann::ordered_json::array();
    for (const lp::Certificate& c : findings.certificates) certificates.push_back(json_certificate(c, names));
    object["certificates"] = std::move(certificates);
  }
  return object;
}

void print_json_answer(Output& out, const QueryInputs& inputs, const SourcedQuery& query, const Findings& findings,
                       bool certify) {
  const nlohmann::ordered_json object = json_answer(inputs.sources[query.source].name, query.line, query.query,
                                                    inputs.variables[query.variables], findings, certify);
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
