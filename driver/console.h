// console.h — screen lines, prompts and keyboard replies.
//
//   show(text)              one screen record; the first character of TEXT
//                           is its carriage control (' ' new line, '0' an
//                           empty line first, ...), not shown; "" is an
//                           empty line
//   prompt(text)            the same left open: the reply follows on the line
//   ask(p, what, v...)      prompt P and read V... in free format, repeating
//                           the prompt while the reply cannot be read
//   keyboard_ended(what)    stop: keyboard input ended while asking WHAT
//
// Keyboard input that has ended is never waited on again: the run stops with
// exit status kStopEndOfInput and the console line
// "End of keyboard input while asking for <what>; aborting...".
#pragma once

#include <string_view>

#include "io/list_input.h"
#include "io/record.h"
#include "io/units.h"

namespace driver {

void show(std::string_view text);
void prompt(std::string_view text);
[[noreturn]] void keyboard_ended(std::string_view what);

// One read of V... after prompt P.  Returns the read status (never kEnd: the
// run stops instead).
template <typename... T>
io::ReadStatus ask_once(std::string_view p, std::string_view what, T&... v) {
  prompt(p);
  io::ListReader in(io::kKeyboard);
  (in >> ... >> v);
  if (in.status() == io::ReadStatus::kEnd) keyboard_ended(what);
  return in.status();
}

// Prompt P and read V... until the reply can be read.
template <typename... T>
void ask(std::string_view p, std::string_view what, T&... v) {
  while (ask_once(p, what, v...) != io::ReadStatus::kOk) {
  }
}

// As ask, and also until VALID() holds; RULE is shown before each repeat
// caused by a value that was read but is not acceptable.
template <typename Valid, typename... T>
void ask_valid(std::string_view p, std::string_view what, std::string_view rule,
               Valid valid, T&... v) {
  for (;;) {
    ask(p, what, v...);
    if (valid()) return;
    show(rule);
  }
}

}  // namespace driver
