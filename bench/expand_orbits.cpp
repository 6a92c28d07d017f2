// Writes every distinct renaming of each orbit representative in an
// extreme-point file: the set function renamed by each of the 120
// renamings of the ground set, formed the way the checker renames records,
// with repeated ones (from renamings that fix the function) written once. From the orbit representatives of the extreme
// rays this gives the full list of rays, one per line, 26 integers apart by one blank.
//
// Usage: expand_orbits REPRESENTATIVES > FULL_LIST
// The number of lines written goes to standard error.
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <system_error>

#include "tables/renamings.h"

namespace {

using imset::SetFunction;
using imset::subset_count;

// Reads one line of 26 integers; false for anything else (a blank line or
// "END" ends the list, as for the checker).
bool parse_record(const std::string& line, SetFunction& values, bool& list_end) {
  list_end = line.empty() || line == "END" || line == "\r" || line == "END\r";
  if (list_end) return true;
  const char* p = line.data();
  const char* const end = p + line.size();
  const auto skip_blanks = [&] {
    while (p != end && (*p == ' ' || *p == '\t' || *p == '\r')) ++p;
  };
  for (std::size_t k = 0; k < subset_count; ++k) {
    skip_blanks();
    const auto [next, error] = std::from_chars(p, end, values[k]);
    if (error != std::errc{}) return false;
    p = next;
  }
  skip_blanks();
  return p == end;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: " << (argc > 0 ? argv[0] : "expand_orbits") << " REPRESENTATIVES\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::cerr << "expand_orbits: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::ios::sync_with_stdio(false);
  std::string line;
  std::string out;
  long line_number = 0;
  long written = 0;
  while (std::getline(in, line)) {
    ++line_number;
    SetFunction values{};
    bool list_end = false;
    if (!parse_record(line, values, list_end)) {
      std::cerr << "expand_orbits: line " << line_number << " is not 26 integers\n";
      return 1;
    }
    if (list_end) break;
    // A function fixed by some renamings has fewer than 120 distinct
    // renamings; each is written once, in the order of the first renaming
    // giving it.
    std::set<SetFunction> seen;
    for (std::size_t j = 0; j < imset::renaming_count; ++j) {
      const SetFunction renamed = imset::renamed_values(values, j);
      if (!seen.insert(renamed).second) continue;
      out.clear();
      for (std::size_t k = 0; k < subset_count; ++k) {
        if (k > 0) out += ' ';
        out += std::to_string(renamed[k]);
      }
      out += '\n';
      std::cout << out;
      ++written;
    }
  }
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "expand_orbits: cannot write the output\n";
    return 1;
  }
  std::cerr << written << "\n";
  return 0;
}
