// The extreme-point file: one record per line, the values of a set function
// on the 26 subsets in subset-index order, kept as text in the token slots.
// The reader is the main loop of the run: it hands each record to the search
// as soon as the record's tokens are in the slots.
#pragma once

#include <array>
#include <cstdint>

#include "../tables/tables.h"

namespace imset {

inline constexpr std::size_t max_token_length = 9;

// A value token as text: at most 9 characters and a terminating zero.
using TokenSlot = std::array<char, max_token_length + 1>;
using TokenSlots = std::array<TokenSlot, subset_count>;

// The current record. A line overwrites only the slots it reaches; the others
// keep the text of earlier records (empty before the first).
extern TokenSlots token_slots;

// The number each slot's text reads as, kept with the text: formatted
// reading of a decimal integer (an optional sign, then digits up to the
// first other character); 0 for a text that holds no number.
extern std::array<std::int32_t, subset_count> token_values;

// Searches the record in token_slots; returns true when every vector has
// been matched and the run is over.
using RecordProcedure = bool (*)();

enum class ListEnd {
  list_ended,   // "END", an empty line or the end of the file
  all_matched,  // the search matched the last vector
  failed,       // a message ending in "Processing halted" was printed
};

ListEnd read_extreme_points(const char* path, RecordProcedure process_record);

}  // namespace imset
