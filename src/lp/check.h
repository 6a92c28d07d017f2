// Exact checks of the engine's answers, from the definitions alone (no LP,
// no index tables): a model is a standardised supermodular function with
// the asked zero pattern; a certificate is an identity between imsets that
// makes the target's product zero on every model of the premises.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ci/statement.h"

#ifndef IMSET_WITHOUT_LP_ENGINE
#include <gmpxx.h>
#endif

namespace imset::lp {

#ifdef IMSET_WITHOUT_LP_ENGINE
// A build without GLPK and GMP (the web page) has no engine; its models
// are sums of five-variable ray values, which 64 bits hold exactly.
using Integer = std::int64_t;
inline std::string decimal(Integer value) { return std::to_string(value); }
inline bool fits_int64(Integer /*value*/) { return true; }
inline std::int64_t to_int64(Integer value) { return value; }
#else
using Integer = mpz_class;
inline std::string decimal(const Integer& value) { return value.get_str(); }
inline bool fits_int64(const Integer& value) { return value.fits_slong_p(); }
inline std::int64_t to_int64(const Integer& value) { return value.get_si(); }
#endif
// A set function on {0..N-1}: the value of subset S at index mask(S).
using Values = std::vector<Integer>;

struct Term {
  ci::Statement part;  // an elementary statement a,b|K
  Integer coefficient;
};

// k·u(target) + Σ z_e·u(e) = Σ y_p·u(p), k >= 1, z_e >= 0, p premise parts.
// For any supermodular m zero on the premises, <m,u(t)> = −Σ z_e<m,u(e)>/k
// <= 0, and it is >= 0: so it is 0.
struct Certificate {
  ci::Statement target;
  Integer k;
  std::vector<Term> z;
  std::vector<Term> y;
};

// <m, u(a,b|K)> for the elementary statement a,b|K.
Integer product(const Values& m, const ci::Statement& elementary);

// Whether `values` (2^n of them) is zero on the empty set and singletons,
// has every elementary product >= 0, is zero on every part of each `holds`
// statement and positive on at least one part of each `fails` statement.
bool check_model(int n, const Values& values, std::span<const ci::Statement> holds,
                 std::span<const ci::Statement> fails);

// Whether `certificate` proves that `premises` imply the elementary
// `target`: the identity holds on all 2^n subsets, k >= 1, every z >= 0,
// every y term is a part of a premise.
bool check_certificate(int n, const Certificate& certificate, std::span<const ci::Statement> premises,
                       const ci::Statement& target);

}  // namespace imset::lp
