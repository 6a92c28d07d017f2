// Statement names, query lines and query sources.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>

#include "ci/statement.h"
#include "input/vector_file.h"
#include "query/inputs.h"
#include "query/query.h"
#include "query/ray_index.h"
#include "query/statement.h"
#include "support/random_statements.h"
#include "tables/imsets.h"
#include "tables/subsets.h"

namespace {

using namespace imset::query;
using imset::ci::Statement;
using imset::ci::Variables;
using imset::testing::random_statement;

int row_of(const std::string& text) {
  StatementError error;
  Statement s;
  if (!parse_statement(text, Variables(), s, error) || !s.elementary()) return -1;
  return part_rows(s).first();
}

TEST(Statement, EveryRowReadsBackFromItsNameInAnyOrder) {
  for (int p = 0; p < imset::elementary_count; ++p) {
    const std::string name = row_name(p);
    EXPECT_EQ(row_of(name), p) << name;
    // The pair and K written backwards name the same statement.
    std::string swapped = name.substr(2, 1) + "," + name.substr(0, 1);
    // Appended piece by piece: GCC 12 at -O3 warns falsely about
    // "|" + std::string (-Wrestrict, GCC bug 105329).
    if (name.size() > 3) swapped.append("|").append(name.rbegin(), name.rend() - 4);
    EXPECT_EQ(row_of(swapped), p) << swapped;
  }
  EXPECT_EQ(row_name(0), "3,4|012");
  EXPECT_EQ(row_name(79), "0,1");
  EXPECT_EQ(row_of("0,1|"), 79);
  EXPECT_EQ(row_of("1,0|32"), row_of("0,1|23"));
}

// The index of a mask's value in a set function, -1 for sets without a
// coordinate (their value is 0).
std::int64_t value_at(const imset::SetFunction& m, unsigned mask) {
  const int k = imset::subset_index_of_mask(mask);
  return k < 0 ? 0 : m[static_cast<std::size_t>(k)];
}

TEST(Statement, ASetStatementHoldsExactlyWhenItsSemiElementaryImsetIsZero) {
  // On every ray, m(ABC) + m(C) - m(AC) - m(BC) is zero exactly when every
  // part's row is: the parts are the right ones, and none is missing.
  RayIndex index;
  std::string error;
  ASSERT_TRUE(load_rays(IMSET_DATA_DIR "/extreme-rays-types.txt", index, error)) << error;
  std::mt19937 random(7);
  for (int i = 0; i < 2000; ++i) {
    const Statement s = random_statement(random);
    const std::size_t r = random() % index.size();
    const imset::SetFunction m = index.values(r);
    const std::int64_t product =
        value_at(m, s.elements()) + value_at(m, s.c) - value_at(m, s.a | s.c) - value_at(m, s.b | s.c);
    ASSERT_GE(product, 0);
    EXPECT_EQ(product == 0, part_rows(s).is_subset_of(index.ray(r).zeros)) << imset::ci::statement_text(s, Variables());
  }
}

TEST(Statement, CompactAndLongFormsReadBack) {
  std::mt19937 random(11);
  const Variables names({"smoke", "tar", "cancer", "genes", "age"});
  const Variables letters({"A", "B", "C", "D", "E"});
  for (int i = 0; i < 500; ++i) {
    const Statement s = random_statement(random);
    for (const Variables* v : {&names, &letters}) {
      const std::string text = imset::ci::statement_text(s, *v);
      Statement again;
      StatementError error;
      ASSERT_TRUE(parse_statement(text, *v, again, error)) << text << ": " << error.message;
      EXPECT_EQ(again, s) << text;
    }
  }
  Statement s;
  StatementError error;
  ASSERT_TRUE(parse_statement("smoke ⊥ {tar,cancer} | genes", names, s, error)) << error.message;
  EXPECT_EQ(imset::ci::statement_text(s, names), "smoke _||_ tar, cancer | genes");
  ASSERT_TRUE(parse_statement("0 _||_ 2,1", Variables(), s, error)) << error.message;
  EXPECT_EQ(imset::ci::statement_text(s, Variables()), "0,12");
}

TEST(Statement, FaultsAreNamedWithTheirPlace) {
  const auto fault = [](const std::string& text, const Variables& variables = Variables()) {
    StatementError error;
    Statement s;
    EXPECT_FALSE(parse_statement(text, variables, s, error)) << text;
    return std::to_string(error.offset) + " " + error.message;
  };
  EXPECT_EQ(fault("0,a|2"),
            "2 unknown variable 'a': without declared names the elements are 0 to 9; declare names "
            "first, as in 'variables: smoke tar cancer'");
  EXPECT_EQ(fault("1,1"), "2 1 is on both sides");
  EXPECT_EQ(fault("0,1|21"), "5 1 is on a side and in the condition");
  EXPECT_EQ(fault("0,1|232"), "6 2 appears twice in the condition");
  EXPECT_EQ(fault("01|2"), "2 expected ',' after the first set, got '|'");
  EXPECT_EQ(fault("0,1,2"), "3 expected '|' after the second set, got ','");
  EXPECT_EQ(fault("0,1|2,3"),
            "5 expected an element of the condition, got ','; write its elements run together: 0,1|23");
  EXPECT_EQ(fault("0,"), "2 missing an element of the second set");
  EXPECT_EQ(fault(""), "0 missing an element");
  EXPECT_EQ(fault("0\xEF\xBC\x8C"
                  "1"),
            "1 expected ',' after the first set, got '，' (U+FF0C); write ','");
  EXPECT_EQ(fault(std::string("0,1|\xff", 5)), "4 expected an element of the condition, got '\\xFF'");

  const Variables names({"smoke", "tar", "cancer"});
  EXPECT_EQ(fault("smok _||_ tar", names), "0 unknown variable 'smok'; did you mean 'smoke'?");
  EXPECT_EQ(fault("smoke _||_ tar | tar", names), "17 tar is on a side and in the condition");
  EXPECT_EQ(fault("smoke,tar", names), "0 with these names write the long form, as in smoke _||_ tar");
  EXPECT_EQ(fault("smoke _||_ {tar", names), "15 missing '}' after the set");
}

TEST(QueryLine, SignsCommentsDeclarationsAndFaults) {
  Variables variables;
  Query query;
  QueryError error;
  ASSERT_EQ(parse_query_line("  +1,0|2\t-0,1  # the rest is a comment -0,2", variables, query, error), LineKind::query);
  EXPECT_EQ(query_text(query, variables), "+0,1|2 -0,1");
  Query again;
  ASSERT_EQ(parse_query_line(query_text(query, variables), variables, again, error), LineKind::query);
  EXPECT_EQ(again, query);
  EXPECT_EQ(parse_query_line("+0,1 +1,0\r", variables, query, error), LineKind::query);  // said twice, CR of CR LF
  EXPECT_EQ(query_text(query, variables), "+0,1");
  EXPECT_EQ(parse_query_line(" # only a comment", variables, query, error), LineKind::blank);
  EXPECT_EQ(parse_query_line("", variables, query, error), LineKind::blank);
  // Statements are written in the order of their first rows; a set
  // statement and one of its parts may have opposite signs.
  ASSERT_EQ(parse_query_line("-0,1 +0,12 +3,4|012", variables, query, error), LineKind::query);
  EXPECT_EQ(query_text(query, variables), "+3,4|012 +0,12 -0,1");

  ASSERT_EQ(parse_query_line("variables: smoke tar cancer genes", variables, query, error), LineKind::declaration);
  EXPECT_EQ(variables.size(), 4);
  ASSERT_EQ(parse_query_line("+smoke _||_ tar, cancer | genes -smoke ⊥ tar", variables, query, error), LineKind::query);
  EXPECT_EQ(query_text(query, variables), "+smoke _||_ tar, cancer | genes -smoke _||_ tar");

  const auto fault = [](const std::string& line, Variables v = Variables()) {
    Query q;
    QueryError e;
    EXPECT_EQ(parse_query_line(line, v, q, e), LineKind::error) << line;
    return std::to_string(e.column) + " " + e.message;
  };
  EXPECT_EQ(fault("+0,1 0,2"), "6 expected '+' or '-' before a statement, got '0,2'");
  EXPECT_EQ(fault("+0,1|2 -1,0|2"), "8 0,1|2 is asked to hold and to fail");
  // Digits past the five the reading starts with are named too.
  EXPECT_EQ(fault("+12,9|3 -9,21|3"), "9 12,9|3 is asked to hold and to fail");
  EXPECT_EQ(fault("+A,B -A,D", Variables({"A", "B", "C"})), "9 unknown variable 'D': the variables are A B C");
  EXPECT_EQ(fault("+"), "2 missing an element");
  EXPECT_EQ(fault("\xE2\x88\x92"
                  "0,1"),
            "1 expected '+' or '-' before a statement, got '−' (U+2212); write '-'");
  EXPECT_EQ(fault("variables: a b a"), "16 'a' is declared twice");
  EXPECT_EQ(fault("variables: a b c d e f g h i j k l m"), "36 at most 12 variables can be declared");
  EXPECT_EQ(fault("variables: a 1b"), "14 '1b' is not a name: a name is a letter, then letters, digits and '_'");
  EXPECT_EQ(fault("+a _||_ b"),
            "2 unknown variable 'a': without declared names the elements are 0 to 9; declare "
            "names first, as in 'variables: smoke tar cancer'");
}

std::string write_temp(const std::string& name, const std::string& bytes) {
  std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

TEST(QueryInputs, SourcesLinesDeclarationsAndErrors) {
  QueryInputs inputs;
  const std::string good =
      write_temp("q.txt", "\xEF\xBB\xBF+0,1 -0,2\n\n# comment\n-3,4|012\nvariables: x y z\n+x,y|z\n");
  add_query_file(good, inputs);
  add_command_line_query("+0,1|2", 1, inputs);
  ASSERT_EQ(inputs.errors, std::vector<std::string>{});
  ASSERT_EQ(inputs.queries.size(), 4U);
  EXPECT_EQ(inputs.queries[0].line, 1U);
  EXPECT_EQ(inputs.queries[1].line, 4U);
  EXPECT_EQ(query_text(inputs.queries[1].query, inputs.variables[inputs.queries[1].variables]), "-3,4|012");
  // The declaration names the lines after it, in its source only.
  EXPECT_EQ(query_text(inputs.queries[2].query, inputs.variables[inputs.queries[2].variables]), "+x,y|z");
  EXPECT_EQ(query_text(inputs.queries[2].query, Variables()), "+0,1|2");
  EXPECT_EQ(inputs.queries[3].variables, 0U);
  EXPECT_EQ(inputs.sources[inputs.queries[0].source].kind, SourceKind::file);
  EXPECT_EQ(inputs.sources[inputs.queries[3].source].name, "-e 1");
  EXPECT_EQ(inputs.sources[inputs.queries[3].source].kind, SourceKind::command_line);

  const std::string bad = write_temp("bad.txt", "+0,1\n+0,y\nx\n");
  add_query_file(bad, inputs);
  add_command_line_query("  ", 2, inputs);
  EXPECT_EQ(inputs.errors,
            (std::vector<std::string>{
                bad + ":2:4: unknown variable 'y': without declared names the elements are 0 to 9; declare names "
                      "first, as in 'variables: smoke tar cancer'",
                bad + ":3:1: expected '+' or '-' before a statement, got 'x'", "-e 2: the query names no statement"}));
  // A binary file stops after a bounded number of messages.
  QueryInputs binary;
  std::string bytes;
  for (int line = 0; line < 100; ++line) bytes += std::string(50, '\x01') + "\n";
  add_query_file(write_temp("bin", bytes), binary);
  EXPECT_EQ(binary.errors.size(), errors_per_source + 1);
}

// Lines assembled from the reader's 1,023-byte pieces: a comment spanning
// pieces is dropped, a statement cut between pieces is joined, a CR alone
// ends a line as CR LF does, and a line past the cap is one fault.
TEST(QueryInputs, LinesAreAssembledFromPieces) {
  const std::string padding(1500, ' ');
  const std::string text = "# " + std::string(3000, '+') + "\n" +                // line 1: a long comment, not a fault
                           padding + "+0,1 #" + std::string(2000, 'x') + "\r" +  // 2: +0,1 at column 1501
                           std::string(583, ' ') + "-0,2\r\n" +  // 3: "-0,2" at bytes 4090 to 4093, cut at 4092
                           "+0,1|2\r-0,1\r" +                    // 4 and 5
                           std::string(max_query_line, ' ') + "+1,2\n" +  // 6: too long
                           "+0,1\x1A -0,2\n";                             // 7: 0x1A is no end of file
  QueryInputs inputs;
  const std::string path = write_temp("pieces.txt", text);
  add_query_file(path, inputs);
  std::vector<std::pair<std::uint32_t, std::string>> got;
  for (const SourcedQuery& q : inputs.queries) got.emplace_back(q.line, query_text(q.query, Variables()));
  EXPECT_EQ(got,
            (std::vector<std::pair<std::uint32_t, std::string>>{{2, "+0,1"}, {3, "-0,2"}, {4, "+0,1|2"}, {5, "-0,1"}}));
  EXPECT_EQ(inputs.errors, (std::vector<std::string>{path + ":6: line too long: more than " +
                                                         std::to_string(max_query_line) + " bytes before any '#'",
                                                     path + ":7:5: expected '|' after the second set, got '\\x1A'"}));
}

TEST(QueryInputs, VectorFileIsReadByImsetChecksRules) {
  const std::string path = ::testing::TempDir() + "imset-query-vectors.txt";
  // Position 0 is 3,4|012, 79 is 0,1; positions a line does not reach ask for "+".
  std::string all_x;
  for (int p = 0; p < 80; ++p) all_x += p == 0 ? "-" : p == 79 ? " +" : " x";
  std::string odd = all_x;
  odd.replace(4, 1, "x0");  // token 3 is "x0": read as "x", but no vector token
  std::ofstream(path, std::ios::binary) << all_x << "\n-\n" << odd << "\nEND\n+\n";
  QueryInputs inputs;
  add_vector_file(path, inputs);
  ASSERT_EQ(inputs.queries.size(), 3U);
  EXPECT_EQ(query_text(inputs.queries[0].query, Variables()), "+0,1 -3,4|012");
  EXPECT_EQ(inputs.queries[1].query.holds.size(), 79U);
  EXPECT_EQ(inputs.queries[1].line, 2U);
  EXPECT_EQ(inputs.queries[2].query, inputs.queries[0].query);
  // Warned about, answered all the same.
  EXPECT_EQ(inputs.warnings,
            (std::vector<std::string>{
                path + ":2: not a vector line (1 token, not 80); read as imset-check reads it",
                path + ":3: not a vector line (token 3 is not +, - or x); read as imset-check reads it"}));
}

}  // namespace
