// Extreme rays of the cone of supermodular set functions, cut out by the
// elementary imsets, and their grouping into types under renamings of the
// ground set.
#pragma once

#include <cstdint>
#include <vector>

#include "tables/subsets.h"

namespace imset::rays {

using IntegerVector = std::vector<std::int64_t>;
using IntegerMatrix = std::vector<IntegerVector>;

// Extreme rays of the pointed cone { m : <m, row> >= 0 for every row } as
// primitive integer vectors, in the order libnormaliz returns them. All rows
// must have the same length. Throws std::runtime_error when the cone is not
// pointed or a coordinate does not fit in 64 bits.
IntegerMatrix extreme_rays(const IntegerMatrix& inequalities);

// The 80 elementary imsets as an inequality matrix over the 26 subsets.
IntegerMatrix elementary_inequalities();

// Divides by the gcd of the absolute values; the zero vector stays zero.
void make_primitive(IntegerVector& vector);

// Narrows a 26-coordinate ray to a set function; throws std::range_error when
// a value does not fit in 32 bits or the length is not 26.
SetFunction to_set_function(const IntegerVector& ray);

// The lexicographically smallest of the 120 renamings, comparing the
// values as integers in subset-index order: one fixed representative of the
// type (orbit) of the function.
SetFunction orbit_representative(const SetFunction& values);

// The number of distinct renamings, i.e. the size of the orbit.
int orbit_size(const SetFunction& values);

}  // namespace imset::rays
