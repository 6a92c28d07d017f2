// The extreme-point file: one record per line, the values of a set function
// on the 26 subsets in subset-index order. The list ends at a line "END"
// with its line break, at an empty line, or at the end of the file.
//
// The reader hands out one record at a time, as soon as its line has been
// read. A line overwrites only the values it reaches; the others keep those
// of earlier records (0 before the first), so a record carries state from
// line to line and the reader owns it.
#pragma once

#include <array>
#include <cstdint>

#include "tables/subsets.h"
#include "text/text_reader.h"

namespace imset {

inline constexpr std::size_t max_token_length = 9;

// A value token as text: at most 9 characters and a terminating zero.
using TokenSlot = std::array<char, max_token_length + 1>;
using TokenSlots = std::array<TokenSlot, subset_count>;

struct Record {
  // 1-based count of the lines read as records; wraps past 2^31 - 1 as a
  // signed 32-bit number.
  std::int32_t number = 0;
  // Each subset's token as text (empty before a line first reaches it),
  // and the number it reads as: formatted reading of a decimal integer (an
  // optional sign, then digits up to the first other character), 0 for a
  // text that holds no number.
  TokenSlots texts{};
  SetFunction values{};
  // Of the 26 values, how many this line gave itself (the rest are kept
  // from before), and whether the line was cut by the 1,023-byte read, its
  // rest coming as records of their own. The checker reads such records
  // as they come; a reader that needs whole records can refuse them.
  std::int32_t given = 0;
  bool cut = false;
};

enum class ListStatus {
  reading,         // records may follow
  ended,           // "END", an empty line or the end of the file
  unreadable,      // cannot be opened, or a read failed
  value_too_long,  // one of a line's first 26 tokens has more than 9 characters
};

class ExtremePointReader {
 public:
  // False when the file cannot be opened (status() is then unreadable).
  bool open(const char* path);
  // The next record, or nullptr once the list has ended or reading failed;
  // status() tells which. After value_too_long, the record number the
  // offending line would have had is record().number + 1.
  const Record* next();
  ListStatus status() const { return status_; }
  const Record& record() const { return record_; }

 private:
  TextReader reader_;
  LineBuffer line_;
  Record record_;
  ListStatus status_ = ListStatus::unreadable;
};

}  // namespace imset
