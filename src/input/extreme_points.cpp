#include "extreme_points.h"

#include <cstring>

#include "../search/report.h"
#include "text_reader.h"

namespace imset {

TokenSlots token_slots{};
std::array<std::int32_t, subset_count> token_values{};

namespace {

void print_too_long(std::int32_t record_number) {
  write_text("Value too long in extreme-point file (record nr ");
  write_int(record_number);
  write_text("). Only 9 characters expected. Processing halted\n");
}

enum class LineTokens { stored, too_long };

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Copies the first 26 tokens of a line into their slots and counts the
// places visited. The end of the line after white space is such a place too,
// with nothing stored, so a line of only white space still counts as a record.
// Each token's number is read in the same pass over its characters.
LineTokens store_tokens(const char* text, int& counter) {
  const char* cursor = text;
  counter = 0;
  while (*cursor != '\0') {
    const char* start = skip_white(cursor);
    const char* digits = start + static_cast<int>(*start == '+' || *start == '-');
    std::uint32_t magnitude = 0;  // wraps harmlessly on tokens too long to keep
    for (; is_digit(*digits); ++digits) magnitude = magnitude * 10U + static_cast<std::uint32_t>(*digits - '0');
    cursor = skip_token(digits);
    if (counter < subset_count) {
      const auto length = static_cast<std::size_t>(cursor - start);
      if (length > max_token_length) return LineTokens::too_long;
      if (length > 0) {
        // A whole slot's width is copied at once (the line buffer has room
        // past its end); the terminating zero then cuts it to the token.
        const auto slot = static_cast<std::size_t>(counter);
        std::memcpy(token_slots[slot].data(), start, token_slots[slot].size());
        token_slots[slot][length] = '\0';
        token_values[slot] = static_cast<std::int32_t>(*start == '-' ? 0U - magnitude : magnitude);
      }
      ++counter;
    }
  }
  return LineTokens::stored;
}

}  // namespace

ListEnd read_extreme_points(const char* path, RecordProcedure process_record) {
  TextReader reader;
  if (!reader.open(path)) {
    print_unreadable(path);
    return ListEnd::failed;
  }
  std::uint32_t records = 0;  // wraps like the record number, never overflows
  LineBuffer line;
  for (;;) {
    const LineRead got = reader.read_line(line);
    if (got == LineRead::read_error) {
      print_unreadable(path);
      return ListEnd::failed;
    }
    if (got == LineRead::end_of_file) break;
    const char* text = line.text();
    if (std::strcmp(text, "END\n") == 0 || std::strcmp(text, "\n") == 0) break;
    int counter = 0;
    if (store_tokens(text, counter) == LineTokens::too_long) {
      print_too_long(static_cast<std::int32_t>(records + 1U));
      return ListEnd::failed;
    }
    if (counter > 0) {
      ++records;
      if (process_record()) return ListEnd::all_matched;
    }
  }
  return ListEnd::list_ended;
}

}  // namespace imset
