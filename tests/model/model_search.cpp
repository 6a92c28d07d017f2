#include "model_search.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "input/extreme_points.h"
#include "input/vector_file.h"
#include "search/report.h"
#include "tables/tables.h"

namespace model {
namespace {

using imset::elementary_count;
using imset::subset_count;
using Variant = std::array<imset::TokenSlot, subset_count>;

std::int32_t record_number = 0;
std::array<Variant, imset::permutation_total> kept;
int kept_count = 0;

std::int32_t convert(const imset::TokenSlot& slot) {
  int value = 0;
  if (std::sscanf(slot.data(), "%d", &value) != 1) value = 0;
  return value;
}

std::int32_t wrapped_inner_product(const std::array<std::int32_t, subset_count>& values, int row) {
  std::int64_t sum = 0;
  for (int k = 0; k < subset_count; ++k) {
    sum += static_cast<std::int64_t>(values[k]) * imset::elementary_table[row][k];
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(sum)));
}

bool check_variant(const Variant& variant) {
  std::array<std::int32_t, subset_count> values{};
  for (int k = 0; k < subset_count; ++k) values[k] = convert(variant[k]);
  std::array<std::int32_t, elementary_count> imset{};
  for (int p = 0; p < elementary_count; ++p) imset[p] = wrapped_inner_product(values, p);

  imset::VectorSet& vs = imset::vector_set;
  for (int v = 0; v < vs.count; ++v) {
    if (vs.found[v] != 0) continue;
    const imset::SignCodes& codes = vs.codes[v];
    bool failed = false;
    for (int p = 0; p < elementary_count && !failed; ++p) failed = codes[p] == 1 && imset[p] == 0;
    for (int p = 0; p < elementary_count && !failed; ++p) failed = codes[p] == 0 && imset[p] != 0;
    if (failed) continue;
    std::printf("Hold your horses: this is not good\n");
    std::printf("Vector (%d):", v + 1);
    for (int p = 0; p < elementary_count; ++p) std::printf("%s", codes[p] == 0 ? "+" : codes[p] == 1 ? "-" : "0");
    std::printf("\nImset: ");
    for (int p = 0; p < elementary_count; ++p) std::printf(" %d", imset[p]);
    std::printf("\nPermutation: (record nr %d) ", record_number);
    for (int k = 0; k < subset_count; ++k) std::printf("%d ", values[k]);
    std::printf("\n");
    vs.found[v] = 1;
    ++vs.found_count;
    if (vs.found_count == vs.count) return true;
  }
  return false;
}

bool equal_variants(const Variant& a, const Variant& b) {
  for (int k = 0; k < subset_count; ++k) {
    if (std::strcmp(a[k].data(), b[k].data()) != 0) return false;
  }
  return true;
}

}  // namespace

void prepare_search() {
  // Reports are printed with printf; what the run's writer holds goes first.
  imset::flush_output();
}

bool process_record() {
  ++record_number;
  kept_count = 0;
  for (int j = 0; j < imset::permutation_count; ++j) {
    Variant variant{};
    for (int k = 0; k < subset_count; ++k) variant[imset::permutation_map[j][k]] = imset::token_slots[k];
    bool repeated = false;
    for (int i = 0; i < kept_count && !repeated; ++i) repeated = equal_variants(kept[i], variant);
    if (repeated) continue;
    if (check_variant(variant)) return true;
    kept[kept_count++] = variant;
  }
  return false;
}

}  // namespace model
