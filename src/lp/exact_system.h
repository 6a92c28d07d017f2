// Square linear systems solved exactly over the rationals. The LP's basis
// systems are small and very sparse (an elementary imset touches four
// subsets), so the elimination keeps rows sparse and picks pivots that
// make little fill-in, rather than working on a dense matrix.
#pragma once

#include <gmpxx.h>

#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace imset::lp {

// Row r of a square matrix: its nonzero entries as (column, value), each
// column at most once.
using SparseRow = std::vector<std::pair<int, long>>;

// The x with A·x = b, A given by its rows (size × size); none when A is
// singular.
std::optional<std::vector<mpq_class>> solve_exactly(std::span<const SparseRow> rows, std::span<const mpq_class> b);

// The rows of Aᵀ from those of A (size × size).
std::vector<SparseRow> transposed(std::span<const SparseRow> rows);

}  // namespace imset::lp
