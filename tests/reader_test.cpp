#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "input/extreme_points.h"
#include "input/text_reader.h"

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

// The slots and numbers of every record handed to the search.
std::vector<std::array<std::int32_t, imset::subset_count>> seen_values;
std::vector<std::string> seen_first_slot;

bool remember_record() {
  seen_values.push_back(imset::token_values);
  seen_first_slot.emplace_back(imset::token_slots[0].data());
  return false;
}

TEST(ExtremePointReader, TokensReadAsFormattedDecimalNumbers) {
  const std::string path = write_temp("42 -42 +7 007 12abc 999999999 -99999999 END + -x +-5 abc\n3\n");
  seen_values.clear();
  seen_first_slot.clear();
  ASSERT_EQ(imset::read_extreme_points(path.c_str(), remember_record), imset::ListEnd::list_ended);
  std::filesystem::remove(path);
  ASSERT_EQ(seen_values.size(), 2U);
  const std::vector<std::int32_t> expected = {42, -42, 7, 7, 12, 999999999, -99999999, 0, 0, 0, 0, 0};
  for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_EQ(seen_values[0][k], expected[k]) << "slot " << k;
  // The second record changes slot 0 only; its text and number go together.
  EXPECT_EQ(seen_first_slot, (std::vector<std::string>{"42", "3"}));
  EXPECT_EQ(seen_values[1][0], 3);
  for (std::size_t k = 1; k < expected.size(); ++k) EXPECT_EQ(seen_values[1][k], expected[k]) << "slot " << k;
}

}  // namespace
