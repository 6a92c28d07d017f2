#include "vector_file.h"

#include <cstring>

#include "../search/report.h"
#include "text_reader.h"

namespace imset {

VectorSet vector_set;

namespace {

std::int32_t sign_code(char c) {
  if (c == '+') return code_zero;
  if (c == '-') return code_nonzero;
  return code_any;
}

// Stores the code of each token's first character. The character after the
// last white space is classified too, even when it is the end of the line,
// so trailing white space adds one "anything" position.
void store_line(const char* text, SignCodes& row) {
  const char* cursor = text;
  int position = 0;
  while (*cursor != '\0') {
    cursor = skip_white(cursor);
    if (position < elementary_count) {
      row[static_cast<std::size_t>(position++)] = sign_code(*cursor);
    } else {
      write_text("Too many values in vector file. Only 80 expected. Ignored\n");
    }
    cursor = skip_token(cursor);
  }
}

}  // namespace

bool read_vector_file(const char* path) {
  TextReader reader;
  if (!reader.open(path)) {
    print_unreadable(path);
    return false;
  }
  vector_set.count = 0;
  LineBuffer line;
  for (;;) {
    const LineRead got = reader.read_line(line);
    if (got == LineRead::read_error) {
      print_unreadable(path);
      return false;
    }
    if (got == LineRead::end_of_file) break;
    char* text = line.bytes.data();
    const std::size_t length = std::strlen(text);
    if (length > 0 && text[length - 1] == '\n') text[length - 1] = '\0';
    if (std::strcmp(text, "END") == 0) break;
    if (vector_set.count >= max_vectors) {
      write_text("Too many vectors in vector file. Only 100 expected. Processing halted\n");
      return false;
    }
    store_line(text, vector_set.codes[static_cast<std::size_t>(vector_set.count)]);
    ++vector_set.count;
  }
  return true;
}

}  // namespace imset
