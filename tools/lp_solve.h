// lp_solve.h — runs the LP engine on an EngineModel.
//
//   LpSession session(model, sizes, options);   // maps the workspace, stores
//                                               // the columns and bounds
//   SolveResult r = session.primal();           // slack basis + two-phase
//                                               // primal simplex
//   session.column_values(), session.prices()   // engine-form results
//
// The session owns every array the engine works on (workspace MEMORY, basis
// arrays, candidate list), so operations after an optimal solve (ranging,
// a dual re-solve after a change) can be added as further member functions
// on the same state.  The engine's records are process-wide: one session at
// a time.  Fatal engine conditions end the process through the engine's
// stop (its message goes to unit IOERR).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/lp_model.h"

namespace tools {

struct SolveOptions {
  int print = 0;       // engine PRINT level (0..3), output on unit 8
  int space_report = 0;  // 1: the workspace map writes its space report
  int factor = 50;     // refactorisation interval FACTOR
  int look = 200;      // pricing window LOOK
  int pick = 10;       // candidates kept PICK
  int unit = 8;        // IOERR and IOLOG
};

// TERMIN codes of the primal driver.
inline constexpr int kTerminOptimal = 1;
inline constexpr int kTerminUnbounded = 2;
inline constexpr int kTerminInfeasible = 3;
inline constexpr int kTerminInaccurate = 4;  // optimal, residual check failed
inline constexpr int kTerminAbandoned = 5;

struct SolveResult {
  int termin = 0;
  double Z = 0.0;         // engine objective (maximisation form)
  int iter1 = 0, iter2 = 0;
  int unbounded_column = 0;  // engine column (1-based) after TERMIN 2
  double seconds = 0.0;   // slack basis and primal simplex
};

// "optimal", "infeasible", "unbounded", "optimal (residual check failed)",
// "abandoned", or "other (TERMIN n)".
std::string status_text(int termin);

class LpSession {
 public:
  LpSession(const EngineModel& model, const EngineSizes& sizes, const SolveOptions& options);
  LpSession(const LpSession&) = delete;
  LpSession& operator=(const LpSession&) = delete;
  ~LpSession();

  SolveResult primal();

  // The engine's arrays and sizes, for further engine operations on the
  // state a solve left (tools/sensitivity.h: ranging, dual re-solves).
  // Array pointers are to element 1; row arrays hold MAXM entries rounded
  // up to a multiple of 4, STATUS MAXN rounded likewise.  N counts the
  // logical columns, NSTRUCT the structural ones (engine columns
  // 1..NSTRUCT).  Valid while the session lives.
  struct EngineState {
    double* MEMORY = nullptr;
    int* MAPA = nullptr;
    int* MAPI = nullptr;
    int LENMA = 0, LENMI = 0, LENMY = 0, MAXA = 0, MAXM = 0, MAXN = 0;
    int M = 0, N = 0, NSTRUCT = 0, BNDTYP = 1, COLMAX = 1, IOERR = 8, IOLOG = 8;
    double BOUND = 0.0;
    double *B = nullptr, *BLOW = nullptr, *BASCB = nullptr, *BASLB = nullptr, *BASUB = nullptr;
    double *UZERO = nullptr, *XBZERO = nullptr, *YQ = nullptr, *COLA = nullptr;
    int *BASIS = nullptr, *STATUS = nullptr, *COLI = nullptr;
    double* Z = nullptr;
  };
  EngineState engine_state();

  // Values of the structural engine columns (model.columns order), from the
  // statuses and basic values of the last solve.
  std::vector<double> column_values() const;
  // Row prices UZERO(1..M) of the last solve (maximisation form).
  std::vector<double> prices() const;


 private:
  const EngineModel& model_;
  SolveOptions options_;
  int M_ = 0, N_ = 0, NSTRUCT_ = 0;
  int MAXA_ = 0, MAXM_ = 0, MAXN_ = 0, LENMY_ = 0, LENMA_ = 0, LENMI_ = 0;
  int BNDTYP_ = 1, COLMAX_ = 1;
  int MAPA_[20] = {}, MAPI_[20] = {};
  double BOUND_ = 0.0;
  struct Arrays;
  std::unique_ptr<Arrays> a_;
};

}  // namespace tools
