// The libnormaliz wrapper and the orbit helpers of imset-rays.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <set>
#include <stdexcept>
#include <vector>

#include "rays/rays.h"
#include "tables/renamings.h"

namespace {

using imset::rays::IntegerMatrix;
using imset::rays::IntegerVector;

std::int64_t dot(const IntegerVector& a, const IntegerVector& b) {
  std::int64_t sum = 0;
  for (std::size_t k = 0; k < a.size(); ++k) sum += a[k] * b[k];
  return sum;
}

// The elementary imsets over {0,1,2,3} written from the definition: a,b|K is
// +1 at K+ab and at K, -1 at K+a and at K+b, with the 11 subsets of at least
// two elements as coordinates (ordered by mask; the order does not matter
// for the number of rays).
IntegerMatrix four_element_inequalities() {
  std::vector<unsigned> coordinates;
  for (unsigned mask = 0; mask < 16; ++mask) {
    if (std::popcount(mask) >= 2) coordinates.push_back(mask);
  }
  const auto index_of = [&](unsigned mask) {
    const auto it = std::find(coordinates.begin(), coordinates.end(), mask);
    return it == coordinates.end() ? -1 : static_cast<int>(it - coordinates.begin());
  };
  IntegerMatrix rows;
  for (unsigned a = 0; a < 4; ++a) {
    for (unsigned b = a + 1; b < 4; ++b) {
      const unsigned rest = 15U & ~(1U << a) & ~(1U << b);
      for (unsigned k = 0; k < 16; ++k) {
        if ((k & rest) != k) continue;
        IntegerVector row(coordinates.size(), 0);
        const auto add = [&](unsigned mask, std::int64_t coefficient) {
          const int s = index_of(mask);
          if (s >= 0) row[static_cast<std::size_t>(s)] += coefficient;
        };
        add(k | (1U << a) | (1U << b), 1);
        add(k, 1);
        add(k | (1U << a), -1);
        add(k | (1U << b), -1);
        rows.push_back(row);
      }
    }
  }
  return rows;
}

void expect_primitive_distinct_rays_of(const IntegerMatrix& rays, const IntegerMatrix& inequalities) {
  std::set<IntegerVector> distinct(rays.begin(), rays.end());
  EXPECT_EQ(distinct.size(), rays.size());
  for (const IntegerVector& ray : rays) {
    IntegerVector reduced = ray;
    imset::rays::make_primitive(reduced);
    EXPECT_EQ(reduced, ray);
    EXPECT_NE(ray, IntegerVector(ray.size(), 0));
    for (const IntegerVector& row : inequalities) EXPECT_GE(dot(ray, row), 0);
  }
}

TEST(ExtremeRays, SmallConesHaveTheirKnownRays) {
  // The nonnegative orthant in three dimensions: its rays are the unit vectors.
  const IntegerMatrix orthant = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  IntegerMatrix rays = imset::rays::extreme_rays(orthant);
  std::sort(rays.begin(), rays.end());
  EXPECT_EQ(rays, (IntegerMatrix{{0, 0, 1}, {0, 1, 0}, {1, 0, 0}}));

  // x >= 0 and 2y >= 3x: rays (0,1) and (2,3), the latter reduced by normaliz
  // or by us to a primitive vector, not (4,6).
  rays = imset::rays::extreme_rays({{1, 0}, {-3, 2}});
  std::sort(rays.begin(), rays.end());
  EXPECT_EQ(rays, (IntegerMatrix{{0, 1}, {2, 3}}));

  // A half-plane contains a line, so it has no extreme rays to report.
  EXPECT_THROW(imset::rays::extreme_rays({{1, 0}}), std::runtime_error);
  EXPECT_THROW(imset::rays::extreme_rays({{1, 0}, {1}}), std::invalid_argument);
}

TEST(ExtremeRays, FourElementSupermodularConeHas37Rays) {
  const IntegerMatrix inequalities = four_element_inequalities();
  ASSERT_EQ(inequalities.size(), 24U);
  ASSERT_EQ(inequalities.front().size(), 11U);
  const IntegerMatrix rays = imset::rays::extreme_rays(inequalities);
  EXPECT_EQ(rays.size(), 37U);
  expect_primitive_distinct_rays_of(rays, inequalities);
}

TEST(ExtremeRays, ElementaryInequalitiesAreTheElementaryTable) {
  const IntegerMatrix rows = imset::rays::elementary_inequalities();
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(imset::elementary_count));
  for (std::size_t p = 0; p < rows.size(); ++p) {
    EXPECT_TRUE(std::equal(rows[p].begin(), rows[p].end(), imset::elementary_table[p].begin(),
                           imset::elementary_table[p].end()))
        << "row " << p;
  }
}

TEST(MakePrimitive, DividesByTheGcdOfTheMagnitudes) {
  IntegerVector v = {4, -6, 0, 8};
  imset::rays::make_primitive(v);
  EXPECT_EQ(v, (IntegerVector{2, -3, 0, 4}));

  v = {-5, 0, 7};
  imset::rays::make_primitive(v);
  EXPECT_EQ(v, (IntegerVector{-5, 0, 7}));

  v = {0, 0};
  imset::rays::make_primitive(v);
  EXPECT_EQ(v, (IntegerVector{0, 0}));

  // The most negative value has no positive counterpart; dividing must not
  // go through its negation.
  constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
  v = {lowest, 0, lowest};
  imset::rays::make_primitive(v);
  EXPECT_EQ(v, (IntegerVector{-1, 0, -1}));
  v = {lowest, std::int64_t{1} << 62};
  imset::rays::make_primitive(v);
  EXPECT_EQ(v, (IntegerVector{-2, 1}));
}

TEST(ToSetFunction, RejectsWrongLengthsAndValuesBeyond32Bits) {
  IntegerVector ray(imset::subset_count, 0);
  ray[3] = -7;
  ray[25] = std::numeric_limits<std::int32_t>::max();
  const imset::SetFunction values = imset::rays::to_set_function(ray);
  EXPECT_EQ(values[3], -7);
  EXPECT_EQ(values[25], std::numeric_limits<std::int32_t>::max());

  ray[25] = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  EXPECT_THROW(imset::rays::to_set_function(ray), std::range_error);
  ray[25] = std::int64_t{std::numeric_limits<std::int32_t>::min()} - 1;
  EXPECT_THROW(imset::rays::to_set_function(ray), std::range_error);
  EXPECT_THROW(imset::rays::to_set_function(IntegerVector(25, 0)), std::range_error);
}

TEST(Orbits, RepresentativeIsTheSmallestRenamingAndSizesCountDistinctOnes) {
  // One pair carrying the value: the orbit is the ten pairs, and the smallest
  // renaming moves the value as far back as possible, onto {3,4}.
  imset::SetFunction single_pair{};
  single_pair[0] = 1;  // {0,1}
  imset::SetFunction on_last_pair{};
  on_last_pair[9] = 1;  // {3,4}
  EXPECT_EQ(imset::rays::orbit_representative(single_pair), on_last_pair);
  EXPECT_EQ(imset::rays::orbit_size(single_pair), 10);

  // A negative value goes to the front instead.
  single_pair[0] = 0;
  single_pair[4] = -1;  // {1,2}
  imset::SetFunction on_first_pair{};
  on_first_pair[0] = -1;
  EXPECT_EQ(imset::rays::orbit_representative(single_pair), on_first_pair);

  // Values depending only on the size are fixed by every renaming.
  imset::SetFunction by_size{};
  for (std::size_t s = 0; s < by_size.size(); ++s) {
    by_size[s] = std::popcount(imset::subset_masks[s]) * 3 - 5;
  }
  EXPECT_EQ(imset::rays::orbit_size(by_size), 1);
  EXPECT_EQ(imset::rays::orbit_representative(by_size), by_size);

  // Distinct values on the pairs leave no renaming without effect.
  imset::SetFunction generic{};
  for (std::size_t s = 0; s < generic.size(); ++s) generic[s] = static_cast<std::int32_t>((s * 7) % 26) - 13;
  EXPECT_EQ(imset::rays::orbit_size(generic), 120);

  // Every renaming has the same representative, and none is smaller.
  const imset::SetFunction representative = imset::rays::orbit_representative(generic);
  bool representative_seen = false;
  for (int j = 0; j < imset::renaming_count; ++j) {
    const imset::SetFunction renamed = imset::renamed_values(generic, static_cast<std::size_t>(j));
    EXPECT_EQ(imset::rays::orbit_representative(renamed), representative) << "renaming " << j;
    EXPECT_LE(representative, renamed) << "renaming " << j;
    representative_seen = representative_seen || renamed == representative;
  }
  EXPECT_TRUE(representative_seen);
}

}  // namespace
