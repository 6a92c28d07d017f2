// The built checker on small files written as raw bytes; standard output is
// compared byte for byte, and the exit status with it.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <random>
#include <string>

#include "harness.h"

namespace {

using harness::Outcome;

const std::string checker = IMSET_CHECK;
const std::string model = IMSET_MODEL;

Outcome check(const std::string& vectors, const std::string& extreme) {
  return harness::run_on(checker, vectors, extreme);
}

std::string repeat(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

// n copies of a token, separated by single blanks.
std::string tokens(int n, const std::string& token) {
  std::string r;
  for (int i = 0; i < n; ++i) r += (i == 0 ? "" : " ") + token;
  return r;
}

std::string summary(int found) { return std::to_string(found) + " counter examples found\nEND\n"; }

using Imset = std::array<int, 80>;
using Values = std::array<int, 26>;

Imset imset_with(std::initializer_list<std::pair<const int, int>> nonzero) {
  Imset imset{};
  for (const auto& [row, value] : nonzero) imset[static_cast<std::size_t>(row)] = value;
  return imset;
}

// The imset values of the record that is c on {0,1} and 0 elsewhere.
Imset pair_record_imset(int c) {
  return imset_with({{22, c}, {28, c}, {34, c}, {79, c}, {62, -c}, {63, -c}, {65, -c}, {66, -c}, {68, -c}, {69, -c}});
}

std::string report(int vector_number, const std::string& signs, const Imset& imset, int record, const Values& values) {
  std::string r =
      "Hold your horses: this is not good\nVector (" + std::to_string(vector_number) + "):" + signs + "\nImset: ";
  // Appended in two steps: GCC 12 at -O3 warns falsely about " " + string
  // (-Wrestrict, GCC bug 105329).
  for (const int v : imset) {
    r += ' ';
    r += std::to_string(v);
  }
  r += "\nPermutation: (record nr " + std::to_string(record) + ") ";
  for (const int v : values) r += std::to_string(v) + " ";
  return r + "\n";
}

std::string zero_record_report(int vector_number, const std::string& signs, int record) {
  return report(vector_number, signs, Imset{}, record, Values{});
}

const std::string usage_tail = " <file with input vector> <file with extreme points>\n";

TEST(CommandLine, WrongArgumentCountPrintsUsageOnly) {
  const std::string q = harness::quoted(checker);
  EXPECT_EQ(harness::run_command(q), (Outcome{"Usage: " + checker + usage_tail, 2}));
  EXPECT_EQ(harness::run_command(q + " a"), (Outcome{"Usage: " + checker + usage_tail, 2}));
  EXPECT_EQ(harness::run_command(q + " a b c"), (Outcome{"Usage: " + checker + usage_tail, 2}));
  EXPECT_EQ(harness::run_command("bash -c 'exec -a \"\" " + checker + "'"),
            (Outcome{"Usage: imset-check" + usage_tail, 2}));
  EXPECT_EQ(harness::run_command("bash -c 'exec -a my-name " + checker + " x'"),
            (Outcome{"Usage: my-name" + usage_tail, 2}));
}

TEST(CommandLine, UnreadableFilesHaltWithTheirMessage) {
  const std::string vectors = harness::write_file("v.txt", "x\n");
  const std::string records = harness::write_file("e.txt", "0\n");
  const std::string missing = (harness::scratch_dir() / "missing.txt").string();
  const std::string dir = harness::scratch_dir().string();
  const auto halted = [](const std::string& path) {
    return "Could not read from file " + path + ". Processing halted.\n";
  };
  EXPECT_EQ(harness::run_program(checker, missing, records), (Outcome{halted(missing), 1}));
  EXPECT_EQ(harness::run_program(checker, vectors, missing), (Outcome{halted(missing), 1}));
  EXPECT_EQ(harness::run_program(checker, dir, records), (Outcome{halted(dir), 1}));
  // Vector 1 asks nothing, so a readable record would have matched it.
  EXPECT_EQ(harness::run_program(checker, vectors, dir), (Outcome{halted(dir), 1}));
  EXPECT_EQ(harness::run_program(checker, "", records), (Outcome{halted(""), 1}));
}

TEST(CommandLine, UnwritableStandardOutputIsAFailure) {
  const std::string vectors = harness::write_file("v.txt", "x\n");
  const std::string records = harness::write_file("e.txt", "0\n");
  const std::string run = harness::quoted(checker) + " " + vectors + " " + records;
  EXPECT_EQ(harness::run_command(run + " >/dev/full"), (Outcome{"", 1}));
  EXPECT_EQ(harness::run_command(run + " >&-"), (Outcome{"", 1}));
  EXPECT_EQ(harness::run_command(harness::quoted(checker) + " >/dev/full"), (Outcome{"", 1}));
  EXPECT_EQ(harness::run_command(run), (Outcome{zero_record_report(1, repeat("0", 1) + repeat("+", 79), 1), 0}));
}

TEST(Report, FullSetRecordAgainstTenMinusSeventyPlus) {
  const Outcome got = check(tokens(10, "-") + " " + tokens(70, "+") + "\n", tokens(25, "0") + " 1\n");
  const std::string expected =
      "Hold your horses: this is not good\n"
      "Vector (1):----------" +
      repeat("+", 70) +
      "\n"
      "Imset:  " +
      tokens(10, "1") + " " + tokens(70, "0") +
      "\n"
      "Permutation: (record nr 1) " +
      repeat("0 ", 25) + "1 \n";
  EXPECT_EQ(got, (Outcome{expected, 0}));
}

TEST(Report, PairRecordFindsEachRenamingInOrder) {
  // Vector 1 asks for the renaming that puts the 1 on {3,4} (row 70 nonzero,
  // every other two-element row zero); vector 2 for the record as read.
  std::string v1 = repeat("x ", 70) + "- + + + + + + + + +\n";
  std::string v2 = repeat("x ", 70) + "+ + + + + + + + + -\n";
  Values on_34{};
  on_34[9] = 1;
  const Imset imset_34 =
      imset_with({{15, 1}, {21, 1}, {27, 1}, {70, 1}, {40, -1}, {41, -1}, {43, -1}, {44, -1}, {52, -1}, {53, -1}});
  Values on_01{};
  on_01[0] = 1;
  const std::string expected = report(2, repeat("0", 70) + "+++++++++-", pair_record_imset(1), 1, on_01) +
                               report(1, repeat("0", 70) + "-+++++++++", imset_34, 1, on_34);
  EXPECT_EQ(check(v1 + v2, "1 " + tokens(25, "0") + "\n"), (Outcome{expected, 0}));
}

TEST(Run, EndsAtOnceWhenTheLastVectorIsMatched) {
  // Vector 1 asks nothing; vector 2 (an empty line) asks for all imset
  // values zero. The third record would halt the run if it were read.
  Values five{};
  five[0] = 5;
  const std::string expected =
      report(1, repeat("0", 80), pair_record_imset(5), 1, five) + zero_record_report(2, repeat("+", 80), 2);
  EXPECT_EQ(check(tokens(80, "x") + "\n\n", "5\n0\n1234567890\n"), (Outcome{expected, 0}));
  // One renamed record matching two vectors reports both, lower number first.
  const std::string both = zero_record_report(1, repeat("0", 80), 1) + zero_record_report(2, repeat("0", 80), 1);
  EXPECT_EQ(check(tokens(80, "x") + "\n" + tokens(80, "?") + "\n", "0\n1234567890\n"), (Outcome{both, 0}));
}

TEST(Run, SummaryWhenTheListEndsFirst) {
  EXPECT_EQ(check("END\n", "0\n"), (Outcome{summary(0), 0}));
  EXPECT_EQ(check("", ""), (Outcome{summary(0), 0}));
  // A vector that nothing matches, and one that the zero record matches.
  EXPECT_EQ(check("-\nx\n", tokens(26, "0") + "\n"),
            (Outcome{zero_record_report(2, repeat("0", 1) + repeat("+", 79), 1) + summary(1), 0}));
}

TEST(TextConventions, CrLfFoldsLoneCrIsWhiteSpace) {
  const std::string expected = zero_record_report(1, "00" + repeat("+", 78), 1);
  EXPECT_EQ(check("x x\nEND\n- -\n", "0\nEND\n1234567890\n"), (Outcome{expected, 0}));
  EXPECT_EQ(check("x x\r\nEND\r\n- -\r\n", "0\r\nEND\r\n1234567890\r\n"), (Outcome{expected, 0}));
  // A lone CR separates tokens like a blank, and "END\r" is no end line.
  EXPECT_EQ(check("x x\rEND\n", "0\n"), (Outcome{zero_record_report(1, "000" + repeat("+", 77), 1), 0}));
  EXPECT_EQ(check("-\n", "0\nEND\r\r\n"), (Outcome{summary(0), 0}));
}

TEST(TextConventions, EndOfTextByteAndZeroBytes) {
  // Nothing after 0x1A is read: not the vector, not the too-long token.
  EXPECT_EQ(check("-\n\x1ax\n",
                  "0\n\x1a"
                  "1234567890\n"),
            (Outcome{summary(0), 0}));
  // A line is text up to its first zero byte: "END" then a zero byte ends
  // the vector file; a record line that starts with a zero byte is skipped.
  const std::string vectors_end_nul = tokens(80, "x") + std::string("\nEND\0junk\n-\n", 12);
  Values seven{};
  seven[0] = 7;
  const std::string extreme_nul = std::string("\0 1234567890\n7\n", 15);
  EXPECT_EQ(check(vectors_end_nul, extreme_nul),
            (Outcome{report(1, repeat("0", 80), pair_record_imset(7), 1, seven), 0}));
  // Tabs, vertical tabs and form feeds separate tokens too.
  EXPECT_EQ(check("x\tx\vx\fx\n", "0\t0\v0\f0\n"), (Outcome{zero_record_report(1, "0000" + repeat("+", 76), 1), 0}));
}

TEST(VectorFile, PositionsAndTrailingWhiteSpace) {
  // Trailing white space adds one position that asks nothing.
  EXPECT_EQ(check(tokens(79, "x") + " \n", "0\n"), (Outcome{zero_record_report(1, repeat("0", 80), 1), 0}));
  EXPECT_EQ(check(tokens(79, "x") + "\n", "0\n"), (Outcome{zero_record_report(1, repeat("0", 79) + "+", 1), 0}));
  // "END " and "end" are vectors; a line of blanks asks nothing at position 0.
  EXPECT_EQ(check("END \n", "0\n"), (Outcome{zero_record_report(1, "00" + repeat("+", 78), 1), 0}));
  EXPECT_EQ(check("end\n", "0\n"), (Outcome{zero_record_report(1, "0" + repeat("+", 79), 1), 0}));
  EXPECT_EQ(check("   \n", "0\n"), (Outcome{zero_record_report(1, "0" + repeat("+", 79), 1), 0}));
  // Only the first character of a token counts.
  EXPECT_EQ(check("+x -y 5 ++\n", "0\n"), (Outcome{summary(0), 0}));
  EXPECT_EQ(check("+x 5 ++\n", "0\n"), (Outcome{zero_record_report(1, "+0+" + repeat("+", 77), 1), 0}));
}

TEST(VectorFile, TooManyValuesAndTooManyVectors) {
  const std::string ignored = "Too many values in vector file. Only 80 expected. Ignored\n";
  EXPECT_EQ(check(tokens(80, "x") + " \n", "0\n"), (Outcome{ignored + zero_record_report(1, repeat("0", 80), 1), 0}));
  EXPECT_EQ(check(tokens(83, "x") + "\n", "0\n"),
            (Outcome{ignored + ignored + ignored + zero_record_report(1, repeat("0", 80), 1), 0}));

  const std::string too_many = "Too many vectors in vector file. Only 100 expected. Processing halted\n";
  const std::string hundred = repeat("-\n", 100);
  EXPECT_EQ(check(hundred, "0\n"), (Outcome{summary(0), 0}));
  EXPECT_EQ(check(hundred + "END\n-\n", "0\n"), (Outcome{summary(0), 0}));
  EXPECT_EQ(check(hundred + "-\n", "0\n"), (Outcome{too_many, 1}));
  EXPECT_EQ(check(hundred + "\n", "0\n"), (Outcome{too_many, 1}));  // an empty line is a vector
}

TEST(VectorFile, LinesLongerThanOneReadSplit) {
  // 1,023 characters, then the line feed read alone: two vectors.
  const std::string long_line = "x" + std::string(1022, ' ') + "\n";
  const std::string expected =
      zero_record_report(1, "00" + repeat("+", 78), 1) + zero_record_report(2, repeat("+", 80), 1);
  EXPECT_EQ(check(long_line, "0\n"), (Outcome{expected, 0}));
  // 1,022 characters and CR LF are one read.
  const std::string crlf_line = "x" + std::string(1021, ' ') + "\r\n";
  EXPECT_EQ(check(crlf_line, "0\n"), (Outcome{zero_record_report(1, "00" + repeat("+", 78), 1), 0}));
}

TEST(ExtremeFile, ListEnds) {
  const std::string asks_row_79 = repeat("x ", 79) + "-\n";
  Values five{};
  five[0] = 5;
  const std::string five_at = report(1, repeat("0", 79) + "-", pair_record_imset(5), 2, five);
  EXPECT_EQ(check(asks_row_79, "0\n5\n"), (Outcome{five_at, 0}));
  EXPECT_EQ(check(asks_row_79, "0\n\n5\n"), (Outcome{summary(0), 0}));     // an empty line ends it
  EXPECT_EQ(check(asks_row_79, "0\nEND\n5\n"), (Outcome{summary(0), 0}));  // so does END
  EXPECT_EQ(check(asks_row_79, "0\nEND \n5\n"),                            // "END " is a record
            (Outcome{report(1, repeat("0", 79) + "-", pair_record_imset(5), 3, five), 0}));
  EXPECT_EQ(check("+\n", "END"), (Outcome{zero_record_report(1, repeat("+", 80), 1), 0}));
  // 1,023 characters: the line feed after them, read alone, ends the list.
  EXPECT_EQ(check(asks_row_79, "0" + std::string(1022, ' ') + "\n5\n"), (Outcome{summary(0), 0}));
  EXPECT_EQ(check(asks_row_79, "0" + std::string(1021, ' ') + "\n5\n"), (Outcome{five_at, 0}));
  EXPECT_EQ(check(asks_row_79, "0" + std::string(1021, ' ') + "\r\n5\n"), (Outcome{five_at, 0}));
}

TEST(ExtremeFile, ShortLinesKeepEarlierValuesAndBlankLinesCount) {
  const std::string asks_row_79 = repeat("x ", 79) + "-\n";
  Values five{};
  five[0] = 5;
  // A line of white space is a record with the slots as they were.
  EXPECT_EQ(check(asks_row_79, tokens(26, "0") + "\n \t \n5\n"),
            (Outcome{report(1, repeat("0", 79) + "-", pair_record_imset(5), 3, five), 0}));
  // Record 2 gives slot 0 only; slots 1..25 keep record 1's values.
  Values kept{};
  kept[0] = 5;
  kept[25] = 1;
  Imset kept_imset = pair_record_imset(5);
  for (int row = 0; row < 10; ++row) kept_imset[static_cast<std::size_t>(row)] += 1;
  EXPECT_EQ(check(asks_row_79, tokens(25, "0") + " 1\n5\n"),
            (Outcome{report(1, repeat("0", 79) + "-", kept_imset, 2, kept), 0}));
  // Tokens after the 26th are ignored, even long ones.
  EXPECT_EQ(check("-\n", tokens(26, "0") + " 12345678901234 x\n"), (Outcome{summary(0), 0}));
  // Texts that hold no number read as 0.
  EXPECT_EQ(check("+\n", "END + - abc\n"), (Outcome{zero_record_report(1, repeat("+", 80), 1), 0}));
}

TEST(ExtremeFile, ValueTooLongHaltsAfterEarlierRecords) {
  const std::string halted =
      "Value too long in extreme-point file (record nr 3). Only 9 characters expected. Processing halted\n";
  Values five{};
  five[0] = 5;
  // Vector 1 is matched by record 1; vector 2 never, so the run goes on.
  const std::string expected = report(1, repeat("0", 80), pair_record_imset(5), 1, five) + halted;
  EXPECT_EQ(check(tokens(80, "x") + "\n-\n", "5\n0\n0 1234567890\n0\n"), (Outcome{expected, 1}));
  // Nine characters fit.
  EXPECT_EQ(check("-\n", "-99999999 999999999\n"), (Outcome{summary(0), 0}));
}

TEST(Arithmetic, ImsetValuesWrapAround) {
  // Row 0 sums to 2,199,999,996, printed as that minus 2^32.
  Values values{};
  values[10] = 999999999;
  values[25] = 999999999;
  values[20] = -99999999;
  values[21] = -99999999;
  std::string record;
  for (const int v : values) record += std::to_string(v) + " ";
  const Outcome got = check("- " + tokens(79, "x") + "\n", record + "\n");
  ASSERT_EQ(got.status, 0);
  EXPECT_TRUE(got.out.starts_with("Hold your horses: this is not good\nVector (1):-" + repeat("0", 79) +
                                  "\nImset:  -2094967300 "));
}

TEST(BadInput, GarbageAndHugeLinesGiveTheModelsAnswerWithoutCrash) {
  std::mt19937 random(20261208);
  const auto garbage = [&](std::size_t n) {
    std::string bytes(n, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
  };
  const std::string cases[][2] = {
      {garbage(5000), garbage(50000)},     {"x\n", garbage(200000)},
      {garbage(300), "1 2 3\n"},           {repeat("+ ", 5000000), "0\n"},  // a 10 MB vector line
      {"-\n", repeat("1 ", 5000000)},                                       // a 10 MB record line
      {"-\n", std::string(10000000, '7')},                                  // 10 MB of one digit run
  };
  for (const auto& [vectors, extreme] : cases) {
    const Outcome got = check(vectors, extreme);
    EXPECT_TRUE(got.status == 0 || got.status == 1) << got.status;
    EXPECT_EQ(got, harness::run_on(model, vectors, extreme));
  }
  const std::string too_many = "Too many vectors in vector file. Only 100 expected. Processing halted\n";
  const Outcome huge_vector_line = check(repeat("+ ", 5000000), "0\n");
  EXPECT_EQ(huge_vector_line.status, 1);
  EXPECT_TRUE(huge_vector_line.out.ends_with(too_many));
}

}  // namespace

namespace {

using harness::read_file;

TEST(Examples, ShippedExampleGivesTheRecordedOutput) {
  const std::string vectors = std::string(IMSET_DATA_DIR) + "/example-vectors.txt";
  const std::string types = std::string(IMSET_DATA_DIR) + "/extreme-rays-types.txt";
  const std::string recorded = read_file(std::string(IMSET_GOLDEN_DIR) + "/example.out");
  ASSERT_NE(recorded.find("counter examples found"), std::string::npos);
  EXPECT_EQ(harness::run_program(checker, vectors, types), (Outcome{recorded, 0}));
  EXPECT_EQ(harness::run_program(model, vectors, types), (Outcome{recorded, 0}));
}

}  // namespace

namespace {

// Pipes and FIFOs: a line is searched as soon as it has arrived, each
// report reaches standard output when it is printed, and "END" ends the
// vector file's reading. The writers below send their lines, then hold the
// FIFO open for a minute; `timeout` turns a run that waits for them into
// status 124 instead of a hung test.
std::string fifo(const std::string& name) {
  std::string path = (harness::scratch_dir() / name).string();
  std::filesystem::remove(path);
  EXPECT_EQ(harness::run_command("mkfifo " + harness::quoted(path)).status, 0);
  return path;
}

std::string held_open(const std::string& bytes, const std::string& fifo_path) {
  return "( printf '" + bytes + "'; exec sleep 60 ) >" + harness::quoted(fifo_path) + " & writer=$!; ";
}

TEST(Pipes, RunEndsAtTheLastMatchWhileTheWriterHoldsTheFifo) {
  const std::string records = fifo("records.fifo");
  const std::string vectors = harness::write_file("v.txt", repeat("x ", 79) + "-\n");
  Values five{};
  five[0] = 5;
  const std::string expected = report(1, repeat("0", 79) + "-", pair_record_imset(5), 1, five);
  EXPECT_EQ(harness::run_command(held_open("5\\n", records) + "timeout 20 " + harness::quoted(checker) + " " + vectors +
                                 " " + records + "; status=$?; kill $writer; exit $status"),
            (Outcome{expected, 0}));

  // The vector file ends at "END" though its writer goes on holding it.
  const std::string vector_fifo = fifo("vectors.fifo");
  const std::string zero_record = harness::write_file("e.txt", "0\n");
  EXPECT_EQ(harness::run_command(held_open("x\\nEND\\n", vector_fifo) + "timeout 20 " + harness::quoted(checker) + " " +
                                 vector_fifo + " " + zero_record + "; status=$?; kill $writer; exit $status"),
            (Outcome{zero_record_report(1, "0" + repeat("+", 79), 1), 0}));
}

TEST(Pipes, EachReportIsWrittenWhenFound) {
  // Vector 2 is never matched, so the run waits for more records; the
  // report of vector 1 must be in the output file before the writer ends.
  const std::string records = fifo("records.fifo");
  const std::string vectors = harness::write_file("v.txt", repeat("x ", 79) + "-\n-\n");
  const std::string out = (harness::scratch_dir() / "out.txt").string();
  const std::string script = held_open("5\\n", records) + "timeout 20 " + harness::quoted(checker) + " " + vectors +
                             " " + records + " >" + out +
                             " & run=$!; "
                             "tries=0; until grep -q 'Hold your horses' " +
                             out +
                             "; do tries=$((tries + 1)); [ $tries -gt 300 ] && break; sleep 0.05; done; "
                             "kill $writer; wait $run; status=$?; "
                             "[ $tries -le 300 ] || exit 3; exit $status";
  EXPECT_EQ(harness::run_command(script).status, 0);
  Values five{};
  five[0] = 5;
  EXPECT_EQ(read_file(out), report(1, repeat("0", 79) + "-", pair_record_imset(5), 1, five) + summary(1));
}

}  // namespace
