// Statement names, query lines and query sources.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "input/vector_file.h"
#include "query/inputs.h"
#include "query/query.h"
#include "query/statement.h"
#include "tables/imsets.h"

namespace {

using namespace imset::query;

int row_of(const std::string& text) {
  StatementError error;
  return parse_statement(text, error);
}

TEST(Statement, EveryRowReadsBackFromItsNameInAnyOrder) {
  for (int p = 0; p < imset::elementary_count; ++p) {
    const std::string name = statement_name(p);
    EXPECT_EQ(row_of(name), p) << name;
    // The pair and K written backwards name the same statement.
    std::string swapped = name.substr(2, 1) + "," + name.substr(0, 1);
    // Appended piece by piece: GCC 12 at -O3 warns falsely about
    // "|" + std::string (-Wrestrict, GCC bug 105329).
    if (name.size() > 3) swapped.append("|").append(name.rbegin(), name.rend() - 4);
    EXPECT_EQ(row_of(swapped), p) << swapped;
  }
  EXPECT_EQ(statement_name(0), "3,4|012");
  EXPECT_EQ(statement_name(79), "0,1");
  EXPECT_EQ(row_of("0,1|"), 79);
  EXPECT_EQ(row_of("1,0|32"), row_of("0,1|23"));
}

TEST(Statement, FaultsAreNamedWithTheirPlace) {
  const auto fault = [](const std::string& text) {
    StatementError error;
    EXPECT_EQ(parse_statement(text, error), -1) << text;
    return std::to_string(error.offset) + " " + error.message;
  };
  EXPECT_EQ(fault("0,5|2"), "2 unknown element '5': the elements are 0 to 4");
  EXPECT_EQ(fault("1,1"), "2 the pair names element 1 twice");
  EXPECT_EQ(fault("0,1|21"), "5 element 1 is in the pair and in K");
  EXPECT_EQ(fault("0,1|232"), "6 element 2 appears twice in K");
  EXPECT_EQ(fault("01|2"), "1 expected ',' after the first element, got '1'");
  EXPECT_EQ(fault("0,1,2"), "3 expected '|' after the pair, got ','");
  EXPECT_EQ(fault("0,"), "2 missing the second element");
  EXPECT_EQ(fault(""), "0 missing an element");
  EXPECT_EQ(fault("a,1"), "0 expected an element, got 'a'");
  EXPECT_EQ(fault(std::string("0,1|\xff", 5)), "4 expected an element of K, got '\\xFF'");
}

TEST(QueryLine, SignsCommentsAndFaults) {
  Query query;
  QueryError error;
  ASSERT_EQ(parse_query_line("  +1,0|2\t-0,1  # the rest is a comment -0,2", query, error), LineKind::query);
  EXPECT_EQ(query_text(query), "+0,1|2 -0,1");
  Query again;
  ASSERT_EQ(parse_query_line(query_text(query), again, error), LineKind::query);
  EXPECT_EQ(again, query);
  EXPECT_EQ(parse_query_line("+0,1 +1,0\r", query, error), LineKind::query);  // said twice, CR of CR LF
  EXPECT_EQ(query_text(query), "+0,1");
  EXPECT_EQ(parse_query_line(" # only a comment", query, error), LineKind::blank);
  EXPECT_EQ(parse_query_line("", query, error), LineKind::blank);

  const auto fault = [](const std::string& line) {
    Query q;
    QueryError e;
    EXPECT_EQ(parse_query_line(line, q, e), LineKind::error) << line;
    return std::to_string(e.column) + " " + e.message;
  };
  EXPECT_EQ(fault("+0,1 0,2"), "6 expected '+' or '-' before a statement, got '0,2'");
  EXPECT_EQ(fault("+0,1|2 -1,0|2"), "8 0,1|2 is asked to hold and to fail");
  EXPECT_EQ(fault("+0,1 -0,7"), "9 unknown element '7': the elements are 0 to 4");
  EXPECT_EQ(fault("+"), "2 missing an element");
}

std::string write_temp(const std::string& name, const std::string& bytes) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

TEST(QueryInputs, SourcesLinesAndErrors) {
  QueryInputs inputs;
  const std::string good = write_temp("q.txt", "\xEF\xBB\xBF+0,1 -0,2\n\n# comment\n-3,4|012\n");
  add_query_file(good, inputs);
  add_command_line_query("+0,1|2", 1, inputs);
  ASSERT_EQ(inputs.errors, std::vector<std::string>{});
  ASSERT_EQ(inputs.queries.size(), 3U);
  EXPECT_EQ(inputs.queries[0].line, 1U);
  EXPECT_EQ(inputs.queries[1].line, 4U);
  EXPECT_EQ(query_text(inputs.queries[1].query), "-3,4|012");
  EXPECT_EQ(inputs.sources[inputs.queries[0].source].kind, SourceKind::file);
  EXPECT_EQ(inputs.sources[inputs.queries[2].source].name, "-e 1");
  EXPECT_EQ(inputs.sources[inputs.queries[2].source].kind, SourceKind::command_line);

  const std::string bad = write_temp("bad.txt", "+0,1\n+0,9\nx\n");
  add_query_file(bad, inputs);
  add_command_line_query("  ", 2, inputs);
  EXPECT_EQ(inputs.errors, (std::vector<std::string>{bad + ":2:4: unknown element '9': the elements are 0 to 4",
                                                     bad + ":3:1: expected '+' or '-' before a statement, got 'x'",
                                                     "-e 2: the query names no statement"}));
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
  for (const SourcedQuery& q : inputs.queries) got.emplace_back(q.line, query_text(q.query));
  EXPECT_EQ(got,
            (std::vector<std::pair<std::uint32_t, std::string>>{{2, "+0,1"}, {3, "-0,2"}, {4, "+0,1|2"}, {5, "-0,1"}}));
  EXPECT_EQ(inputs.errors, (std::vector<std::string>{path + ":6: line too long: more than " +
                                                         std::to_string(max_query_line) + " bytes before any '#'",
                                                     path + ":7:5: expected '|' after the pair, got '\\x1A'"}));
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
  EXPECT_EQ(query_text(inputs.queries[0].query), "+0,1 -3,4|012");
  EXPECT_EQ(inputs.queries[1].query.holds.size(), 79);
  EXPECT_EQ(inputs.queries[1].line, 2U);
  EXPECT_EQ(inputs.queries[2].query, inputs.queries[0].query);
  // Warned about, answered all the same.
  EXPECT_EQ(inputs.warnings,
            (std::vector<std::string>{
                path + ":2: not a vector line (1 token, not 80); read as imset-check reads it",
                path + ":3: not a vector line (token 3 is not +, - or x); read as imset-check reads it"}));
}

}  // namespace
