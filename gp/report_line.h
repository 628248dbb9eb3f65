// report_line.h — the solver writes its printed output through io::Line: the
// first character of each line is its carriage control (' ' new line, '0'
// an empty line first), as the report layouts list the lines.
//
//   Line(8) << " PRIMAL SOLUTION" << io::E(v, 18, 8);
//   Line(8) << " ";                                     // an empty line
#pragma once

#include "io/edit.h"
#include "io/record.h"

namespace gp {

using io::Line;

// The report file (also the engine's IOERR and IOLOG in the master LP).
inline constexpr int kReport = 8;

}  // namespace gp
