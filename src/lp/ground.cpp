#include "lp/ground.h"

#include <bit>
#include <stdexcept>
#include <string>

namespace imset::lp {

bool valid_over(int n, const ci::Statement& s) {
  const ci::Mask all = (ci::Mask{1} << n) - 1;
  return s.a != 0 && s.b != 0 && (s.a & s.b) == 0 && (s.c & (s.a | s.b)) == 0 && (s.elements() & ~all) == 0;
}

Ground::Ground(int n) : n_(n) {
  if (n < min_variables || n > max_variables) {
    throw std::invalid_argument("the LP engine works over " + std::to_string(min_variables) + " to " +
                                std::to_string(max_variables) + " variables, not " + std::to_string(n));
  }
  const auto un = static_cast<std::size_t>(n);
  pair_number_.assign(un * un, -1);
  index_.assign(un * (un - 1) / 2 << un, -1);
  int pair = 0;
  for (int a = 0; a < n; ++a) {
    for (int b = a + 1; b < n; ++b, ++pair) {
      pair_number_[static_cast<std::size_t>(a) * un + static_cast<std::size_t>(b)] = pair;
      const ci::Mask ab = (ci::Mask{1} << a) | (ci::Mask{1} << b);
      for (ci::Mask k = 0; k <= all(); ++k) {
        if ((k & ab) != 0) continue;
        index_[(static_cast<std::size_t>(pair) << un) + k] = static_cast<int>(elementary_.size());
        elementary_.push_back(ci::Statement{ci::Mask{1} << a, ci::Mask{1} << b, k});
      }
    }
  }
}

int Ground::index(ci::Mask pair, ci::Mask k) const {
  if (std::popcount(pair) != 2 || ((pair | k) & ~all()) != 0 || (pair & k) != 0) return -1;
  const int a = std::countr_zero(pair);
  const int b = std::countr_zero(pair & (pair - 1));
  const int number =
      pair_number_[static_cast<std::size_t>(a) * static_cast<std::size_t>(n_) + static_cast<std::size_t>(b)];
  return index_[(static_cast<std::size_t>(number) << n_) + k];
}

std::vector<int> Ground::parts(const ci::Statement& s) const {
  if (!valid_over(n_, s)) throw std::invalid_argument("not a statement over " + std::to_string(n_) + " variables");
  std::vector<int> out;
  ci::for_each_part(s, [&](ci::Mask pair, ci::Mask k) { out.push_back(index(pair, k)); });
  return out;
}

}  // namespace imset::lp
