// pricing_pass.h — window control of one pricing pass of the primal phases.
//
// A pass calls FCAND on consecutive windows of LOOK columns, cyclically,
// starting at SAVE, until a window yields candidates or every column has
// been scanned since SAVE.  After each call:
//
//   START1 = next_window_start(START2, N);
//   if candidates were found: stop the pass;
//   if (!continue_pass(START1, LOOK, START2, WSTART, SAVE)) nothing found;
//
// where WSTART is the start of the window just scanned.
#pragma once

namespace lp {

// The column after START2, cyclically over 1..N.
inline int next_window_start(int START2, int N) {
  return (START2 + 1 > N) ? 1 : START2 + 1;
}

// False when every column has been scanned since SAVE: the next window
// starts at SAVE again, or the window just scanned wrapped around (ended at
// START2 below its own start WSTART) and reached SAVE.  Otherwise true; a
// next window that starts before SAVE and would reach it is cut to end just
// before SAVE (LOOK = SAVE - START1).
inline bool continue_pass(int START1, int& LOOK, int START2, int WSTART,
                          int SAVE) {
  if (START1 == SAVE || (START2 < WSTART && START2 >= SAVE)) return false;
  if (START1 < SAVE && SAVE <= static_cast<long long>(START1) + LOOK - 1)
    LOOK = SAVE - START1;
  return true;
}

// While an instance lives, phase 2 is running: within a feasibility band
// (lp::FeasibilityBand) its ratio test blocks every step that would carry
// a value further beyond a bound it already violates.
class PhaseTwoRunning {
 public:
  PhaseTwoRunning();
  ~PhaseTwoRunning();
  PhaseTwoRunning(const PhaseTwoRunning&) = delete;
  PhaseTwoRunning& operator=(const PhaseTwoRunning&) = delete;

 private:
  bool previous_;
};

}  // namespace lp
