// Prints the two tables of imset-check(1) from the program's own tables, one
// "table index;entry" line per row entry: the 80 positions as a,b|K and the
// 26 subsets as {..}. check-tables.sh compares them with the page.
#include <cstddef>
#include <cstdio>

#include "tables/imsets.h"

int main() {
  for (std::size_t p = 0; p < imset::elementary_count; ++p) {
    const imset::ElementaryTriple& t = imset::elementary_triples[p];
    std::printf("pos %zu;%d,%d", p, t.a, t.b);
    if (t.k_mask != 0U) std::putchar('|');
    for (int c = 0; c < imset::ground_size; ++c) {
      if (((t.k_mask >> c) & 1U) != 0U) std::putchar('0' + c);
    }
    std::putchar('\n');
  }
  for (int s = 0; s < imset::subset_count; ++s) {
    const unsigned mask = imset::subset_masks[static_cast<std::size_t>(s)];
    std::printf("index %d;{", s);
    const char* separator = "";
    for (int c = 0; c < imset::ground_size; ++c) {
      if (((mask >> c) & 1U) != 0U) {
        std::printf("%s%d", separator, c);
        separator = ",";
      }
    }
    std::printf("}\n");
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
