#include "query/ray_index.h"

#include <algorithm>
#include <array>
#include <bit>

#include "input/extreme_points.h"
#include "query/statement.h"
#include "tables/imsets.h"
#include "tables/renamings.h"
#include "text/printable.h"

namespace imset::query {
namespace {

std::uint64_t hash_of(const SetFunction& values) {
  std::uint64_t h = 0x9E3779B97F4A7C15ULL;
  for (const std::int32_t v : values) h = (h ^ static_cast<std::uint32_t>(v)) * 0xC2B2AE3D27D4EB4FULL;
  return h ^ (h >> 29);
}

// Renaming a set of rows a nibble at a time: the image of the set is the
// union of the images of its 20 nibbles, looked up per renaming. Built once
// (120 x 20 x 16 sets, 600 KB), it makes start-up several times faster
// than renaming row by row.
class NibbleRenamer {
 public:
  NibbleRenamer() : images_(renaming_count * nibbles * 16) {
    for (std::size_t j = 0; j < renaming_count; ++j) {
      for (std::size_t n = 0; n < nibbles; ++n) {
        for (std::size_t bits = 1; bits < 16; ++bits) {
          RowSet rows;
          for (std::size_t b = 0; b < 4; ++b) {
            if ((bits >> b) & 1U) rows.insert(static_cast<int>(4 * n + b));
          }
          images_[(j * nibbles + n) * 16 + bits] = renamed_rows(rows, j);
        }
      }
    }
  }

  RowSet rename(const RowSet& rows, std::size_t j) const {
    const RowSet* table = &images_[j * nibbles * 16];
    RowSet image;
    for (std::size_t n = 0; n < nibbles; ++n, table += 16) {
      const std::uint64_t word = n < 16 ? rows.low : rows.high;
      image = image | table[(word >> (4 * (n % 16))) & 0xFU];
    }
    return image;
  }

 private:
  static constexpr std::size_t nibbles = elementary_count / 4;
  std::vector<RowSet> images_;
};

// Bit i of word r of the result is bit r of word i of the 64 words.
void transpose(std::array<std::uint64_t, 64>& words) {
  std::uint64_t mask = 0x00000000FFFFFFFFULL;
  for (std::size_t width = 32; width != 0; width >>= 1, mask ^= mask << width) {
    for (std::size_t k = 0; k < 64; k = (k + width + 1) & ~width) {
      const std::uint64_t t = ((words[k] >> width) ^ words[k + width]) & mask;
      words[k] ^= t << width;
      words[k + width] ^= t;
    }
  }
}

bool is_decimal_integer(const char* text) {
  if (*text == '+' || *text == '-') ++text;
  if (*text == '\0') return false;
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') return false;
  }
  return true;
}

}  // namespace

bool RayIndex::insert_new(const SetFunction& values) {
  // Kept at most half full: grown before an insertion could pass that.
  if (slots_.size() < 2 * (rays_.size() + 1)) {
    std::vector<std::uint32_t> grown(std::max<std::size_t>(1024, 4 * slots_.size()));
    const std::size_t mask = grown.size() - 1;
    for (std::size_t i = 0; i < rays_.size(); ++i) {
      std::size_t s = hash_of(this->values(i)) & mask;
      while (grown[s] != 0) s = (s + 1) & mask;
      grown[s] = static_cast<std::uint32_t>(i + 1);
    }
    slots_.swap(grown);
  }
  const std::size_t mask = slots_.size() - 1;
  std::size_t s = hash_of(values) & mask;
  for (; slots_[s] != 0; s = (s + 1) & mask) {
    if (this->values(slots_[s] - 1) == values) return false;
  }
  slots_[s] = static_cast<std::uint32_t>(rays_.size() + 1);
  return true;
}

void RayIndex::add_record(std::int32_t record_number, const SetFunction& values) {
  static const NibbleRenamer renamer;
  const auto source = static_cast<std::uint32_t>(records_.size());
  records_.push_back({record_number, values});
  const RowSet zeros = vanishing_rows(values);
  for (std::size_t j = 0; j < renaming_count; ++j) {
    if (insert_new(renamed_values(values, j)))
      rays_.push_back({renamer.rename(zeros, j), source, static_cast<std::uint8_t>(j)});
  }
}

SetFunction RayIndex::values(std::size_t i) const {
  return renamed_values(records_[rays_[i].source].values, rays_[i].renaming);
}

void RayIndex::finish() {
  slots_ = {};  // the look-up by values is done with
  words_ = (rays_.size() + 63) / 64;
  zero_bits_.assign(words_ * elementary_count, 0);
  zero_counts_.assign(elementary_count, 0);
  // 64 rays at a time: their zero rows as 64 words of rows, transposed
  // into a word of rays for each row.
  std::array<std::uint64_t, 64> low{};
  std::array<std::uint64_t, 64> high{};
  for (std::size_t w = 0; w < words_; ++w) {
    for (std::size_t i = 0; i < 64; ++i) {
      const std::size_t r = 64 * w + i;
      low[i] = r < rays_.size() ? rays_[r].zeros.low : 0;
      high[i] = r < rays_.size() ? rays_[r].zeros.high : 0;
    }
    transpose(low);
    transpose(high);
    for (std::size_t p = 0; p < elementary_count; ++p) {
      const std::uint64_t bits = p < 64 ? low[p] : high[p - 64];
      zero_bits_[p * words_ + w] = bits;
      zero_counts_[p] += static_cast<std::size_t>(std::popcount(bits));
    }
  }
}

bool load_rays(const std::string& path, RayIndex& index, std::string& error) {
  ExtremePointReader reader;
  reader.open(path.c_str());
  while (const Record* record = reader.next()) {
    // imset-check would take missing values from the record before, and
    // the rest of a cut line as records: neither is the function meant.
    if (record->cut) {
      error = path + ": record " + std::to_string(record->number) +
              ": its line has 1,023 bytes or more, and imset-check reads what follows them as further records";
      return false;
    }
    if (record->given < static_cast<std::int32_t>(subset_count)) {
      error = path + ": record " + std::to_string(record->number) + " has " + std::to_string(record->given) +
              " values, not 26";
      return false;
    }
    for (std::size_t k = 0; k < subset_count; ++k) {
      if (!is_decimal_integer(record->texts[k].data())) {
        error = path + ": record " + std::to_string(record->number) + ": the value on subset index " +
                std::to_string(k) + " is '" + printable(record->texts[k].data()) + "', not a decimal integer";
        return false;
      }
    }
    std::array<std::int64_t, subset_count> wide{};
    std::copy(record->values.begin(), record->values.end(), wide.begin());
    const auto products = exact_imset_values(wide);
    for (int p = 0; p < elementary_count; ++p) {
      if (products[static_cast<std::size_t>(p)] < 0) {
        error = path + ": record " + std::to_string(record->number) + " is not supermodular: its inner product with " +
                row_name(p) + " is " + std::to_string(products[static_cast<std::size_t>(p)]);
        return false;
      }
    }
    index.add_record(record->number, record->values);
  }
  switch (reader.status()) {
    case ListStatus::unreadable:
      error = "cannot read " + path;
      return false;
    case ListStatus::value_too_long:
      error = path + ": record " + std::to_string(std::int64_t{reader.record().number} + 1) +
              ": a value has more than 9 characters";
      return false;
    case ListStatus::ended:
    case ListStatus::reading:
      break;
  }
  if (index.record_count() == 0) {
    error = path + ": no records";
    return false;
  }
  index.finish();
  return true;
}

}  // namespace imset::query
