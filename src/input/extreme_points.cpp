#include "input/extreme_points.h"

#include <cstring>

namespace imset {
namespace {

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Copies the first 26 tokens of a line into the record's slots and counts
// the places visited. The end of the line after white space is such a place
// too, with nothing stored, so a line of only white space still counts as a
// record. Each token's number is read in the same pass over its characters.
// False when a token that would be stored is too long.
bool store_tokens(const char* text, Record& record, int& counter) {
  const char* cursor = text;
  counter = 0;
  record.given = 0;
  while (*cursor != '\0') {
    const char* start = skip_white(cursor);
    const char* digits = start + static_cast<int>(*start == '+' || *start == '-');
    std::uint32_t magnitude = 0;  // wraps harmlessly on tokens too long to keep
    for (; is_digit(*digits); ++digits) magnitude = magnitude * 10U + static_cast<std::uint32_t>(*digits - '0');
    cursor = skip_token(digits);
    if (counter < subset_count) {
      const auto length = static_cast<std::size_t>(cursor - start);
      if (length > max_token_length) return false;
      if (length > 0) {
        // A whole slot's width is copied at once (the line buffer has room
        // past its end); the terminating zero then cuts it to the token.
        const auto slot = static_cast<std::size_t>(counter);
        std::memcpy(record.texts[slot].data(), start, record.texts[slot].size());
        record.texts[slot][length] = '\0';
        record.values[slot] = static_cast<std::int32_t>(*start == '-' ? 0U - magnitude : magnitude);
        ++record.given;
      }
      ++counter;
    }
  }
  return true;
}

}  // namespace

bool ExtremePointReader::open(const char* path) {
  record_ = Record{};
  status_ = reader_.open(path) ? ListStatus::reading : ListStatus::unreadable;
  return status_ == ListStatus::reading;
}

const Record* ExtremePointReader::next() {
  while (status_ == ListStatus::reading) {
    const LineRead got = reader_.read_line(line_);
    if (got == LineRead::read_error) {
      status_ = ListStatus::unreadable;
      break;
    }
    const char* text = line_.text();
    if (got == LineRead::end_of_file || std::strcmp(text, "END\n") == 0 || std::strcmp(text, "\n") == 0) {
      status_ = ListStatus::ended;
      break;
    }
    int counter = 0;
    if (!store_tokens(text, record_, counter)) {
      status_ = ListStatus::value_too_long;
      break;
    }
    if (counter > 0) {
      record_.cut = line_.length == max_line_read && line_.bytes[max_line_read - 1] != '\n';
      record_.number = static_cast<std::int32_t>(static_cast<std::uint32_t>(record_.number) + 1U);
      return &record_;
    }
  }
  reader_.close();
  return nullptr;
}

}  // namespace imset
