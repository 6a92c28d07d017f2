#include "input/vector_file.h"

#include <cstring>

#include "text/text_reader.h"

namespace imset {
namespace {

std::int32_t sign_code(char c) {
  if (c == '+') return code_zero;
  if (c == '-') return code_nonzero;
  return code_any;
}

// Stores the code of each token's first character. The character after the
// last white space is classified too, even when it is the end of the line,
// so trailing white space adds one "anything" position. Returns how many
// tokens did not fit. Notes in `facts` what the line held.
std::uint64_t store_line(const char* text, SignCodes& row, VectorLine& facts) {
  const char* cursor = text;
  int position = 0;
  std::uint64_t ignored = 0;
  while (*cursor != '\0') {
    cursor = skip_white(cursor);
    if (position < elementary_count) {
      row[static_cast<std::size_t>(position++)] = sign_code(*cursor);
    } else {
      ++ignored;
    }
    const char* end = skip_token(cursor);
    if (end != cursor) {
      ++facts.tokens;
      const bool plain = end - cursor == 1 && (*cursor == '+' || *cursor == '-' || *cursor == 'x');
      if (!plain && facts.odd_token == 0) facts.odd_token = facts.tokens;
    }
    cursor = end;
  }
  return ignored;
}

}  // namespace

RowSet rows_with_code(const SignCodes& codes, std::int32_t code) {
  RowSet rows;
  for (int p = 0; p < elementary_count; ++p) {
    if (codes[static_cast<std::size_t>(p)] == code) rows.insert(p);
  }
  return rows;
}

VectorFileResult read_vector_file(const char* path, VectorSet& vectors) {
  VectorFileResult result{VectorFileStatus::read, 0};
  TextReader reader;
  if (!reader.open(path)) return {VectorFileStatus::unreadable, 0};
  vectors.count = 0;
  LineBuffer line;
  std::int32_t line_number = 1;
  for (;;) {
    const LineRead got = reader.read_line(line);
    if (got == LineRead::read_error) {
      result.status = VectorFileStatus::unreadable;
      break;
    }
    if (got == LineRead::end_of_file) break;
    char* text = line.bytes.data();
    const std::size_t length = std::strlen(text);
    const bool line_ends = line.length > 0 && text[line.length - 1] == '\n';
    if (length > 0 && text[length - 1] == '\n') text[length - 1] = '\0';
    if (std::strcmp(text, "END") == 0) break;
    if (vectors.count >= max_vectors) {
      result.status = VectorFileStatus::too_many_vectors;
      break;
    }
    VectorLine& facts = vectors.lines[static_cast<std::size_t>(vectors.count)];
    facts = {line_number, 0, 0};
    result.ignored_values += store_line(text, vectors.codes[static_cast<std::size_t>(vectors.count)], facts);
    ++vectors.count;
    if (line_ends) ++line_number;
  }
  return result;
}

}  // namespace imset
