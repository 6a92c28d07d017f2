#include "lp/rational.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace imset::lp {
namespace {

constexpr double zero_tolerance = 1e-9;
constexpr double tolerance = 1e-8;
constexpr std::int64_t max_denominator = 10'000'000;

struct Fraction {
  std::int64_t p = 0;
  std::int64_t q = 1;
};

bool nearest_simple_fraction(double x, Fraction& out) {
  if (std::fabs(x) < zero_tolerance) {
    out = Fraction{};
    return true;
  }
  if (std::fabs(x) > 1e15) return false;
  const double limit = tolerance * std::max(1.0, std::fabs(x));
  std::int64_t p0 = 0;
  std::int64_t q0 = 1;
  std::int64_t p1 = 1;
  std::int64_t q1 = 0;
  double y = x;
  for (int step = 0; step < 64; ++step) {
    const double a = std::floor(y);
    if (std::fabs(a) > 1e15) return false;
    const auto ai = static_cast<std::int64_t>(a);
    std::int64_t p2 = 0;
    std::int64_t q2 = 0;
    if (__builtin_mul_overflow(ai, p1, &p2) || __builtin_add_overflow(p2, p0, &p2) ||
        __builtin_mul_overflow(ai, q1, &q2) || __builtin_add_overflow(q2, q0, &q2)) {
      return false;
    }
    if (q2 > max_denominator) return false;
    if (std::fabs(x - static_cast<double>(p2) / static_cast<double>(q2)) <= limit) {
      out = Fraction{p2, q2};
      return true;
    }
    const double rest = y - a;
    if (rest <= 0.0) return false;
    y = 1.0 / rest;
    p0 = p1, q0 = q1, p1 = p2, q1 = q2;
  }
  return false;
}

}  // namespace

bool integers_from_doubles(std::span<const double> values, std::vector<Integer>& out) {
  std::vector<Fraction> fractions(values.size());
  Integer denominator = 1;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (!nearest_simple_fraction(values[i], fractions[i])) return false;
    if (fractions[i].q != 1) {
      const Integer q = static_cast<long>(fractions[i].q);
      mpz_lcm(denominator.get_mpz_t(), denominator.get_mpz_t(), q.get_mpz_t());
    }
  }
  out.resize(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    out[i] = denominator / static_cast<long>(fractions[i].q) * static_cast<long>(fractions[i].p);
  }
  return true;
}

}  // namespace imset::lp
