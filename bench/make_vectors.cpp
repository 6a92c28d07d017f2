// Seeded vector files for timing the checker, 100 sign vectors over the 80
// elementary imsets ("+" zero, "-" nonzero, "x" anything), one per line.
//
// Usage: make_vectors KIND SEED REPRESENTATIVES
//   never      near misses: each vector asks for zero on the zero set Z of an
//              renaming w of an extreme ray plus one row p where w is not
//              zero ("-" or "x" on the other rows). Every supermodular
//              function vanishing on Z lies in the face that Z cuts out of
//              the cone, which is the ray of w alone, and w is not zero at p;
//              so no extreme ray can match and every record is searched to
//              the end. The vectors still pass any test by counts of zeros,
//              as real rays with more zeros exist. The benchmark script
//              checks on the full list that nothing matches.
//   half       50 vectors read off a renamed orbit representative, loosened
//              at random positions, so each one matches somewhere in the full
//              list; the other 50 as for "never", in a seeded order.
//   one-minus  each vector asks for one nonzero value at a seeded position,
//              "x" elsewhere: nearly every record satisfies it.
#include <algorithm>
#include <charconv>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "tables/imsets.h"
#include "tables/renamings.h"

namespace {

using imset::elementary_count;
using imset::SetFunction;
using imset::subset_count;

constexpr int vector_total = 100;

class Maker {
 public:
  explicit Maker(unsigned seed) : random_(seed) {}

  int below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
  bool chance(int percent) { return below(100) < percent; }
  std::mt19937& engine() { return random_; }

  std::string never_matching(const SetFunction& record) {
    const imset::ImsetValues values = imset::imset_values(renamed(record));
    std::vector<std::size_t> nonzero_rows;
    for (std::size_t p = 0; p < elementary_count; ++p) {
      if (values[p] != 0) nonzero_rows.push_back(p);
    }
    const std::size_t extra_zero = nonzero_rows[static_cast<std::size_t>(below(static_cast<int>(nonzero_rows.size())))];
    std::vector<char> signs(elementary_count, 'x');
    for (std::size_t p = 0; p < elementary_count; ++p) {
      if (values[p] == 0 || p == extra_zero) {
        signs[p] = '+';
      } else if (chance(40)) {
        signs[p] = '-';
      }
    }
    return joined(signs);
  }

  // The zero pattern of one renaming of the record, with about a third
  // of the positions set free.
  std::string matching(const SetFunction& record) {
    const imset::ImsetValues values = imset::imset_values(renamed(record));
    std::vector<char> signs(elementary_count, 'x');
    for (std::size_t p = 0; p < elementary_count; ++p) {
      if (!chance(35)) signs[p] = values[p] == 0 ? '+' : '-';
    }
    return joined(signs);
  }

  std::string one_nonzero() {
    std::vector<char> signs(elementary_count, 'x');
    signs[static_cast<std::size_t>(below(elementary_count))] = '-';
    return joined(signs);
  }

 private:
  // The record renamed by a seeded renaming, as the checker renames records.
  SetFunction renamed(const SetFunction& record) {
    return imset::renamed_values(record, static_cast<std::size_t>(below(imset::renaming_count)));
  }

  static std::string joined(const std::vector<char>& signs) {
    std::string line;
    for (const char c : signs) {
      if (!line.empty()) line += ' ';
      line += c;
    }
    return line;
  }

  std::mt19937 random_;
};

bool read_records(const char* path, std::vector<SetFunction>& records) {
  std::ifstream in(path);
  std::string line;
  while (in && std::getline(in, line)) {
    if (line.empty() || line == "END") break;
    SetFunction values{};
    const char* p = line.data();
    const char* const end = p + line.size();
    for (std::size_t k = 0; k < subset_count; ++k) {
      while (p != end && (*p == ' ' || *p == '\t')) ++p;
      const auto [next, error] = std::from_chars(p, end, values[k]);
      if (error != std::errc{}) return false;
      p = next;
    }
    records.push_back(values);
  }
  return !records.empty();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string usage = "usage: make_vectors never|half|one-minus SEED REPRESENTATIVES\n";
  if (argc < 3) {
    std::cerr << usage;
    return 2;
  }
  const std::string kind = argv[1];
  Maker make(static_cast<unsigned>(std::stoul(argv[2])));
  std::vector<SetFunction> records;
  if (argc < 4 || !read_records(argv[3], records)) {
    std::cerr << "make_vectors: cannot read records from the third argument\n" << usage;
    return 2;
  }
  const auto any_record = [&]() -> const SetFunction& {
    return records[static_cast<std::size_t>(make.below(static_cast<int>(records.size())))];
  };
  std::vector<std::string> lines;
  if (kind == "never") {
    for (int i = 0; i < vector_total; ++i) lines.push_back(make.never_matching(any_record()));
  } else if (kind == "one-minus") {
    for (int i = 0; i < vector_total; ++i) lines.push_back(make.one_nonzero());
  } else if (kind == "half") {
    for (int i = 0; i < vector_total; ++i) {
      lines.push_back(i % 2 == 0 ? make.matching(any_record()) : make.never_matching(any_record()));
    }
    std::shuffle(lines.begin(), lines.end(), make.engine());
  } else {
    std::cerr << usage;
    return 2;
  }
  for (const std::string& line : lines) std::cout << line << '\n';
  return std::cout ? 0 : 1;
}
