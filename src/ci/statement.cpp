#include "ci/statement.h"

namespace imset::ci {
namespace {

void append_set(std::string& text, Mask set, const Variables& variables, const char* separator) {
  const char* between = "";
  for (Mask rest = set; rest != 0; rest &= rest - 1) {
    text.append(between).append(variables.name(std::countr_zero(rest)));
    between = separator;
  }
}

}  // namespace

std::string statement_text(const Statement& s, const Variables& variables) {
  std::string text;
  const bool compact = variables.single_characters();
  const char* separator = compact ? "" : ", ";
  append_set(text, s.a, variables, separator);
  text += compact ? "," : " _||_ ";
  append_set(text, s.b, variables, separator);
  if (s.c != 0) {
    text += compact ? "|" : " | ";
    append_set(text, s.c, variables, separator);
  }
  return text;
}

}  // namespace imset::ci
