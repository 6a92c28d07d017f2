// Floating LP solutions turned into exact integers: each value read as the
// simplest fraction within a tolerance (continued fractions), then all of
// them scaled by the least common denominator. The result is only a
// proposal; the caller checks it exactly.
#pragma once

#include <span>
#include <vector>

#include "lp/check.h"

namespace imset::lp {

// Integers proportional to `values` (the common denominator times each);
// false if some value has no fraction with a denominator below 10^7 within
// 10^-8 of it (relative to its size, at least 1). Values within 10^-9 of 0
// are 0.
bool integers_from_doubles(std::span<const double> values, std::vector<Integer>& out);

}  // namespace imset::lp
