// The functions a query is answered from: every record of an
// extreme-point file in each of its 120 renamings, in the order imset-check
// tries them (record by record, renamings in order), a function that
// appears again kept only where it first appeared. For each function its
// zero rows, and for each row the set of functions zero there as a bitset
// over the functions, 64 to a word, so that "which functions vanish on all
// of these rows" is a few passes of AND over words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tables/renamings.h"
#include "tables/row_set.h"
#include "tables/subsets.h"

namespace imset::query {

struct Ray {
  RowSet zeros;
  std::uint32_t source;   // index of the record it comes from, in load order
  std::uint8_t renaming;  // the renaming of that record that gives it
};

class RayIndex {
 public:
  // Adds every renaming of a record's values not added before.
  void add_record(std::int32_t record_number, const SetFunction& values);
  // Builds the bitsets; after it, no more records.
  void finish();

  std::size_t record_count() const { return records_.size(); }
  std::size_t size() const { return rays_.size(); }
  const Ray& ray(std::size_t i) const { return rays_[i]; }
  // Its values, formed again from the record's: 26 moves, and 100 bytes
  // less to keep for each of the 117,978 rays.
  SetFunction values(std::size_t i) const;
  // The number of the record it comes from, in its file.
  std::int32_t record_number(std::size_t i) const { return records_[rays_[i].source].number; }
  std::size_t words() const { return words_; }
  // Bit i of word w: function 64 w + i is zero at row p.
  const std::uint64_t* zero_at(int p) const { return zero_bits_.data() + static_cast<std::size_t>(p) * words_; }
  // How many functions are zero at row p.
  std::size_t zero_count(int p) const { return zero_counts_[static_cast<std::size_t>(p)]; }

 private:
  bool insert_new(const SetFunction& values);

  struct SourceRecord {
    std::int32_t number;
    SetFunction values;
  };
  std::vector<SourceRecord> records_;
  std::vector<Ray> rays_;
  std::vector<std::uint32_t> slots_;  // open addressing over rays_, by values; 0 is empty, else index + 1
  std::size_t words_ = 0;
  std::vector<std::uint64_t> zero_bits_;
  std::vector<std::size_t> zero_counts_;
};

// Loads an extreme-point file, read by imset-check's rules. Every value
// must be a decimal integer and every record supermodular (all 80 inner
// products >= 0), or the answers would not be sound: false with a message
// naming the record otherwise, and for an unreadable file or one without
// records.
bool load_rays(const std::string& path, RayIndex& index, std::string& error);

}  // namespace imset::query
