#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "input/extreme_points.h"
#include "text/text_reader.h"

namespace {

using imset::LineBuffer;
using imset::LineRead;
using imset::TextReader;

std::string write_temp(const std::string& bytes) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("imset_reader_" + std::to_string(std::hash<std::string>{}(bytes)) + ".txt");
  std::ofstream(path, std::ios::binary) << bytes;
  return path.string();
}

// Every read of the file, bytes as read (zero bytes included).
std::vector<std::string> reads_of(const std::string& bytes) {
  TextReader reader;
  const std::string path = write_temp(bytes);
  EXPECT_TRUE(reader.open(path.c_str()));
  std::vector<std::string> reads;
  LineBuffer line;
  while (reader.read_line(line) == LineRead::line) {
    EXPECT_EQ(line.bytes[line.length], '\0');
    reads.emplace_back(line.bytes.data(), line.length);
  }
  std::filesystem::remove(path);
  return reads;
}

using Reads = std::vector<std::string>;

TEST(TextReader, LineEndsCarriageReturnsAndEndOfTextByte) {
  EXPECT_EQ(reads_of("a b\r\nc\n"), (Reads{"a b\n", "c\n"}));
  EXPECT_EQ(reads_of("a\rb\n\r"), (Reads{"a\rb\n", "\r"}));  // lone CR stays, at the end too
  EXPECT_EQ(reads_of("a\r\r\nb"), (Reads{"a\r\n", "b"}));    // CR CR LF: only the last pair folds
  EXPECT_EQ(reads_of("a\nb\x1a"
                     "c\nd\n"),
            (Reads{"a\n", "b"}));  // 0x1A ends the file
  EXPECT_EQ(reads_of("a\r\x1a\n"), (Reads{"a\r"}));
  EXPECT_EQ(reads_of(std::string("a\0b\n\0\n", 6)), (Reads{std::string("a\0b\n", 4), std::string("\0\n", 2)}));
  EXPECT_EQ(reads_of(""), Reads{});
  EXPECT_EQ(reads_of("\x1a"
                     "abc"),
            Reads{});
}

TEST(TextReader, LongLinesComeIn1023ByteReadsAfterCrLfFolding) {
  const std::string long_line(1023, 'x');
  EXPECT_EQ(reads_of(long_line + "\n"), (Reads{long_line, "\n"}));
  const std::string shorter(1022, 'y');
  EXPECT_EQ(reads_of(shorter + "\r\n"), (Reads{shorter + "\n"}));
  EXPECT_EQ(reads_of(shorter + "\rz"), (Reads{shorter + "\r", "z"}));
  const std::string big(2500, '7');
  EXPECT_EQ(reads_of(big), (Reads{big.substr(0, 1023), big.substr(1023, 1023), big.substr(2046)}));
}

TEST(TextReader, MissingFileAndDirectory) {
  TextReader reader;
  EXPECT_FALSE(reader.open("/nonexistent/imset/file"));
  // A directory opens but cannot be read.
  if (reader.open(std::filesystem::temp_directory_path().c_str())) {
    LineBuffer line;
    EXPECT_EQ(reader.read_line(line), LineRead::read_error);
  }
}

TEST(ExtremePointReader, TokensReadAsFormattedDecimalNumbers) {
  const std::string path = write_temp("42 -42 +7 007 12abc 999999999 -99999999 END + -x +-5 abc\n\n3\n");
  imset::ExtremePointReader reader;
  ASSERT_TRUE(reader.open(path.c_str()));
  const imset::Record* first = reader.next();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->number, 1);
  const std::vector<std::int32_t> expected = {42, -42, 7, 7, 12, 999999999, -99999999, 0, 0, 0, 0, 0};
  for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_EQ(first->values[k], expected[k]) << "slot " << k;
  EXPECT_STREQ(first->texts[3].data(), "007");
  EXPECT_EQ(reader.next(), nullptr);  // the empty line ends the list
  EXPECT_EQ(reader.status(), imset::ListStatus::ended);
  std::filesystem::remove(path);
}

TEST(ExtremePointReader, ShortLinesKeepEarlierSlotsAndLongTokensHalt) {
  const std::string path = write_temp("1 2 3\n9\n  \n0 1234567890\n");
  imset::ExtremePointReader reader;
  ASSERT_TRUE(reader.open(path.c_str()));
  std::vector<std::array<std::int32_t, 3>> seen;
  while (const imset::Record* r = reader.next()) {
    seen.push_back({r->values[0], r->values[1], r->values[2]});
    EXPECT_EQ(r->number, static_cast<std::int32_t>(seen.size()));
  }
  EXPECT_EQ(seen, (std::vector<std::array<std::int32_t, 3>>{{1, 2, 3}, {9, 2, 3}, {9, 2, 3}}));
  EXPECT_EQ(reader.status(), imset::ListStatus::value_too_long);
  EXPECT_EQ(reader.record().number, 3);
  std::filesystem::remove(path);
  EXPECT_FALSE(reader.open("/nonexistent/imset/file"));
  EXPECT_EQ(reader.status(), imset::ListStatus::unreadable);
}

}  // namespace
