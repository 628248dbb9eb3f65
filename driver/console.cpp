// console.cpp — screen records, prompts and the end-of-keyboard stop.
#include "driver/console.h"

#include <string>

#include "driver/stops.h"

namespace driver {

void show(std::string_view text) { io::Line(io::kScreen) << text; }

void prompt(std::string_view text) {
  io::Line l(io::kScreen);
  l << text;
  l.prompt();
}

void keyboard_ended(std::string_view what) {
  io::stop_run(kStopEndOfInput, "End of keyboard input while asking for " +
                                    std::string(what) + "; aborting...");
}

}  // namespace driver
