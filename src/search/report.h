// Everything the checker prints goes through one buffered writer on
// standard output. If standard output cannot be written, the process says so
// in one line on standard error and ends with status 1.
#pragma once

#include <cstdint>
#include <string_view>

#include "../input/vector_file.h"
#include "../tables/tables.h"

namespace imset {

void write_text(std::string_view text);
void write_char(char c);
void write_int(std::int32_t value);
// Writes out everything buffered; ends the process if that fails.
void flush_output();

// The four-line counter-example report for vector number vector_index + 1.
void print_report(int vector_index, const SignCodes& codes, const ImsetValues& imset, std::int32_t record_number,
                  const SetFunction& variant_values);

}  // namespace imset
