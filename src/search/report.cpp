#include "report.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace imset {
namespace {

std::array<char, 1 << 16> output_buffer;
std::size_t output_used = 0;

[[noreturn]] void fail_output() {
  // Standard error is the last channel left; if it fails too, the status still tells.
  (void)std::fputs("imset-check: cannot write to standard output\n", stderr);
  std::exit(1);
}

void drain() {
  if (output_used == 0) return;
  if (std::fwrite(output_buffer.data(), 1, output_used, stdout) != output_used) fail_output();
  output_used = 0;
  if (std::fflush(stdout) != 0) fail_output();
}

}  // namespace

void write_text(std::string_view text) {
  while (!text.empty()) {
    if (output_used == output_buffer.size()) drain();
    const std::size_t n = std::min(text.size(), output_buffer.size() - output_used);
    std::memcpy(output_buffer.data() + output_used, text.data(), n);
    output_used += n;
    text.remove_prefix(n);
  }
}

void write_char(char c) {
  if (output_used == output_buffer.size()) drain();
  output_buffer[output_used++] = c;
}

void write_int(std::int32_t value) {
  std::array<char, 12> digits{};
  std::size_t start = digits.size();
  // Negate in unsigned arithmetic so the most negative value needs no care.
  std::uint32_t magnitude = static_cast<std::uint32_t>(value);
  if (value < 0) magnitude = 0U - magnitude;
  do {
    digits[--start] = static_cast<char>('0' + magnitude % 10U);
    magnitude /= 10U;
  } while (magnitude != 0U);
  if (value < 0) digits[--start] = '-';
  write_text(std::string_view(digits.data() + start, digits.size() - start));
}

void flush_output() { drain(); }

void print_report(int vector_index, const SignCodes& codes, const ImsetValues& imset, std::int32_t record_number,
                  const SetFunction& variant_values) {
  write_text("Hold your horses: this is not good\nVector (");
  write_int(vector_index + 1);
  write_text("):");
  for (const std::int32_t code : codes) write_char(code == 0 ? '+' : code == 1 ? '-' : '0');
  write_text("\nImset: ");
  for (const std::int32_t value : imset) {
    write_char(' ');
    write_int(value);
  }
  write_text("\nPermutation: (record nr ");
  write_int(record_number);
  write_text(") ");
  for (const std::int32_t value : variant_values) {
    write_int(value);
    write_char(' ');
  }
  write_char('\n');
}

}  // namespace imset
