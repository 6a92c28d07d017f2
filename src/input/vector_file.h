// The vector file: up to 100 sign patterns over the 80 elementary imsets,
// one per line, read whole before the search starts.
//
// Only a token's first character counts: "+" asks for imset value zero,
// "-" for a nonzero one, anything else asks nothing. Positions a line does
// not reach keep "+". The file ends at a line "END" (its line break
// removed) or at its end; an empty line is a vector.
#pragma once

#include <array>
#include <cstdint>

#include "tables/row_set.h"

namespace imset {

inline constexpr int max_vectors = 100;

inline constexpr std::int32_t code_zero = 0;     // "+"
inline constexpr std::int32_t code_nonzero = 1;  // "-"
inline constexpr std::int32_t code_any = 2;      // anything else

using SignCodes = std::array<std::int32_t, elementary_count>;

// What a vector's line held, for a reader that warns about lines that are
// no vector lines; the checker reads them all alike.
struct VectorLine {
  std::int32_t line = 0;       // in the file; the pieces of a cut line share it
  std::int32_t tokens = 0;     // tokens the line holds
  std::int32_t odd_token = 0;  // the first token other than "+", "-" or "x", from 1; 0 if none
};

struct VectorSet {
  std::array<SignCodes, max_vectors> codes{};  // positions a line does not reach stay "+"
  std::array<VectorLine, max_vectors> lines{};
  std::int32_t count = 0;
};

// The rows of a vector with the given code.
RowSet rows_with_code(const SignCodes& codes, std::int32_t code);

enum class VectorFileStatus {
  read,              // up to "END" or the end of the file
  unreadable,        // cannot be opened, or a read failed
  too_many_vectors,  // a 101st vector line; nothing of it was stored
};

struct VectorFileResult {
  VectorFileStatus status;
  // Tokens after the 80th of a line, each passed over (trailing white
  // space counts as one more token, as it does within the 80).
  std::uint64_t ignored_values;
};

// Reads the file into vectors, which the caller hands over fresh.
VectorFileResult read_vector_file(const char* path, VectorSet& vectors);

}  // namespace imset
