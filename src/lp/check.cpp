#include "lp/check.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace imset::lp {
namespace {

bool valid(int n, const ci::Statement& s) {
  const ci::Mask all = (ci::Mask{1} << n) - 1;
  return s.a != 0 && s.b != 0 && (s.a & s.b) == 0 && (s.c & (s.a | s.b)) == 0 && (s.elements() & ~all) == 0;
}

bool valid_elementary(int n, const ci::Statement& s) { return valid(n, s) && s.elementary(); }

// v += c·u(a,b|K), over all subsets.
void add_imset(std::vector<Integer>& v, const ci::Statement& e, const Integer& c) {
  v[e.a | e.b | e.c] += c;
  v[e.c] += c;
  v[e.a | e.c] -= c;
  v[e.b | e.c] -= c;
}

std::uint64_t key(ci::Mask pair, ci::Mask k) { return std::uint64_t{pair} << 32 | k; }

// The premises' elementary parts, sorted, to look y terms up in.
std::vector<std::uint64_t> premise_parts(std::span<const ci::Statement> premises) {
  std::vector<std::uint64_t> keys;
  for (const ci::Statement& p : premises) {
    ci::for_each_part(p, [&](ci::Mask pair, ci::Mask k) { keys.push_back(key(pair, k)); });
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

}  // namespace

Integer product(const Values& m, const ci::Statement& e) {
  return m[e.a | e.b | e.c] + m[e.c] - m[e.a | e.c] - m[e.b | e.c];
}

bool check_model(int n, const Values& values, std::span<const ci::Statement> holds,
                 std::span<const ci::Statement> fails) {
  if (n < 2 || n > 20 || values.size() != std::size_t{1} << n) return false;
  if (values[0] != 0) return false;
  for (int i = 0; i < n; ++i) {
    if (values[std::size_t{1} << i] != 0) return false;
  }
  const ci::Mask all = (ci::Mask{1} << n) - 1;
  for (int a = 0; a < n; ++a) {
    for (int b = a + 1; b < n; ++b) {
      const ci::Mask rest = all & ~(ci::Mask{1} << a) & ~(ci::Mask{1} << b);
      for (ci::Mask k = rest;; k = (k - 1) & rest) {
        if (sgn(product(values, ci::Statement{ci::Mask{1} << a, ci::Mask{1} << b, k})) < 0) return false;
        if (k == 0) break;
      }
    }
  }
  for (const ci::Statement& s : holds) {
    if (!valid(n, s)) return false;
    bool zero = true;
    ci::for_each_part(s, [&](ci::Mask pair, ci::Mask k) {
      const ci::Mask a = pair & (0U - pair);
      zero = zero && sgn(product(values, ci::Statement{a, pair & ~a, k})) == 0;
    });
    if (!zero) return false;
  }
  for (const ci::Statement& s : fails) {
    if (!valid(n, s)) return false;
    bool positive = false;
    ci::for_each_part(s, [&](ci::Mask pair, ci::Mask k) {
      const ci::Mask a = pair & (0U - pair);
      positive = positive || sgn(product(values, ci::Statement{a, pair & ~a, k})) > 0;
    });
    if (!positive) return false;
  }
  return true;
}

bool check_certificate(int n, const Certificate& certificate, std::span<const ci::Statement> premises,
                       const ci::Statement& target) {
  if (n < 2 || n > 20 || !valid_elementary(n, target) || !valid_elementary(n, certificate.target)) return false;
  // The same statement, either side written first.
  if ((certificate.target.a | certificate.target.b) != (target.a | target.b) || certificate.target.c != target.c) {
    return false;
  }
  if (certificate.k < 1) return false;
  std::vector<Integer> v(std::size_t{1} << n);
  add_imset(v, target, certificate.k);
  for (const Term& t : certificate.z) {
    if (!valid_elementary(n, t.part) || sgn(t.coefficient) < 0) return false;
    add_imset(v, t.part, t.coefficient);
  }
  const std::vector<std::uint64_t> parts = premise_parts(premises);
  for (const Term& t : certificate.y) {
    if (!valid_elementary(n, t.part) ||
        !std::binary_search(parts.begin(), parts.end(), key(t.part.a | t.part.b, t.part.c))) {
      return false;
    }
    add_imset(v, t.part, -t.coefficient);
  }
  return std::ranges::all_of(v, [](const Integer& x) { return x == 0; });
}

}  // namespace imset::lp
