// Conditional-independence statements by name: "a,b|K" is the elementary
// imset of row p, with K's elements run together ("0,1|23"), "a,b" or
// "a,b|" for empty K. The order inside the pair and inside K does not
// matter. The canonical name has a < b and K ascending, and no "|" for
// empty K.
#pragma once

#include <string>
#include <string_view>

namespace imset::query {

struct StatementError {
  std::size_t offset = 0;  // within the statement's text
  std::string message;
};

// The row of a statement's name; -1 with the error filled in otherwise.
int parse_statement(std::string_view text, StatementError& error);

std::string statement_name(int row);

// Text from the input as a message can show it: printable ASCII as it is,
// every other byte as \xNN, cut after `limit` bytes with "...".
std::string printable(std::string_view text, std::size_t limit = 16);

}  // namespace imset::query
