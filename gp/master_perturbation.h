// master_perturbation.h — when LINEAR perturbs the master LP's right-hand
// side (internal to the solver; gp/master_solve.cpp explains the
// perturbation).  Warm solves are perturbed once one unperturbed warm solve
// of the run has been long or has failed; force(true) perturbs every warm
// solve (for tests of the perturbed path on small LPs), force(false)
// restores the rule.  dual_cleanups() counts the perturbed solves of the
// run whose restored vertex the dual simplex made feasible again.
// allow_drift(d) lets phase 2 of later warm solves carry a weight up to d
// (at least 1e-6, the drift each first solve starts with) beyond a bound
// before it goes back to phase 1.
#pragma once

namespace gp::master_perturbation {

void force(bool on);
int dual_cleanups();
void allow_drift(double drift);

}  // namespace gp::master_perturbation
