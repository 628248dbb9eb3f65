// stops.h — exit statuses of the program's stops and the two storage texts.
//
// The normal stop exits 0.  Every abnormal stop goes through io::stop_run,
// which flushes and closes every unit and writes one console line first.
#pragma once

namespace driver {

inline constexpr int kStopNormal = 0;
inline constexpr int kStopInputError = 2;  // data file or reply unusable
inline constexpr int kStopStorage = 3;     // problem arrays not allocated
inline constexpr int kStopEndOfInput = 4;  // keyboard input ended

inline constexpr const char* kNoStorage =
    "Not enough storage for data; aborting...";
inline constexpr const char* kNormalStop = "Stop - Program terminated.";

}  // namespace driver
