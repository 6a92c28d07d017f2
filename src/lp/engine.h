// Implication among conditional-independence statements over N variables,
// decided by linear programming over the cone of standardised supermodular
// set functions m (m(∅) = m({i}) = 0, <m,u> >= 0 for every elementary
// imset u). Premises H imply an elementary t when every such m with
// <m,u_h> = 0 on H has <m,u_t> = 0.
//
// One LP per N: a column per subset of two or more elements (m >= 0 there,
// as for every standardised supermodular function), a row per elementary
// imset (its value <m,u_e>). A question fixes the premise rows to
// 0 and maximises the sum of the rows asked about, each bounded by 1; GLPK's
// floating simplex solves it, each question from the standard basis and
// each LP within it warm-started from the one before. Before any LP, sums
// of convex functions of |S ∩ T| that vanish on the premises refute what
// they can. The
// floating solution only proposes: a positive optimum is turned into an
// integer model, a zero one into an integer certificate from the duals, and
// either is checked exactly (check.h) before it is believed. If neither
// checks (most often because the optimum's fractions are finer than a
// double can be read back), the vertex of GLPK's final basis is solved
// again in rationals and read exactly; if that fails its check too, GLPK's
// rational simplex is run from the same basis; if that fails as well the
// question is undecided.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "lp/check.h"
#include "lp/ground.h"

namespace imset::lp {

using Clock = std::chrono::steady_clock;
using Deadline = std::optional<Clock::time_point>;

enum class Verdict { implied, not_implied, undecided };

// Σ k_t·u(t) over several targets t (each k_t >= 1) + Σ z_e·u(e) = Σ
// y_p·u(p): one identity proving every target at once, since each other
// target's term can join the z side.
struct JointCertificate {
  std::vector<Term> targets;
  std::vector<Term> z;
  std::vector<Term> y;
  // The certificate of one of the targets.
  Certificate for_target(const ci::Statement& target) const;
};

// How the answers were obtained, summed over an engine's life. Each LP
// that reaches an optimum is answered by the first of three routes whose
// answer passes its exact check: the floating solution read as fractions,
// the final basis solved in rationals, GLPK's rational simplex.
struct Stats {
  long lps = 0;            // floating simplex runs
  long models_seeded = 0;  // models summed from convex functions of |S ∩ T|, found before any LP
  long models_float = 0;   // models read from a floating optimum that checked
  long certificates_float = 0;
  long floating_failed = 0;  // optima whose floating proposals both failed their checks
  long basis_solves = 0;     // final bases solved in rationals, after that
  long models_basis = 0;
  long certificates_basis = 0;
  long exact_runs = 0;  // rational simplex runs, after the basis's answers failed their checks too
  long models_exact = 0;
  long certificates_exact = 0;
  long unanswered_lps = 0;  // LPs that gave no checked answer: stopped short, or every route failed
  double simplex_seconds = 0;
  double certify_seconds = 0;  // reading proposals, solving bases, the rational simplex, the checks
};

// Every elementary statement's fate under some premises.
struct Closure {
  enum class Fate : unsigned char { premise, implied, refuted, undecided };
  std::vector<Fate> fate;                // by elementary index
  std::vector<int> source;               // model or proof index; -1 for premises
  std::vector<Values> models;            // checked: zero on the premises
  std::vector<JointCertificate> proofs;  // checked
  long lps = 0;
  bool timed_out = false;

  bool implied(int e) const { return fate[static_cast<std::size_t>(e)] <= Fate::implied; }
  // A checked certificate for a premise part or an implied statement.
  Certificate certificate(const Ground& ground, int e) const;
  // A checked model refuting statement e, or null.
  const Values* witness(int e) const;
};

struct Structural {
  Verdict verdict = Verdict::undecided;  // implied: some failing statement is forced
  std::optional<Values> witness;         // not_implied: a model, checked
  // implied: the forced statements (indices into the failing list), and a
  // certificate for each part of each.
  std::vector<std::size_t> forced;
  std::vector<std::vector<Certificate>> certificates;
  std::vector<std::size_t> undecided;  // statements left when time ran out
  long lps = 0;
};

class Engine {
 public:
  // Builds the LP for n variables; throws std::invalid_argument outside
  // [min_variables, max_variables].
  explicit Engine(int n);
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  const Ground& ground() const { return ground_; }
  const Stats& stats() const { return stats_; }
  // Solve with the dual simplex instead of the primal one.
  void use_dual_simplex(bool dual) { dual_ = dual; }
  // Pass over the floating proposals as if they had failed their checks,
  // so that every answer comes from the exact routes (to test them).
  void skip_floating_proposals(bool skip) { skip_floating_ = skip; }
  // Pass over the exact basis solve too: the rational simplex alone.
  void skip_basis_solve(bool skip) { skip_basis_ = skip; }

  // Every elementary statement implied by the premises, each with a
  // certificate, and a model for every other one: witnesses race proofs.
  Closure closure(std::span<const ci::Statement> premises, Deadline deadline = std::nullopt);
  // A model in which the premises hold and every failing statement fails,
  // or the failing statements the premises force.
  Structural structural(std::span<const ci::Statement> premises, std::span<const ci::Statement> failing,
                        Deadline deadline = std::nullopt);
  // Whether the premises imply the statement (every part of it).
  Structural implies(std::span<const ci::Statement> premises, const ci::Statement& target,
                     Deadline deadline = std::nullopt) {
    return structural(premises, std::span<const ci::Statement>(&target, 1), deadline);
  }

  // Writes the LP of "maximise the target's product under the premises" in
  // CPLEX LP format (to time other solvers on the same problem).
  void write_lp(std::span<const ci::Statement> premises, const ci::Statement& target, const char* path);

 private:
  struct Step {
    enum class Kind { model, certificate, undecided } kind = Kind::undecided;
    Values model;                  // kind model
    std::vector<int> positive;     // asked rows positive in it
    JointCertificate certificate;  // kind certificate
  };
  std::vector<char> premise_rows(std::span<const ci::Statement> premises) const;
  void set_premises(const std::vector<char>& premise);
  // Maximise Σ <m,u_e> over e in `asked` (none a premise), each at most 1;
  // a model's positive rows are looked for among `report`.
  Step solve(const std::vector<int>& asked, const std::vector<int>& report, const std::vector<char>& premise,
             Deadline deadline);
  // The next answer to `asked`: the seeded model of the next of the
  // `seed_stages` stages not yet tried that refutes anything, else an LP
  // over all of `asked` (or its first row alone, when `single`), counted
  // in `lps`.
  Step attempt(const std::vector<int>& asked, const std::vector<char>& premise, Deadline deadline, int& seeds_tried,
               int seed_stages, bool single, long& lps);
  // The floating simplex within the deadline; whether it reached an optimum.
  bool run_simplex(Deadline deadline);
  // A checked model or certificate from the optimum, by the exact routes
  // when the floating one's proposals fail their checks.
  void read_optimum(const std::vector<int>& asked, const std::vector<int>& report, const std::vector<char>& premise,
                    Step& step);
  bool read_model(const std::vector<int>& asked, const std::vector<char>& premise, Step& step);
  // The model and certificate of the final basis, solved in rationals.
  bool read_basis(const std::vector<int>& asked, const std::vector<int>& report, const std::vector<char>& premise,
                  Step& step);
  // Integers proportional to the model's values on the columns.
  bool model_from_integers(const std::vector<Integer>& scaled, const std::vector<int>& asked,
                           const std::vector<char>& premise, Step& step);
  // The model summed from the convex functions of |S ∩ T| of a stage
  // (0: the up-set indicators; 1: the others) that vanish on the
  // premises, with no LP; false if it refutes nothing asked.
  bool seed_model(const std::vector<int>& asked, const std::vector<char>& premise, int stage, Step& step);
  bool accept_model(Values m, const std::vector<int>& asked, const std::vector<char>& premise, Step& step);
  bool read_certificate(const std::vector<int>& asked, const std::vector<char>& premise, Step& step);
  // Integers proportional to the row duals, then the columns' reduced
  // costs, with the objective's scale (the dual's 1) last.
  bool certificate_from_integers(const std::vector<Integer>& scaled, const std::vector<int>& asked,
                                 const std::vector<char>& premise, Step& step);

  Ground ground_;
  struct Lp;
  std::unique_ptr<Lp> lp_;
  std::vector<int> column_of_;  // subset mask -> column (1-based), 0 for small sets
  std::vector<ci::Mask> subset_of_column_;
  Stats stats_;
  bool dual_ = false;
  bool skip_floating_ = false;
  bool skip_basis_ = false;
};

}  // namespace imset::lp
