#include "lp/exact_system.h"

#include <algorithm>
#include <limits>

namespace imset::lp {
namespace {

using Entries = std::vector<std::pair<int, mpq_class>>;  // sorted by column

const mpq_class* find(const Entries& row, int column) {
  const auto at =
      std::lower_bound(row.begin(), row.end(), column, [](const auto& entry, int c) { return entry.first < c; });
  return at != row.end() && at->first == column ? &at->second : nullptr;
}

// Gaussian elimination in rationals with the pivot chosen, at each step,
// in a shortest remaining row and, within it, in the column shared with
// the fewest other rows: on the LP's bases most rows are short and most
// columns rare, so eliminations rarely fill a row in.
class Elimination {
 public:
  Elimination(std::span<const SparseRow> rows, std::span<const mpq_class> b)
      : size_(rows.size()), rows_(size_), b_(b.begin(), b.end()), column_count_(size_, 0), rows_of_(size_) {
    for (std::size_t r = 0; r < size_; ++r) {
      for (const auto& [column, value] : rows[r]) {
        if (value == 0) continue;
        rows_[r].emplace_back(column, value);
        ++column_count_[static_cast<std::size_t>(column)];
        rows_of_[static_cast<std::size_t>(column)].push_back(r);
      }
      std::sort(rows_[r].begin(), rows_[r].end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    }
  }

  std::optional<std::vector<mpq_class>> solve() {
    std::vector<char> done(size_, 0);
    std::vector<std::pair<std::size_t, int>> pivots;  // (row, column), in order
    for (std::size_t step = 0; step < size_; ++step) {
      std::size_t pivot_row = size_;
      for (std::size_t r = 0; r < size_; ++r) {
        if (!done[r] && (pivot_row == size_ || rows_[r].size() < rows_[pivot_row].size())) pivot_row = r;
      }
      if (rows_[pivot_row].empty()) return std::nullopt;  // a dependent row: singular
      int pivot_column = -1;
      std::size_t fewest = std::numeric_limits<std::size_t>::max();
      for (const auto& entry : rows_[pivot_row]) {
        if (column_count_[static_cast<std::size_t>(entry.first)] < fewest) {
          fewest = column_count_[static_cast<std::size_t>(entry.first)];
          pivot_column = entry.first;
        }
      }
      done[pivot_row] = 1;
      for (const auto& entry : rows_[pivot_row]) --column_count_[static_cast<std::size_t>(entry.first)];
      pivots.emplace_back(pivot_row, pivot_column);
      eliminate(pivot_row, pivot_column, done);
    }
    // Each pivot row holds its column and only columns pivoted after it.
    std::vector<mpq_class> x(size_);
    for (auto at = pivots.rbegin(); at != pivots.rend(); ++at) {
      const auto [r, column] = *at;
      mpq_class sum = b_[r];
      const mpq_class* pivot = nullptr;
      for (const auto& [c, value] : rows_[r]) {
        if (c == column) {
          pivot = &value;
        } else {
          sum -= value * x[static_cast<std::size_t>(c)];
        }
      }
      x[static_cast<std::size_t>(column)] = sum / *pivot;
    }
    return x;
  }

 private:
  // Removes `column` from every row not yet pivoted, by subtracting a
  // multiple of the pivot row.
  void eliminate(std::size_t pivot_row, int column, const std::vector<char>& done) {
    const Entries& pivot = rows_[pivot_row];
    const mpq_class pivot_value = *find(pivot, column);
    std::vector<std::size_t>& holders = rows_of_[static_cast<std::size_t>(column)];
    for (std::size_t r : holders) {
      if (done[r]) continue;
      const mpq_class* entry = find(rows_[r], column);
      if (entry == nullptr) continue;  // cancelled since it was listed
      const mpq_class factor = *entry / pivot_value;
      b_[r] -= factor * b_[pivot_row];
      subtract(r, factor, pivot);
    }
    holders.clear();
  }

  // rows_[r] −= factor · pivot, merging the sorted entries.
  void subtract(std::size_t r, const mpq_class& factor, const Entries& pivot) {
    Entries merged;
    merged.reserve(rows_[r].size() + pivot.size());
    auto mine = rows_[r].begin();
    auto theirs = pivot.begin();
    while (mine != rows_[r].end() || theirs != pivot.end()) {
      if (theirs == pivot.end() || (mine != rows_[r].end() && mine->first < theirs->first)) {
        merged.push_back(std::move(*mine++));
        continue;
      }
      const auto column = static_cast<std::size_t>(theirs->first);
      if (mine == rows_[r].end() || theirs->first < mine->first) {
        merged.emplace_back(theirs->first, -factor * theirs->second);
        ++column_count_[column];
        rows_of_[column].push_back(r);
      } else {
        mpq_class value = mine->second - factor * theirs->second;
        if (value != 0) {
          merged.emplace_back(theirs->first, std::move(value));
        } else {
          --column_count_[column];
        }
        ++mine;
      }
      ++theirs;
    }
    rows_[r] = std::move(merged);
  }

  std::size_t size_;
  std::vector<Entries> rows_;
  std::vector<mpq_class> b_;
  std::vector<std::size_t> column_count_;          // in rows not yet pivoted
  std::vector<std::vector<std::size_t>> rows_of_;  // rows that held a column (some since cancelled)
};

}  // namespace

std::optional<std::vector<mpq_class>> solve_exactly(std::span<const SparseRow> rows, std::span<const mpq_class> b) {
  if (b.size() != rows.size()) return std::nullopt;
  for (const SparseRow& row : rows) {
    for (const auto& entry : row) {
      if (entry.first < 0 || static_cast<std::size_t>(entry.first) >= rows.size()) return std::nullopt;
    }
  }
  return Elimination(rows, b).solve();
}

std::vector<SparseRow> transposed(std::span<const SparseRow> rows) {
  std::vector<SparseRow> out(rows.size());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (const auto& [column, value] : rows[r])
      out[static_cast<std::size_t>(column)].emplace_back(static_cast<int>(r), value);
  }
  return out;
}

}  // namespace imset::lp
