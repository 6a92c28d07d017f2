// The vector file: up to 100 sign patterns over the 80 elementary imsets,
// one per line, read whole before the search starts.
#pragma once

#include <array>
#include <cstdint>

#include "../tables/tables.h"

namespace imset {

inline constexpr int max_vectors = 100;

// Sign codes per elementary row: "+" asks for imset value zero, "-" for a
// nonzero value, anything else asks nothing.
inline constexpr std::int32_t code_zero = 0;
inline constexpr std::int32_t code_nonzero = 1;
inline constexpr std::int32_t code_any = 2;

using SignCodes = std::array<std::int32_t, elementary_count>;

struct VectorSet {
  std::array<SignCodes, max_vectors> codes{};  // positions a line does not reach stay "+"
  std::int32_t count = 0;
  std::array<std::int32_t, max_vectors> found{};
  std::int32_t found_count = 0;
};

extern VectorSet vector_set;

// Reads the file into vector_set. Prints the reader's message and returns
// false when the run has to end (unreadable file, more than 100 vectors).
bool read_vector_file(const char* path);

}  // namespace imset
