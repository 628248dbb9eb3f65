// units.h — the unit table: numbered input/output channels, as the whole
// program sees them.
//
//   5  keyboard (standard input)        6  screen (standard output)
//   7  problem data file   8  report file (also the LP engine's IOERR/IOLOG)
//   9  run-parameter file PARMS.POS
// Any other positive unit number behaves like 7..9.
//
// Output is record oriented.  Every record carries a carriage-control
// character that is rendered, not shown:
//   ' '  the record starts a new line
//   '0'  one empty line, then the record
//   '1'  a form feed, then the record
//   '+'  overprint: the record is merged into the previous line of the unit
//        (non-blank characters of the new record replace those beneath), so
//        a file shows one line
// A file unit keeps its last line pending until the next record, a read, a
// rewind, an endfile or a close ends it (trailing blanks are kept).  The
// screen shows each record at once and ends its line when the next record
// starts ('+' returns with "\r" and writes the merged line).  Prompts end
// without a line end.  After a keyboard read that answered a prompt, the
// next screen record starts a new line unless standard input is a terminal
// (whose Enter already ended the line); a keyboard read after an ordinary
// record ends that record's line first.  A write to a unit with no file connected connects
// it to "fort.N" in the current directory (created or replaced), so library
// callers need no set-up.
//
// Input is record oriented too: read_record() hands out the next line of a
// unit (without its line end).  Unit 5 reads standard input.
//
// Stops: stop_run() flushes and closes every unit, writes its message on the
// console and ends the process.  Tests may install a stop hook that is called
// in place of ending the process (it must not return: throw or longjmp).
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace io {

inline constexpr int kKeyboard = 5;
inline constexpr int kScreen = 6;

enum class OpenStatus {
  kOld,      // the file must exist
  kNew,      // created; fails if the file exists
  kReplace,  // created or replaced
  kUnknown,  // opened if it exists, created otherwise
};

enum class ReadStatus {
  kOk = 0,
  kBad = 1,  // the record could not be read as the requested values
  kEnd = 2,  // end of file (or of keyboard input)
};

// Connects UNIT to the file NAME (trailing blanks of NAME are ignored).
// Returns false, leaving the unit unconnected, when the file cannot be
// opened with that status.  A unit already connected is closed first.
bool open_unit(int unit, std::string_view name, OpenStatus status);

// True when UNIT is connected to a file (units 5 and 6 always are).
bool is_connected(int unit);

// The file name UNIT is connected to ("" for 5, 6 and unconnected units).
std::string unit_file_name(int unit);

// Closes UNIT: the pending line is ended and the file closed.  Closing an
// unconnected unit does nothing.
void close_unit(int unit);

// Positions UNIT at its first record.  Output written so far is kept.
void rewind_unit(int unit);

// Writes an end-of-file: the file is cut after the records written so far.
void endfile_unit(int unit);

// Flushes every unit (pending lines stay pending, but everything else is
// handed to the operating system).
void flush_all();

// Ends pending lines and closes every unit except 5 and 6.
void close_all();

// Writes one record: carriage control CC (' ', '0', '1' or '+') and TEXT.
void write_record(int unit, char cc, std::string_view text);

// Writes a prompt: a record started by CC but left open (no line end), so
// the reply is typed on the same line.
void write_prompt(int unit, char cc, std::string_view text);

// Reads the next record (line) of UNIT into LINE, without its line end.
// kEnd at end of file.  Reading from a unit with no file connected tries
// "fort.N".
ReadStatus read_record(int unit, std::string& line);

// Reads the next record of UNIT and keeps its first N characters, padded
// with blanks to exactly N (the 12-character file name, the title record).
ReadStatus read_text(int unit, int n, std::string& text);

// Ends the run: flush and close every unit, write MESSAGE as one line on the
// console (nothing when empty), and exit with EXIT_CODE.
[[noreturn]] void stop_run(int exit_code, std::string_view message);

// Replaces process termination in stop_run() (after the flush, close and
// message); the hook receives the exit code and must not return.  An empty
// function restores the default.  Meant for tests.
void set_stop_hook(std::function<void(int)> hook);

// Test support: drops every connection and pending line and forgets what was
// read from the keyboard.  Units 5/6 go back to standard input/output.
void reset_units();

// Test support: the keyboard reads IN and the screen writes OUT in place of
// standard input and output (nullptr restores either).  IN_IS_TERMINAL
// tells whether a typed Enter has already ended the screen line after a
// prompt (a terminal) or not (piped input; the default for a stream).
void set_console(std::istream* in, std::ostream* out, bool in_is_terminal = false);

}  // namespace io
