// Input text as a message can show it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace imset {

// Printable ASCII as it is, every other byte as \xNN, cut after `limit`
// bytes with "...".
std::string printable(std::string_view text, std::size_t limit = 16);

// The same in single quotes.
std::string quoted(std::string_view text, std::size_t limit = 16);

// The character that starts at text[i], quoted for a message: "'x'" for
// printable ASCII, "'−' (U+2212)" for a whole UTF-8 character, "'\xFF'" for
// a byte that starts none. A character that looks like one the syntax
// knows (a minus sign, a full-width comma) says which to write instead.
std::string shown_character(std::string_view text, std::size_t i);

}  // namespace imset
