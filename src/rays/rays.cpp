#include "rays/rays.h"

#include <gmpxx.h>
#include <libnormaliz/cone.h>

#include <algorithm>
#include <limits>
#include <numeric>
#include <set>
#include <stdexcept>
#include <string>

#include "tables/imsets.h"
#include "tables/renamings.h"

namespace imset::rays {
namespace {

std::int64_t to_int64(const mpz_class& value) {
  // mpz_fits_slong_p is exact for the 64-bit long of the platforms we build on.
  static_assert(sizeof(long) == sizeof(std::int64_t), "long must be 64 bits wide");
  if (!value.fits_slong_p()) {
    throw std::runtime_error("extreme ray coordinate " + value.get_str() + " does not fit in 64 bits");
  }
  return static_cast<std::int64_t>(value.get_si());
}

std::uint64_t magnitude(std::int64_t value) {
  // Negating in unsigned arithmetic keeps INT64_MIN well defined.
  const auto bits = static_cast<std::uint64_t>(value);
  return value < 0 ? std::uint64_t{0} - bits : bits;
}

}  // namespace

IntegerMatrix extreme_rays(const IntegerMatrix& inequalities) {
  if (inequalities.empty()) throw std::invalid_argument("no inequalities given");
  const std::size_t dimension = inequalities.front().size();
  std::vector<std::vector<mpz_class>> rows;
  rows.reserve(inequalities.size());
  for (const IntegerVector& row : inequalities) {
    if (row.size() != dimension) throw std::invalid_argument("inequality rows differ in length");
    std::vector<mpz_class> converted;
    converted.reserve(dimension);
    for (const std::int64_t x : row) converted.emplace_back(static_cast<long>(x));
    rows.push_back(std::move(converted));
  }

  // mpz_class as the cone's integer type: libnormaliz computes in machine
  // integers and repeats a step with GMP when it detects an overflow, so the
  // result is exact without paying for big integers when they are not needed.
  libnormaliz::Cone<mpz_class> cone(libnormaliz::Type::inequalities, rows);
  cone.setVerbose(false);
  cone.compute(libnormaliz::ConeProperty::ExtremeRays);
  if (!cone.isPointed()) throw std::runtime_error("the cone is not pointed, so it has no extreme rays");

  IntegerMatrix result;
  result.reserve(cone.getExtremeRays().size());
  for (const std::vector<mpz_class>& ray : cone.getExtremeRays()) {
    IntegerVector converted;
    converted.reserve(ray.size());
    for (const mpz_class& x : ray) converted.push_back(to_int64(x));
    make_primitive(converted);
    result.push_back(std::move(converted));
  }
  return result;
}

IntegerMatrix elementary_inequalities() {
  IntegerMatrix rows;
  rows.reserve(elementary_count);
  for (const SetFunction& row : elementary_table) rows.emplace_back(row.begin(), row.end());
  return rows;
}

void make_primitive(IntegerVector& vector) {
  std::uint64_t divisor = 0;
  for (const std::int64_t x : vector) divisor = std::gcd(divisor, magnitude(x));
  if (divisor <= 1) return;
  // Every coordinate is a multiple of the divisor, so the quotient is exact;
  // a divisor of 2^63 only arises with INT64_MIN, which it maps to -1.
  for (std::int64_t& x : vector) {
    const std::uint64_t quotient = magnitude(x) / divisor;
    x = x < 0 ? -static_cast<std::int64_t>(quotient) : static_cast<std::int64_t>(quotient);
  }
}

SetFunction to_set_function(const IntegerVector& ray) {
  if (ray.size() != static_cast<std::size_t>(subset_count)) {
    throw std::range_error("a ray has " + std::to_string(ray.size()) + " coordinates, expected " +
                           std::to_string(subset_count));
  }
  SetFunction values{};
  for (std::size_t k = 0; k < ray.size(); ++k) {
    if (ray[k] < std::numeric_limits<std::int32_t>::min() || ray[k] > std::numeric_limits<std::int32_t>::max()) {
      throw std::range_error("ray coordinate " + std::to_string(ray[k]) + " does not fit in 32 bits");
    }
    values[k] = static_cast<std::int32_t>(ray[k]);
  }
  return values;
}

SetFunction orbit_representative(const SetFunction& values) {
  SetFunction smallest = values;  // the identity renaming
  for (std::size_t j = 0; j < renaming_count; ++j) smallest = std::min(smallest, renamed_values(values, j));
  return smallest;
}

int orbit_size(const SetFunction& values) {
  std::set<SetFunction> distinct;
  for (std::size_t j = 0; j < renaming_count; ++j) distinct.insert(renamed_values(values, j));
  return static_cast<int>(distinct.size());
}

}  // namespace imset::rays
