// master_perturbation.h — when LINEAR perturbs the master LP's right-hand
// side (internal to the solver; gp/master_solve.cpp explains the
// perturbation).  Warm solves are perturbed once one unperturbed warm solve
// of the run has been long or has failed; force(true) perturbs every warm
// solve (for tests of the perturbed path on small LPs), force(false)
// restores the rule.  dual_cleanups() counts the perturbed solves of the
// run whose restored vertex the dual simplex made feasible again.
#pragma once

namespace gp::master_perturbation {

void force(bool on);
int dual_cleanups();

}  // namespace gp::master_perturbation
