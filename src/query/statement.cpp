#include "query/statement.h"

#include "tables/imsets.h"

namespace imset::query {
namespace {

// Built by appending: GCC 12 at -O3 warns wrongly (-Wrestrict) about
// "'" + std::string, its bug 105329.
std::string shown(char c) {
  std::string text(1, '\'');
  text.append(printable(std::string_view(&c, 1))).push_back('\'');
  return text;
}

bool fail(StatementError& error, std::size_t offset, std::string message) {
  error = {offset, std::move(message)};
  return false;
}

// The element named at text[i]; `what` says what the place is for.
bool read_element(std::string_view text, std::size_t i, const std::string& what, int& element, StatementError& error) {
  if (i >= text.size()) return fail(error, i, "missing " + what);
  const char c = text[i];
  if (c >= '0' && c <= '4') {
    element = c - '0';
    return true;
  }
  if (c >= '5' && c <= '9') return fail(error, i, "unknown element " + shown(c) + ": the elements are 0 to 4");
  return fail(error, i, "expected " + what + ", got " + shown(c));
}

bool read_separator(std::string_view text, std::size_t i, char separator, const std::string& after,
                    StatementError& error) {
  if (i >= text.size()) return fail(error, i, std::string("missing '") + separator + "' after " + after);
  if (text[i] != separator) {
    return fail(error, i, std::string("expected '") + separator + "' after " + after + ", got " + shown(text[i]));
  }
  return true;
}

}  // namespace

int parse_statement(std::string_view text, StatementError& error) {
  int a = 0;
  int b = 0;
  if (!read_element(text, 0, "an element", a, error) || !read_separator(text, 1, ',', "the first element", error) ||
      !read_element(text, 2, "the second element", b, error)) {
    return -1;
  }
  if (a == b) {
    fail(error, 2, "the pair names element " + std::to_string(a) + " twice");
    return -1;
  }
  unsigned k_mask = 0;
  if (text.size() > 3 && !read_separator(text, 3, '|', "the pair", error)) return -1;
  for (std::size_t i = 4; i < text.size(); ++i) {
    int c = 0;
    if (!read_element(text, i, "an element of K", c, error)) return -1;
    if (c == a || c == b || ((k_mask >> c) & 1U) != 0) {
      fail(error, i,
           "element " + std::to_string(c) + (c == a || c == b ? " is in the pair and in K" : " appears twice in K"));
      return -1;
    }
    k_mask |= 1U << c;
  }
  return row_of_triple((1U << a) | (1U << b), k_mask);
}

std::string printable(std::string_view text, std::size_t limit) {
  static constexpr char hex[] = "0123456789ABCDEF";
  std::string shown;
  for (const char c : text.substr(0, limit)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && c != '\\') {
      shown += c;
    } else {
      shown += {'\\', 'x', hex[byte >> 4], hex[byte & 0xFU]};
    }
  }
  if (text.size() > limit) shown += "...";
  return shown;
}

std::string statement_name(int row) {
  const ElementaryTriple& t = elementary_triples[static_cast<std::size_t>(row)];
  std::string name{static_cast<char>('0' + t.a), ',', static_cast<char>('0' + t.b)};
  if (t.k_mask != 0) name += '|';
  for (int c = 0; c < ground_size; ++c) {
    if ((t.k_mask >> c) & 1U) name += static_cast<char>('0' + c);
  }
  return name;
}

}  // namespace imset::query
