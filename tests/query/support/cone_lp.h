// Implication among conditional-independence statements decided from the
// cone's inequalities by an exact LP (GLPK's rational simplex), as a check
// on the closure imset-query computes from the cone's extreme rays: q is
// implied by the statements H when the maximum of <m, u_q> over the
// supermodular functions m (<m, u> >= 0 for all 80 elementary imsets u)
// with <m, u_h> = 0 for h in H and <m, u_q> <= 1 is 0.
#pragma once

#include <glpk.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "tables/imsets.h"
#include "tables/row_set.h"

namespace imset::testing {

class ConeLp {
 public:
  ConeLp() : lp_(glp_create_prob(), glp_delete_prob) {
    glp_set_obj_dir(lp_.get(), GLP_MAX);
    glp_add_rows(lp_.get(), elementary_count);
    glp_add_cols(lp_.get(), subset_count);
    for (int k = 1; k <= subset_count; ++k) glp_set_col_bnds(lp_.get(), k, GLP_FR, 0.0, 0.0);
    std::vector<int> rows{0};
    std::vector<int> cols{0};
    std::vector<double> values{0.0};
    for (int p = 0; p < elementary_count; ++p) {
      for (int k = 0; k < subset_count; ++k) {
        const int c = imset::elementary_table[static_cast<std::size_t>(p)][static_cast<std::size_t>(k)];
        if (c == 0) continue;
        rows.push_back(p + 1);
        cols.push_back(k + 1);
        values.push_back(c);
      }
    }
    glp_load_matrix(lp_.get(), static_cast<int>(rows.size() - 1), rows.data(), cols.data(), values.data());
    glp_init_smcp(&parameters_);
    parameters_.msg_lev = GLP_MSG_OFF;
  }

  // Whether every supermodular function zero on `holds` is zero at row q.
  bool implies(const RowSet& holds, int q) {
    for (int p = 0; p < elementary_count; ++p) {
      if (holds.contains(p)) {
        glp_set_row_bnds(lp_.get(), p + 1, GLP_FX, 0.0, 0.0);
      } else if (p == q) {
        glp_set_row_bnds(lp_.get(), p + 1, GLP_DB, 0.0, 1.0);
      } else {
        glp_set_row_bnds(lp_.get(), p + 1, GLP_LO, 0.0, 0.0);
      }
    }
    for (int k = 0; k < subset_count; ++k) {
      glp_set_obj_coef(lp_.get(), k + 1,
                       imset::elementary_table[static_cast<std::size_t>(q)][static_cast<std::size_t>(k)]);
    }
    // The cone holds m = 0, and <m, u_q> <= 1 bounds the objective: the
    // problem always has an optimum, 0 or 1.
    if (glp_exact(lp_.get(), &parameters_) != 0 || glp_get_status(lp_.get()) != GLP_OPT) {
      throw std::runtime_error("GLPK found no optimum");
    }
    return glp_get_obj_val(lp_.get()) == 0.0;
  }

 private:
  std::unique_ptr<glp_prob, void (*)(glp_prob*)> lp_;
  glp_smcp parameters_{};
};

}  // namespace imset::testing
