// lp_solve.cpp — LpSession: workspace map, column and bound store, slack
// basis and primal simplex through the engine's routines.
#include "tools/lp_solve.h"

#include <chrono>

#include "lp/engine.h"

namespace tools {

namespace {

// Capacity rounded up to a multiple of 4, as the workspace map uses it;
// every row- and column-indexed array is dimensioned to it.
int round4(int v) { return (v + 3) / 4 * 4; }

}  // namespace

struct LpSession::Arrays {
  explicit Arrays(int lenmy) : workspace(lenmy) {}
  lp::Workspace workspace;
  std::vector<double> B, BLOW, BASCB, BASLB, BASUB, UZERO, XBZERO, YQ;
  std::vector<int> BASIS, ROWTYP, STATUS;
  std::vector<double> COLA, CANDA, CANDCJ;
  std::vector<int> COLI, CANDI, CAND, CANDL;
  double Z = 0.0;
};

LpSession::LpSession(const EngineModel& model, const EngineSizes& sizes, const SolveOptions& options)
    : model_(model), options_(options) {
  M_ = model.M;
  NSTRUCT_ = static_cast<int>(model.columns.size());
  MAXA_ = static_cast<int>(sizes.MAXA);
  MAXM_ = static_cast<int>(sizes.MAXM);
  MAXN_ = static_cast<int>(sizes.MAXN);
  LENMY_ = static_cast<int>(sizes.LENMY);
  BNDTYP_ = model.BNDTYP;
  COLMAX_ = model.colmax;
  a_ = std::make_unique<Arrays>(LENMY_);
  Arrays& a = *a_;
  const auto rows = static_cast<std::size_t>(round4(MAXM_));
  const auto cols = static_cast<std::size_t>(round4(MAXN_));
  a.B.assign(rows, 0.0);
  a.BLOW.assign(rows, 0.0);
  for (int i = 0; i < M_; ++i) {
    a.B[static_cast<std::size_t>(i)] = model.B[static_cast<std::size_t>(i)];
    a.BLOW[static_cast<std::size_t>(i)] = model.BLOW[static_cast<std::size_t>(i)];
  }
  a.ROWTYP.assign(rows, 1);
  for (int i = 0; i < M_; ++i) a.ROWTYP[static_cast<std::size_t>(i)] = model.ROWTYP[static_cast<std::size_t>(i)];
  a.BASCB.assign(rows, 0.0);
  a.BASLB.assign(rows, 0.0);
  a.BASUB.assign(rows, 0.0);
  a.UZERO.assign(rows, 0.0);
  a.XBZERO.assign(rows, 0.0);
  a.YQ.assign(rows, 0.0);
  a.BASIS.assign(rows, 0);
  a.STATUS.assign(cols, 0);
  const auto colmax = static_cast<std::size_t>(COLMAX_);
  const auto pick = static_cast<std::size_t>(options_.pick);
  a.COLA.assign(colmax, 0.0);
  a.COLI.assign(colmax, 0);
  a.CANDA.assign(colmax * pick, 0.0);
  a.CANDI.assign(colmax * pick, 0);
  a.CANDCJ.assign(pick, 0.0);
  a.CAND.assign(pick, 0);
  a.CANDL.assign(pick, 0);

  // 1. Map the workspace.
  double* MEMORY = a.workspace.data();
  int IPRINT = options_.space_report;
  int IOERR = options_.unit;
  XMAPS(IPRINT, BNDTYP_, IOERR, LENMA_, LENMI_, LENMY_, MAPA_, MAPI_, MAXA_, MAXM_, MAXN_, MEMORY);

  // 2. Store the structural columns and, with per-column bounds, their bounds.
  N_ = 0;
  for (const EngineColumn& c : model.columns) {
    double CJ = c.cost;
    int COLLEN = static_cast<int>(c.rows.size());
    for (std::size_t k = 0; k < c.rows.size(); ++k) {
      a.COLA[k] = c.values[k];
      a.COLI[k] = c.rows[k];
    }
    int J = 0;
    XADDAJ(CJ, a.COLA.data(), a.COLI.data(), COLLEN, COLMAX_, IOERR, J, LENMA_, LENMY_, MAPA_, MEMORY, N_);
    if (BNDTYP_ >= 3) {
      double LJ = c.lower, UJ = c.upper;
      XADDUB(BNDTYP_, IOERR, J, LENMA_, LENMY_, LJ, MAPA_, MEMORY, UJ);
    }
  }
}

LpSession::~LpSession() = default;

SolveResult LpSession::primal() {
  Arrays& a = *a_;
  double* MEMORY = a.workspace.data();
  int IOERR = options_.unit, IOLOG = options_.unit;
  SolveResult r;
  const auto start = std::chrono::steady_clock::now();

  // 3. Slack basis: structural columns start at their lower bounds.
  for (int j = 0; j < NSTRUCT_; ++j) a.STATUS[static_cast<std::size_t>(j)] = 0;
  XSLACK(a.B.data(), a.BASCB.data(), a.BASIS.data(), a.BASLB.data(), a.BASUB.data(), a.BLOW.data(),
         BNDTYP_, BOUND_, a.COLA.data(), a.COLI.data(), COLMAX_, IOERR, LENMA_, LENMI_, LENMY_, M_, MAPA_,
         MAPI_, MAXM_, MAXN_, MEMORY, N_, a.ROWTYP.data(), a.STATUS.data(), a.UZERO.data(),
         a.XBZERO.data(), a.Z);

  // 4. Two-phase primal simplex.
  int FACTOR = options_.factor, LOOK = options_.look, PICK = options_.pick, PRINT = options_.print;
  int NTYPE2 = 0, TERMIN = 0, UNBDDQ = 0, ITER1 = 0, ITER2 = 0;
  XPRIML(a.B.data(), a.BASCB.data(), a.BASIS.data(), a.BASLB.data(), a.BASUB.data(), BNDTYP_, BOUND_,
         a.CAND.data(), a.CANDA.data(), a.CANDCJ.data(), a.CANDI.data(), a.CANDL.data(), a.COLA.data(),
         a.COLI.data(), COLMAX_, FACTOR, IOERR, IOLOG, ITER1, ITER2, LENMA_, LENMI_, LENMY_, LOOK, M_,
         MAPA_, MAPI_, MAXM_, MAXN_, MEMORY, N_, NTYPE2, PICK, PRINT, a.STATUS.data(), TERMIN, UNBDDQ,
         a.UZERO.data(), a.XBZERO.data(), a.YQ.data(), a.Z);
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  r.termin = TERMIN;
  r.Z = a.Z;
  r.iter1 = ITER1;
  r.iter2 = ITER2;
  r.unbounded_column = UNBDDQ;
  return r;
}

std::vector<double> LpSession::column_values() const {
  const Arrays& a = *a_;
  std::vector<double> y(static_cast<std::size_t>(NSTRUCT_), 0.0);
  for (int j = 0; j < NSTRUCT_; ++j) {
    const EngineColumn& c = model_.columns[static_cast<std::size_t>(j)];
    const int s = a.STATUS[static_cast<std::size_t>(j)];
    double v = 0.0;
    if (s >= 1) {
      v = a.XBZERO[static_cast<std::size_t>(s - 1)];  // basic, or superbasic beyond M
    } else if (s == 0 || s == -4) {
      v = BNDTYP_ == 4 ? c.lower : 0.0;
    } else if (s == -2 || s == -3) {
      v = 0.0;
    } else {
      v = c.upper;  // at its upper bound
    }
    y[static_cast<std::size_t>(j)] = v;
  }
  return y;
}

std::vector<double> LpSession::prices() const {
  return {a_->UZERO.begin(), a_->UZERO.begin() + M_};
}

LpSession::EngineState LpSession::engine_state() {
  Arrays& a = *a_;
  EngineState s;
  s.MEMORY = a.workspace.data();
  s.MAPA = MAPA_;
  s.MAPI = MAPI_;
  s.LENMA = LENMA_;
  s.LENMI = LENMI_;
  s.LENMY = LENMY_;
  s.MAXA = MAXA_;
  s.MAXM = MAXM_;
  s.MAXN = MAXN_;
  s.M = M_;
  s.N = N_;
  s.NSTRUCT = NSTRUCT_;
  s.BNDTYP = BNDTYP_;
  s.COLMAX = COLMAX_;
  s.IOERR = s.IOLOG = options_.unit;
  s.BOUND = BOUND_;
  s.B = a.B.data();
  s.BLOW = a.BLOW.data();
  s.BASCB = a.BASCB.data();
  s.BASLB = a.BASLB.data();
  s.BASUB = a.BASUB.data();
  s.UZERO = a.UZERO.data();
  s.XBZERO = a.XBZERO.data();
  s.YQ = a.YQ.data();
  s.COLA = a.COLA.data();
  s.BASIS = a.BASIS.data();
  s.STATUS = a.STATUS.data();
  s.COLI = a.COLI.data();
  s.Z = &a.Z;
  return s;
}

std::string status_text(int termin) {
  switch (termin) {
    case kTerminOptimal: return "optimal";
    case kTerminUnbounded: return "unbounded";
    case kTerminInfeasible: return "infeasible";
    case kTerminInaccurate: return "optimal (residual check failed)";
    case kTerminAbandoned: return "abandoned";
    default: return "other (TERMIN " + std::to_string(termin) + ")";
  }
}

}  // namespace tools
