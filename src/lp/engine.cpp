#include "lp/engine.h"

#include <glpk.h>

#include <algorithm>
#include <bit>
#include <stdexcept>

#include "lp/exact_system.h"
#include "lp/rational.h"

namespace imset::lp {
namespace {

// By T: bit j set when some premise part is positive on max(0, |S ∩ T| − j),
// that is when a, b ∈ T and |K ∩ T| = j − 1 for one of its a,b|K.
std::vector<unsigned> excluded_convex_seeds(const Ground& ground, const std::vector<char>& premise) {
  std::vector<unsigned> excluded(static_cast<std::size_t>(ground.subset_count()), 0);
  for (int e = 0; e < ground.elementary_count(); ++e) {
    if (!premise[static_cast<std::size_t>(e)]) continue;
    const ci::Statement& u = ground.elementary(e);
    const ci::Mask ab = u.a | u.b;
    const ci::Mask rest = ground.all() & ~ab;
    for (ci::Mask extra = rest;; extra = (extra - 1) & rest) {
      excluded[ab | extra] |= 1U << (std::popcount(u.c & extra) + 1);
      if (extra == 0) break;
    }
  }
  return excluded;
}

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

Certificate trivial_certificate(const ci::Statement& part) { return Certificate{part, 1, {}, {Term{part, 1}}}; }

// v += c·u(e) on the subsets, in any number type.
template <typename Number, typename Coefficient>
void add_imset(std::vector<Number>& v, const ci::Statement& e, const Coefficient& c) {
  v[e.a | e.b | e.c] += c;
  v[e.c] += c;
  v[e.a | e.c] -= c;
  v[e.b | e.c] -= c;
}

}  // namespace

Certificate JointCertificate::for_target(const ci::Statement& target) const {
  Certificate out{target, 0, z, y};
  for (const Term& t : targets) {
    if (t.part == target) {
      out.k = t.coefficient;
    } else {
      out.z.push_back(t);
    }
  }
  return out;
}

Certificate Closure::certificate(const Ground& ground, int e) const {
  const auto i = static_cast<std::size_t>(e);
  if (fate[i] == Fate::premise) return trivial_certificate(ground.elementary(e));
  if (fate[i] != Fate::implied) throw std::logic_error("no certificate: the statement is not implied");
  return proofs[static_cast<std::size_t>(source[i])].for_target(ground.elementary(e));
}

const Values* Closure::witness(int e) const {
  const auto i = static_cast<std::size_t>(e);
  return fate[i] == Fate::refuted ? &models[static_cast<std::size_t>(source[i])] : nullptr;
}

struct Engine::Lp {
  glp_prob* problem = glp_create_prob();
  glp_smcp parameters{};
  glp_smcp current{};  // of the LP being solved: its method and time limit
  ~Lp() { glp_delete_prob(problem); }
};

Engine::Engine(int n) : ground_(n), lp_(std::make_unique<Lp>()) {
  const int subsets = ground_.subset_count();
  column_of_.assign(static_cast<std::size_t>(subsets), 0);
  subset_of_column_.push_back(0);
  for (ci::Mask s = 0; s < static_cast<ci::Mask>(subsets); ++s) {
    if (std::popcount(s) < 2) continue;
    column_of_[s] = static_cast<int>(subset_of_column_.size());
    subset_of_column_.push_back(s);
  }
  glp_prob* p = lp_->problem;
  glp_set_obj_dir(p, GLP_MAX);
  const int rows = ground_.elementary_count();
  const int columns = static_cast<int>(subset_of_column_.size()) - 1;
  glp_add_rows(p, rows);
  glp_add_cols(p, columns);
  // A standardised supermodular m is nondecreasing (m(S ∪ i) − m(S) >=
  // m(i) − m(∅) = 0), so m >= 0 cuts nothing off; as bounds it spares the
  // simplex the pivots that bring free columns into the basis one by one
  // (a closure's LPs take three to four times fewer).
  for (int j = 1; j <= columns; ++j) glp_set_col_bnds(p, j, GLP_LO, 0.0, 0.0);
  std::vector<int> ia{0};
  std::vector<int> ja{0};
  std::vector<double> ar{0.0};
  for (int e = 0; e < rows; ++e) {
    const ci::Statement& u = ground_.elementary(e);
    glp_set_row_bnds(p, e + 1, GLP_LO, 0.0, 0.0);
    const ci::Mask sets[4] = {u.a | u.b | u.c, u.c, u.a | u.c, u.b | u.c};
    const double signs[4] = {1.0, 1.0, -1.0, -1.0};
    for (int i = 0; i < 4; ++i) {
      const int j = column_of_[sets[i]];
      if (j == 0) continue;
      ia.push_back(e + 1);
      ja.push_back(j);
      ar.push_back(signs[i]);
    }
  }
  glp_load_matrix(p, static_cast<int>(ia.size()) - 1, ia.data(), ja.data(), ar.data());
  // m = 0 is feasible: every row basic, every column nonbasic at 0.
  glp_std_basis(p);
  glp_init_smcp(&lp_->parameters);
  lp_->parameters.msg_lev = GLP_MSG_OFF;
  lp_->parameters.presolve = GLP_OFF;
}

Engine::~Engine() = default;

std::vector<char> Engine::premise_rows(std::span<const ci::Statement> premises) const {
  std::vector<char> premise(static_cast<std::size_t>(ground_.elementary_count()), 0);
  for (const ci::Statement& s : premises) {
    for (int e : ground_.parts(s)) premise[static_cast<std::size_t>(e)] = 1;
  }
  return premise;
}

void Engine::set_premises(const std::vector<char>& premise) {
  for (int e = 0; e < ground_.elementary_count(); ++e) {
    glp_set_row_bnds(lp_->problem, e + 1, premise[static_cast<std::size_t>(e)] ? GLP_FX : GLP_LO, 0.0, 0.0);
  }
  // Each question starts from the same basis, so that its answer (which
  // model, which certificate) does not depend on the questions before it;
  // within a question each LP starts from the last one's basis.
  glp_std_basis(lp_->problem);
}

Engine::Step Engine::solve(const std::vector<int>& asked, const std::vector<int>& report,
                           const std::vector<char>& premise, Deadline deadline) {
  glp_prob* p = lp_->problem;
  std::vector<double> objective(static_cast<std::size_t>(ground_.subset_count()), 0.0);
  for (int e : asked) {
    glp_set_row_bnds(p, e + 1, GLP_DB, 0.0, 1.0);
    add_imset(objective, ground_.elementary(e), 1.0);
  }
  for (std::size_t j = 1; j < subset_of_column_.size(); ++j) {
    glp_set_obj_coef(p, static_cast<int>(j), objective[subset_of_column_[j]]);
  }
  Step step;
  if (run_simplex(deadline)) read_optimum(asked, report, premise, step);
  if (step.kind == Step::Kind::undecided) ++stats_.unanswered_lps;
  for (int e : asked) glp_set_row_bnds(p, e + 1, GLP_LO, 0.0, 0.0);
  return step;
}

bool Engine::run_simplex(Deadline deadline) {
  glp_prob* p = lp_->problem;
  glp_smcp& parameters = lp_->current;
  parameters = lp_->parameters;
  parameters.meth = dual_ ? GLP_DUALP : GLP_PRIMAL;
  if (deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    parameters.tm_lim = static_cast<int>(std::clamp<long long>(left, 0, 1'000'000'000));
    if (parameters.tm_lim == 0) return false;
  }
  const auto start = Clock::now();
  ++stats_.lps;
  int status = glp_simplex(p, &parameters);
  if (status != 0 && status != GLP_ETMLIM) {
    // A basis GLPK cannot factorise: start again from m = 0.
    glp_std_basis(p);
    status = glp_simplex(p, &parameters);
  }
  stats_.simplex_seconds += seconds_since(start);
  return status == 0 && glp_get_status(p) == GLP_OPT;
}

void Engine::read_optimum(const std::vector<int>& asked, const std::vector<int>& report,
                          const std::vector<char>& premise, Step& step) {
  glp_prob* p = lp_->problem;
  const auto start = Clock::now();
  const bool positive = glp_get_obj_val(p) > 1e-6;
  const bool read =
      !skip_floating_ && ((positive ? read_model(report, premise, step) : read_certificate(asked, premise, step)) ||
                          (positive ? read_certificate(asked, premise, step) : read_model(report, premise, step)));
  if (read) {
    ++(step.kind == Step::Kind::model ? stats_.models_float : stats_.certificates_float);
  } else {
    ++stats_.floating_failed;
    if (!skip_basis_ && read_basis(asked, report, premise, step)) {
      ++(step.kind == Step::Kind::model ? stats_.models_basis : stats_.certificates_basis);
    } else {
      // The rational simplex, from the basis the floating one ended in.
      // Its solution is read back through doubles, so it answers when the
      // basis was not optimal but the optimum's fractions are simple.
      ++stats_.exact_runs;
      if (glp_exact(p, &lp_->current) == 0 && glp_get_status(p) == GLP_OPT &&
          (glp_get_obj_val(p) != 0.0 ? read_model(report, premise, step) : read_certificate(asked, premise, step))) {
        ++(step.kind == Step::Kind::model ? stats_.models_exact : stats_.certificates_exact);
      }
    }
  }
  stats_.certify_seconds += seconds_since(start);
}

bool Engine::read_basis(const std::vector<int>& asked, const std::vector<int>& report, const std::vector<char>& premise,
                        Step& step) {
  // In a basis every nonbasic variable sits at a bound: a nonbasic column
  // (m of a subset) at 0, a nonbasic row at 0 or, an asked row at its
  // upper bound, at 1. The basic columns are then fixed by
  // the nonbasic rows alone: a square system, one row per nonbasic row,
  // much smaller than the whole basis (the basic rows only follow). Its
  // transpose, with the objective on the basic columns, gives the duals of
  // the nonbasic rows; those of basic rows are 0.
  ++stats_.basis_solves;
  glp_prob* p = lp_->problem;
  const std::size_t columns = subset_of_column_.size() - 1;
  std::vector<int> position(columns + 1, -1);  // column -> its place among the basic ones
  std::vector<int> basic_columns;
  for (std::size_t j = 1; j <= columns; ++j) {
    if (glp_get_col_stat(p, static_cast<int>(j)) != GLP_BS) continue;
    position[j] = static_cast<int>(basic_columns.size());
    basic_columns.push_back(static_cast<int>(j));
  }
  std::vector<int> active_rows;  // elementary indices
  std::vector<mpq_class> bounds;
  for (int e = 0; e < ground_.elementary_count(); ++e) {
    const int status = glp_get_row_stat(p, e + 1);
    if (status == GLP_BS) continue;
    active_rows.push_back(e);
    bounds.emplace_back(status == GLP_NU ? 1 : 0);
  }
  if (active_rows.size() != basic_columns.size()) return false;
  std::vector<SparseRow> system(active_rows.size());
  for (std::size_t r = 0; r < active_rows.size(); ++r) {
    // The four sets of u(a,b|K) are distinct; sets of fewer than two
    // elements have no column (m is 0 there).
    const ci::Statement& u = ground_.elementary(active_rows[r]);
    const ci::Mask sets[4] = {u.a | u.b | u.c, u.c, u.a | u.c, u.b | u.c};
    const long signs[4] = {1, 1, -1, -1};
    for (int i = 0; i < 4; ++i) {
      const int at = position[static_cast<std::size_t>(column_of_[sets[i]])];
      if (column_of_[sets[i]] != 0 && at >= 0) system[r].emplace_back(at, signs[i]);
    }
  }
  const auto primal = solve_exactly(system, bounds);
  if (!primal) return false;

  // The model: the basic columns' values over their common denominator.
  std::vector<Integer> scaled_model(columns, 0);
  Integer denominator = 1;
  for (const mpq_class& v : *primal) {
    mpz_lcm(denominator.get_mpz_t(), denominator.get_mpz_t(), v.get_den_mpz_t());
  }
  mpq_class objective = 0;
  std::vector<long> costs(static_cast<std::size_t>(ground_.subset_count()), 0);
  for (int e : asked) add_imset(costs, ground_.elementary(e), 1L);
  for (std::size_t q = 0; q < basic_columns.size(); ++q) {
    const mpq_class& v = (*primal)[q];
    scaled_model[static_cast<std::size_t>(basic_columns[q]) - 1] = denominator / v.get_den() * v.get_num();
    objective += v * costs[subset_of_column_[static_cast<std::size_t>(basic_columns[q])]];
  }
  if (objective > 0 && model_from_integers(scaled_model, report, premise, step)) return true;

  // The certificate: the duals over their common denominator, the
  // objective's 1 last.
  std::vector<mpq_class> basic_costs(basic_columns.size());
  for (std::size_t q = 0; q < basic_columns.size(); ++q) {
    basic_costs[q] = costs[subset_of_column_[static_cast<std::size_t>(basic_columns[q])]];
  }
  const auto duals = solve_exactly(transposed(system), basic_costs);
  if (!duals) return false;
  // The reduced costs of the columns, d_S = c_S − Σ_e λ_e u_e(S): 0 on
  // the basic ones by construction.
  std::vector<mpq_class> reduced(static_cast<std::size_t>(ground_.subset_count()));
  for (std::size_t s = 0; s < reduced.size(); ++s) reduced[s] = costs[s];
  for (std::size_t r = 0; r < active_rows.size(); ++r) {
    add_imset(reduced, ground_.elementary(active_rows[r]), -(*duals)[r]);
  }
  denominator = 1;
  for (const mpq_class& v : *duals) mpz_lcm(denominator.get_mpz_t(), denominator.get_mpz_t(), v.get_den_mpz_t());
  for (std::size_t j = 1; j <= columns; ++j) {
    mpz_lcm(denominator.get_mpz_t(), denominator.get_mpz_t(), reduced[subset_of_column_[j]].get_den_mpz_t());
  }
  const auto rows = static_cast<std::size_t>(ground_.elementary_count());
  std::vector<Integer> scaled_duals(rows + columns + 1, 0);
  for (std::size_t r = 0; r < active_rows.size(); ++r) {
    const mpq_class& v = (*duals)[r];
    scaled_duals[static_cast<std::size_t>(active_rows[r])] = denominator / v.get_den() * v.get_num();
  }
  for (std::size_t j = 1; j <= columns; ++j) {
    const mpq_class& v = reduced[subset_of_column_[j]];
    scaled_duals[rows + j - 1] = denominator / v.get_den() * v.get_num();
  }
  scaled_duals.back() = denominator;
  return certificate_from_integers(scaled_duals, asked, premise, step) ||
         (objective <= 0 && model_from_integers(scaled_model, report, premise, step));
}

Engine::Step Engine::attempt(const std::vector<int>& asked, const std::vector<char>& premise, Deadline deadline,
                             int& seeds_tried, int seed_stages, bool single, long& lps) {
  Step step;
  while (seeds_tried < seed_stages) {
    if (seed_model(asked, premise, seeds_tried++, step)) {
      ++stats_.models_seeded;
      return step;
    }
  }
  step = solve(single ? std::vector<int>{asked.front()} : asked, asked, premise, deadline);
  ++lps;
  return step;
}

bool Engine::read_model(const std::vector<int>& asked, const std::vector<char>& premise, Step& step) {
  glp_prob* p = lp_->problem;
  const std::size_t columns = subset_of_column_.size() - 1;
  std::vector<double> x(columns);
  for (std::size_t j = 1; j <= columns; ++j) x[j - 1] = glp_get_col_prim(p, static_cast<int>(j));
  std::vector<Integer> scaled;
  return integers_from_doubles(x, scaled) && model_from_integers(scaled, asked, premise, step);
}

bool Engine::model_from_integers(const std::vector<Integer>& scaled, const std::vector<int>& asked,
                                 const std::vector<char>& premise, Step& step) {
  // Any positive multiple of a model is one: the smallest is kept.
  Integer divisor = 0;
  for (const Integer& v : scaled) mpz_gcd(divisor.get_mpz_t(), divisor.get_mpz_t(), v.get_mpz_t());
  if (divisor == 0) return false;
  Values m(static_cast<std::size_t>(ground_.subset_count()));
  for (std::size_t j = 1; j < subset_of_column_.size(); ++j) m[subset_of_column_[j]] = scaled[j - 1] / divisor;
  return accept_model(std::move(m), asked, premise, step);
}

bool Engine::seed_model(const std::vector<int>& asked, const std::vector<char>& premise, int stage, Step& step) {
  // For T with |T| >= 2 and 1 <= j < |T|, m(S) = max(0, |S ∩ T| − j) is a
  // convex function of a modular one, so supermodular, and 0 on sets of
  // one element. Its product with u(a,b|K) is the second difference at
  // |K ∩ T|: 1 when a, b ∈ T and |K ∩ T| = j − 1, else 0. The sum of those
  // zero on every premise part is a model refuting every statement one of
  // them is positive on, without an LP. Stage 0 takes j = |T| − 1, the
  // indicators [T ⊆ S] of up-sets (positive exactly when {a,b} ⊆ T ⊆ abK);
  // stage 1 the smaller j.
  const int n = ground_.n();
  const auto subsets = static_cast<std::size_t>(ground_.subset_count());
  const std::vector<unsigned> excluded = excluded_convex_seeds(ground_, premise);
  // By T, the convex function of |S ∩ T| it adds (its values at 0..n).
  std::vector<long> sum(subsets, 0);
  std::vector<long> by_count(static_cast<std::size_t>(n) + 1);
  bool any = false;
  for (ci::Mask t = 0; t < subsets; ++t) {
    const int size = std::popcount(t);
    if (size < 2) continue;
    std::fill(by_count.begin(), by_count.end(), 0L);
    bool used = false;
    for (int j = stage == 0 ? size - 1 : 1; j <= (stage == 0 ? size - 1 : size - 2); ++j) {
      if ((excluded[t] >> j & 1U) != 0) continue;
      used = true;
      for (int c = j + 1; c <= size; ++c) by_count[static_cast<std::size_t>(c)] += c - j;
    }
    if (!used) continue;
    any = true;
    if (stage == 0) {
      for (ci::Mask s = t; s < subsets; s = (s + 1) | t) ++sum[s];  // the supersets of T
    } else {
      for (ci::Mask s = 0; s < subsets; ++s) sum[s] += by_count[static_cast<std::size_t>(std::popcount(s & t))];
    }
  }
  if (!any) return false;
  Values m(sum.begin(), sum.end());
  return accept_model(std::move(m), asked, premise, step);
}

bool Engine::accept_model(Values m, const std::vector<int>& asked, const std::vector<char>& premise, Step& step) {
  // Exactly: supermodular, zero on the premises. Models are mostly small:
  // when every value is below 2^60 in size, a product (four of them added)
  // is exact in 64 bits, and GMP is needed only past that.
  constexpr long small = 1L << 60;
  const bool fits = std::ranges::all_of(m, [](const Integer& v) { return v.fits_slong_p() && abs(v) < small; });
  std::vector<long> values;
  if (fits) {
    values.reserve(m.size());
    for (const Integer& v : m) values.push_back(v.get_si());
  }
  const auto sign = [&](int e) {
    const ci::Statement& u = ground_.elementary(e);
    if (!fits) return sgn(product(m, u));
    const long p = values[u.a | u.b | u.c] + values[u.c] - values[u.a | u.c] - values[u.b | u.c];
    return p > 0 ? 1 : p < 0 ? -1 : 0;
  };
  for (int e = 0; e < ground_.elementary_count(); ++e) {
    const int s = sign(e);
    if (s < 0 || (s != 0 && premise[static_cast<std::size_t>(e)])) return false;
  }
  std::vector<int> positive;
  for (int e : asked) {
    if (sign(e) > 0) positive.push_back(e);
  }
  if (positive.empty()) return false;
  step.kind = Step::Kind::model;
  step.model = std::move(m);
  step.positive = std::move(positive);
  return true;
}

bool Engine::read_certificate(const std::vector<int>& asked, const std::vector<char>& premise, Step& step) {
  // At the optimum the objective Σ_asked u_e equals Σ_e λ_e u_e on the
  // columns (λ the row duals, <= 0 on rows at their lower bound), up to the
  // columns' reduced costs: so Σ_asked (1 − λ_e) u_e + Σ_others (−λ_e) u_e
  // = Σ_premises λ_h u_h, with the terms certificate_from_integers adds.
  glp_prob* p = lp_->problem;
  const int rows = ground_.elementary_count();
  const int columns = static_cast<int>(subset_of_column_.size()) - 1;
  std::vector<double> duals(static_cast<std::size_t>(rows + columns) + 1);
  for (int e = 0; e < rows; ++e) duals[static_cast<std::size_t>(e)] = glp_get_row_dual(p, e + 1);
  for (int j = 1; j <= columns; ++j) duals[static_cast<std::size_t>(rows + j - 1)] = glp_get_col_dual(p, j);
  duals.back() = 1.0;
  std::vector<Integer> scaled;
  return integers_from_doubles(duals, scaled) && certificate_from_integers(scaled, asked, premise, step);
}

bool Engine::certificate_from_integers(const std::vector<Integer>& scaled, const std::vector<int>& asked,
                                       const std::vector<char>& premise, Step& step) {
  // On the columns, objective = Σ_e λ_e u_e + Σ_S d_S δ_S, with d_S <= 0
  // the reduced cost of a column at its bound 0 (0 for a free or basic
  // one). On standardised functions δ_S (the value at S) is a sum of
  // elementary imsets along a chain s1 < ... < sk of S:
  //   m(S) = Σ_{i<j} <m, u(s_i, s_j | s_1..s_{i−1})>,
  // so each −d_S δ_S joins the identity as nonnegative elementary terms.
  const int rows = ground_.elementary_count();
  const auto columns = subset_of_column_.size() - 1;
  const Integer& one = scaled.back();
  std::vector<Integer> extra(static_cast<std::size_t>(rows));
  for (std::size_t j = 1; j <= columns; ++j) {
    const Integer& d = scaled[static_cast<std::size_t>(rows) + j - 1];
    if (d == 0) continue;
    if (d > 0) return false;
    const ci::Mask set = subset_of_column_[j];
    for (ci::Mask later = set; later != 0; later &= later - 1) {
      const ci::Mask sj = later & (0U - later);
      ci::Mask before = 0;
      for (ci::Mask earlier = set & (sj - 1); earlier != 0; earlier &= earlier - 1) {
        const ci::Mask si = earlier & (0U - earlier);
        extra[static_cast<std::size_t>(ground_.index(si | sj, before))] -= d;
        before |= si;
      }
    }
  }
  std::vector<char> is_asked(static_cast<std::size_t>(rows), 0);
  for (int e : asked) is_asked[static_cast<std::size_t>(e)] = 1;
  JointCertificate certificate;
  std::vector<Integer> sum(static_cast<std::size_t>(ground_.subset_count()));
  for (int e = 0; e < rows; ++e) {
    const auto i = static_cast<std::size_t>(e);
    const ci::Statement& u = ground_.elementary(e);
    if (premise[i]) {
      Integer y = scaled[i] - extra[i];
      if (y != 0) certificate.y.push_back(Term{u, y});
      add_imset(sum, u, -y);
    } else if (is_asked[i]) {
      Integer k = one - scaled[i] + extra[i];
      if (k < 1) return false;
      add_imset(sum, u, k);
      certificate.targets.push_back(Term{u, std::move(k)});
    } else {
      Integer z = extra[i] - scaled[i];
      if (z == 0) continue;
      if (z < 0) return false;
      add_imset(sum, u, z);
      certificate.z.push_back(Term{u, std::move(z)});
    }
  }
  if (std::any_of(sum.begin(), sum.end(), [](const Integer& v) { return v != 0; })) return false;
  step.kind = Step::Kind::certificate;
  step.certificate = std::move(certificate);
  return true;
}

Closure Engine::closure(std::span<const ci::Statement> premises, Deadline deadline) {
  const std::vector<char> premise = premise_rows(premises);
  set_premises(premise);
  const int rows = ground_.elementary_count();
  Closure c;
  c.fate.assign(static_cast<std::size_t>(rows), Closure::Fate::undecided);
  c.source.assign(static_cast<std::size_t>(rows), -1);
  std::vector<int> asked;
  for (int e = 0; e < rows; ++e) {
    if (premise[static_cast<std::size_t>(e)]) {
      c.fate[static_cast<std::size_t>(e)] = Closure::Fate::premise;
    } else {
      asked.push_back(e);
    }
  }
  // Both seed stages: the closure asks about every statement, and the
  // second refutes most of what the up-sets leave for far less than an LP.
  // (structural keeps to the first: its goals do not need more, and the
  // witnesses it prints stay those it gave before.)
  int seeds_tried = 0;
  const int seed_stages = 2;
  // After a joint question fails its checks, one statement at a time: its
  // optimum is an extreme ray, with smaller denominators.
  bool single = false;
  while (!asked.empty()) {
    if (deadline && Clock::now() >= *deadline) {
      c.timed_out = true;
      break;
    }
    Step step = attempt(asked, premise, deadline, seeds_tried, seed_stages, single, c.lps);
    if (step.kind == Step::Kind::model) {
      for (int e : step.positive) {
        c.fate[static_cast<std::size_t>(e)] = Closure::Fate::refuted;
        c.source[static_cast<std::size_t>(e)] = static_cast<int>(c.models.size());
      }
      c.models.push_back(std::move(step.model));
    } else if (step.kind == Step::Kind::certificate) {
      for (const Term& t : step.certificate.targets) {
        const int e = ground_.index(t.part);
        c.fate[static_cast<std::size_t>(e)] = Closure::Fate::implied;
        c.source[static_cast<std::size_t>(e)] = static_cast<int>(c.proofs.size());
      }
      c.proofs.push_back(std::move(step.certificate));
    } else if (deadline && Clock::now() >= *deadline) {
      c.timed_out = true;
      break;
    } else if (!single && asked.size() > 1) {
      single = true;
    } else {
      asked.erase(asked.begin());  // left undecided
    }
    std::erase_if(asked, [&](int e) { return c.fate[static_cast<std::size_t>(e)] != Closure::Fate::undecided; });
  }
  return c;
}

namespace {

// The bookkeeping of a structural question: which failing statements are
// still open, which parts are proved implied, the sum of the models found.
class StructuralSearch {
 public:
  StructuralSearch(const Ground& ground, std::span<const ci::Statement> failing, const std::vector<char>& premise)
      : ground_(ground),
        marked_(static_cast<std::size_t>(ground.elementary_count()), 0),
        proven_(marked_.size()),
        sum_(static_cast<std::size_t>(ground.subset_count())) {
    for (const ci::Statement& s : failing) parts_.push_back(ground.parts(s));
    for (std::size_t i = 0; i < failing.size(); ++i) open_.push_back(i);
    for (std::size_t e = 0; e < marked_.size(); ++e) {
      if (premise[e]) proven_[e] = trivial_certificate(ground.elementary(static_cast<int>(e)));
    }
  }

  // Statements whose every part is proved are forced; whether any is open.
  bool take_forced() {
    std::erase_if(open_, [&](std::size_t i) {
      if (!std::ranges::all_of(parts_[i], [&](int e) { return proven_[static_cast<std::size_t>(e)].has_value(); })) {
        return false;
      }
      out_.forced.push_back(i);
      std::vector<Certificate> certificates;
      for (int e : parts_[i]) certificates.push_back(*proven_[static_cast<std::size_t>(e)]);
      out_.certificates.push_back(std::move(certificates));
      return true;
    });
    return !open_.empty();
  }

  // The parts of the open statements not yet proved, each once.
  std::vector<int> asked() {
    std::vector<int> rows;
    for (std::size_t i : open_) {
      for (int e : parts_[i]) {
        const auto r = static_cast<std::size_t>(e);
        if (proven_[r] || marked_[r]) continue;
        marked_[r] = 1;
        rows.push_back(e);
      }
    }
    for (int e : rows) marked_[static_cast<std::size_t>(e)] = 0;
    return rows;
  }

  // A model positive on these parts refutes every open statement with one.
  void refuted(const std::vector<int>& positive, const Values& model) {
    for (int e : positive) marked_[static_cast<std::size_t>(e)] = 1;
    std::erase_if(open_, [&](std::size_t i) {
      return std::ranges::any_of(parts_[i], [&](int e) { return marked_[static_cast<std::size_t>(e)] != 0; });
    });
    for (int e : positive) marked_[static_cast<std::size_t>(e)] = 0;
    for (std::size_t s = 0; s < sum_.size(); ++s) sum_[s] += model[s];
  }

  void proved(const JointCertificate& certificate) {
    for (const Term& t : certificate.targets) {
      proven_[static_cast<std::size_t>(ground_.index(t.part))] = certificate.for_target(t.part);
    }
  }

  // Nothing checked for part e: the open statements with it stay undecided.
  void undecided(int e) {
    std::erase_if(open_, [&](std::size_t i) {
      if (std::ranges::find(parts_[i], e) == parts_[i].end()) return false;
      out_.undecided.push_back(i);
      return true;
    });
  }

  void out_of_time() {
    out_.undecided.insert(out_.undecided.end(), open_.begin(), open_.end());
    open_.clear();
  }

  // Forced statements in the order of the failing list, their
  // certificates with them; the verdict.
  Structural finish(int n, std::span<const ci::Statement> premises, std::span<const ci::Statement> failing) {
    std::vector<std::size_t> order(out_.forced.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::ranges::sort(order, [&](std::size_t x, std::size_t y) { return out_.forced[x] < out_.forced[y]; });
    std::vector<std::size_t> forced;
    std::vector<std::vector<Certificate>> certificates;
    for (std::size_t i : order) {
      forced.push_back(out_.forced[i]);
      certificates.push_back(std::move(out_.certificates[i]));
    }
    out_.forced = std::move(forced);
    out_.certificates = std::move(certificates);
    std::ranges::sort(out_.undecided);
    if (!out_.forced.empty()) {
      out_.verdict = Verdict::implied;
    } else if (out_.undecided.empty() && check_model(n, sum_, premises, failing)) {
      out_.verdict = Verdict::not_implied;
      out_.witness = std::move(sum_);
    } else {
      out_.verdict = Verdict::undecided;
    }
    return std::move(out_);
  }

  Structural& out() { return out_; }

 private:
  const Ground& ground_;
  std::vector<std::vector<int>> parts_;
  std::vector<std::size_t> open_;
  std::vector<char> marked_;
  std::vector<std::optional<Certificate>> proven_;  // parts proved implied
  Values sum_;
  Structural out_;
};

}  // namespace

Structural Engine::structural(std::span<const ci::Statement> premises, std::span<const ci::Statement> failing,
                              Deadline deadline) {
  const std::vector<char> premise = premise_rows(premises);
  set_premises(premise);
  StructuralSearch search(ground_, failing, premise);
  int seeds_tried = 0;
  bool single = false;  // as in closure
  while (search.take_forced()) {
    const std::vector<int> asked = search.asked();
    if (deadline && Clock::now() >= *deadline) {
      search.out_of_time();
      break;
    }
    const Step step = attempt(asked, premise, deadline, seeds_tried, 1, single, search.out().lps);
    if (step.kind == Step::Kind::model) {
      search.refuted(step.positive, step.model);
    } else if (step.kind == Step::Kind::certificate) {
      search.proved(step.certificate);
    } else if (!single && asked.size() > 1 && !(deadline && Clock::now() >= *deadline)) {
      single = true;
    } else {
      search.undecided(asked.front());
    }
  }
  return search.finish(ground_.n(), premises, failing);
}

void Engine::write_lp(std::span<const ci::Statement> premises, const ci::Statement& target, const char* path) {
  set_premises(premise_rows(premises));
  const int t = ground_.index(target);
  glp_prob* p = lp_->problem;
  glp_set_row_bnds(p, t + 1, GLP_DB, 0.0, 1.0);
  std::vector<double> objective(static_cast<std::size_t>(ground_.subset_count()), 0.0);
  add_imset(objective, target, 1.0);
  for (std::size_t j = 1; j < subset_of_column_.size(); ++j) {
    glp_set_obj_coef(p, static_cast<int>(j), objective[subset_of_column_[j]]);
  }
  // Without GLPK's line on the terminal.
  const int terminal = glp_term_out(GLP_OFF);
  glp_write_lp(p, nullptr, path);
  glp_term_out(terminal);
  glp_set_row_bnds(p, t + 1, GLP_LO, 0.0, 0.0);
}

}  // namespace imset::lp
