#include "extreme_points.h"

#include <cstring>

#include "../search/report.h"
#include "text_reader.h"

namespace imset {

TokenSlots token_slots{};

namespace {

void print_unreadable(const char* path) {
  write_text("Could not read from file ");
  write_text(path);
  write_text(". Processing halted.\n");
}

void print_too_long(std::int32_t record_number) {
  write_text("Value too long in extreme-point file (record nr ");
  write_int(record_number);
  write_text("). Only 9 characters expected. Processing halted\n");
}

const char* skip_white(const char* p) {
  while (is_white(*p)) ++p;
  return p;
}

const char* skip_token(const char* p) {
  while (*p != '\0' && !is_white(*p)) ++p;
  return p;
}

enum class LineTokens { stored, too_long };

// Copies the first 26 tokens of a line into their slots and counts the
// places visited. The end of the line after white space is such a place too,
// with nothing stored, so a line of only white space still counts as a record.
LineTokens store_tokens(const char* text, int& counter) {
  const char* cursor = text;
  counter = 0;
  while (*cursor != '\0') {
    if (counter < subset_count) {
      const char* start = skip_white(cursor);
      const char* end = skip_token(start);
      const auto length = static_cast<std::size_t>(end - start);
      if (length > max_token_length) return LineTokens::too_long;
      if (length > 0) {
        TokenSlot& slot = token_slots[static_cast<std::size_t>(counter)];
        std::memcpy(slot.data(), start, length);
        slot[length] = '\0';
      }
      ++counter;
    }
    cursor = skip_token(skip_white(cursor));
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
