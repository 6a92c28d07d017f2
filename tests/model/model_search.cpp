#include "model_search.h"

#include <cstdio>
#include <cstring>

#include "tables/imsets.h"
#include "tables/renamings.h"

namespace model {
namespace {

using imset::elementary_count;
using imset::subset_count;

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

bool equal_texts(const imset::TokenSlots& a, const imset::TokenSlots& b) {
  for (int k = 0; k < subset_count; ++k) {
    if (std::strcmp(a[k].data(), b[k].data()) != 0) return false;
  }
  return true;
}

}  // namespace

void ModelSearch::prepare(const imset::VectorSet& vectors) {
  vectors_ = &vectors;
  found_.fill(false);
  found_count_ = 0;
}

bool ModelSearch::check_renamed(const RenamedTexts& renamed, int j, imset::Matches& matches) {
  std::array<std::int32_t, subset_count> values{};
  for (int k = 0; k < subset_count; ++k) values[k] = convert(renamed[k]);
  std::array<std::int32_t, elementary_count> imset{};
  for (int p = 0; p < elementary_count; ++p) imset[p] = wrapped_inner_product(values, p);

  for (int v = 0; v < vectors_->count; ++v) {
    if (found_[v]) continue;
    const imset::SignCodes& codes = vectors_->codes[v];
    bool failed = false;
    for (int p = 0; p < elementary_count && !failed; ++p) failed = codes[p] == 1 && imset[p] == 0;
    for (int p = 0; p < elementary_count && !failed; ++p) failed = codes[p] == 0 && imset[p] != 0;
    if (failed) continue;
    matches.add(v, j);
    found_[v] = true;
    ++found_count_;
    if (found_count_ == vectors_->count) return true;
  }
  return false;
}

bool ModelSearch::search(const imset::Record& record, imset::Matches& matches) {
  matches.clear();
  int kept_count = 0;
  for (int j = 0; j < imset::renaming_count; ++j) {
    RenamedTexts renamed{};
    for (int k = 0; k < subset_count; ++k) renamed[imset::subset_image[j][k]] = record.texts[k];
    bool repeated = false;
    for (int i = 0; i < kept_count && !repeated; ++i) repeated = equal_texts(kept_[i], renamed);
    if (repeated) continue;
    if (check_renamed(renamed, j, matches)) return true;
    kept_[kept_count++] = renamed;
  }
  return false;
}

}  // namespace model
