#include "text/printable.h"

#include <array>
#include <cstdint>
#include <utility>

namespace imset {
namespace {

constexpr char hex_digits[] = "0123456789ABCDEF";

// Characters mistaken for ASCII ones, often pasted from typeset text.
constexpr std::array<std::pair<std::uint32_t, char>, 12> lookalikes{{
    {0x2212, '-'},  // minus sign
    {0x2010, '-'},  // hyphen
    {0x2013, '-'},  // en dash
    {0x2014, '-'},  // em dash
    {0xFF0D, '-'},  // full-width hyphen-minus
    {0xFF0B, '+'},  // full-width plus
    {0xFF0C, ','},  // full-width comma
    {0x3001, ','},  // ideographic comma
    {0xFF5C, '|'},  // full-width vertical line
    {0x2223, '|'},  // divides
    {0x00A0, ' '},  // no-break space
    {0x3000, ' '},  // ideographic space
}};

// The code point of the well-formed UTF-8 character at text[i] and its
// length in bytes; length 0 when the bytes there are not one.
std::pair<std::uint32_t, std::size_t> decode(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  std::uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1FU;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0FU;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07U;
  } else {
    return {0, 0};
  }
  if (i + length > text.size()) return {0, 0};
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0U) != 0x80U) return {0, 0};
    code = (code << 6) | (byte(i + k) & 0x3FU);
  }
  const std::uint32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {0, 0};
  return {code, length};
}

// Characters that show as nothing, or as a plain blank, in a message.
bool invisible(std::uint32_t code) {
  return code < 0xA1 || code == 0xAD || (code >= 0x2000 && code <= 0x200F) || (code >= 0x2028 && code <= 0x202F) ||
         (code >= 0x205F && code <= 0x206F) || code == 0x3000 || code == 0xFEFF;
}

}  // namespace

std::string printable(std::string_view text, std::size_t limit) {
  std::string shown;
  for (const char c : text.substr(0, limit)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && c != '\\') {
      shown += c;
    } else {
      shown += {'\\', 'x', hex_digits[byte >> 4], hex_digits[byte & 0xFU]};
    }
  }
  if (text.size() > limit) shown += "...";
  return shown;
}

// Built by appending: GCC 12 at -O3 warns wrongly (-Wrestrict) about
// "'" + std::string, its bug 105329.
std::string quoted(std::string_view text, std::size_t limit) {
  return std::string(1, '\'').append(printable(text, limit)).append(1, '\'');
}

std::string shown_character(std::string_view text, std::size_t i) {
  const auto [code, length] = decode(text, i);
  if (length == 0) return quoted(text.substr(i, 1));
  std::string shown(1, '\'');
  std::string code_point = "U+";
  for (int shift = code > 0xFFFF ? 20 : 12; shift >= 0; shift -= 4) code_point += hex_digits[(code >> shift) & 0xFU];
  if (invisible(code)) {
    shown = code_point + ", an invisible character";
  } else {
    shown.append(text.substr(i, length)).append("' (").append(code_point).append(")");
  }
  for (const auto& [similar, ascii] : lookalikes) {
    if (similar != code) continue;
    if (ascii == ' ') {
      shown.append("; write a plain space");
    } else {
      shown.append("; write '").append(1, ascii).append("'");
    }
  }
  return shown;
}

}  // namespace imset
