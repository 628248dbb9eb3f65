// units.cpp — the unit table: files connected to unit numbers, the console,
// carriage control, and the run's stop.
//
//   open_unit, is_connected, unit_file_name, close_unit, rewind_unit,
//   endfile_unit, flush_all, close_all       connections and positioning
//   write_record, write_prompt                output records
//   read_record, read_text                    input records
//   stop_run, set_stop_hook                   the end of a run
//   reset_units, set_console                  test support
//
// Output model.  A file unit keeps its last record as a pending line: the
// line is ended ("\n") only when the next record starts, or the unit is
// read, rewound, ended or closed, so that an overprint record ('+') can
// still be merged into it.  The screen cannot wait (a prompt must be seen
// before the reply is typed): its text is written at once and the line end
// is emitted when the next record starts; an overprint returns to the start
// of the line with "\r" and writes the merged line.
//
// Positioning follows sequential Fortran files: a write after a rewind or a
// read cuts the file after the record just before it; reading a unit that
// was just written first ends its pending line.
#include "io/units.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <system_error>
#include <utility>

#if __has_include(<unistd.h>)
#include <unistd.h>
#define POSY_HAVE_ISATTY 1
#endif

namespace io {
namespace {

namespace fs = std::filesystem;

// A unit connected to a file.
struct FileUnit {
  std::string name;   // as given, trailing blanks removed
  fs::path path;      // absolute, for cutting the file
  std::FILE* file = nullptr;
  bool writable = true;
  std::string pending;       // the last record's line, not yet ended
  bool has_pending = false;
  bool last_was_write = false;  // the stream's last operation
  bool inside = false;       // positioned by a rewind or a read: a write cuts
};

// The console: keyboard (unit 5) and screen (unit 6).
struct Console {
  std::istream* in = nullptr;   // nullptr: std::cin
  std::ostream* out = nullptr;  // nullptr: std::cout
  bool in_is_terminal = false;  // only consulted when in != nullptr
  bool line_open = false;       // text written on the current screen line
  bool prompt_open = false;     // ... and that text is a prompt
  std::string line;             // the current screen line, for overprints
};

struct Table {
  std::map<int, FileUnit> files;
  Console con;
  std::function<void(int)> stop_hook;
  ~Table();
};

Table& table() {
  static Table t;
  return t;
}

std::ostream& screen() {
  Console& c = table().con;
  return c.out ? *c.out : std::cout;
}

std::istream& keyboard() {
  Console& c = table().con;
  return c.in ? *c.in : std::cin;
}

bool keyboard_is_terminal() {
  Console& c = table().con;
  if (c.in) return c.in_is_terminal;
#ifdef POSY_HAVE_ISATTY
  return isatty(0) != 0;
#else
  return true;
#endif
}

std::string_view trim_right(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// OLD's characters with every non-blank character of NEW written over them.
std::string overprint(const std::string& old, std::string_view text) {
  std::string merged = old;
  if (merged.size() < text.size()) merged.resize(text.size(), ' ');
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] != ' ') merged[i] = text[i];
  return merged;
}

// ---- the screen ---------------------------------------------------------

void screen_record(char cc, std::string_view text, bool prompt) {
  Console& c = table().con;
  std::ostream& out = screen();
  if (cc == '+' && c.line_open) {
    c.line = overprint(c.line, text);
    out << '\r' << c.line;
  } else {
    if (c.line_open) out << '\n';
    if (cc == '0') out << '\n';
    if (cc == '1') out << '\f';
    out << text;
    c.line.assign(text);
  }
  c.line_open = true;
  c.prompt_open = prompt;
  out.flush();
}

void end_screen_line() {
  Console& c = table().con;
  if (c.line_open) screen() << '\n';
  c.line_open = false;
  c.prompt_open = false;
  c.line.clear();
  screen().flush();
}

// ---- file units ---------------------------------------------------------

void put(FileUnit& u, std::string_view s) {
  if (!u.file || !u.writable) return;
  std::fwrite(s.data(), 1, s.size(), u.file);
}

void end_pending(FileUnit& u) {
  if (!u.has_pending) return;
  u.has_pending = false;
  put(u, u.pending);
  put(u, "\n");
  u.pending.clear();
}

// Makes the stream ready for a write: a write inside the file (after a
// rewind or a read) makes it the file's last record, so the rest is cut.
void begin_write(FileUnit& u) {
  if (!u.file) return;
  if (!u.last_was_write || u.inside) {
    // A seek must separate reading from writing; it also drops the read
    // buffer, so the file can be cut underneath the stream.
    long pos = std::ftell(u.file);
    if (pos < 0) pos = 0;
    std::fseek(u.file, pos, SEEK_SET);
    if (u.inside && u.writable) {
      std::error_code ec;
      const std::uintmax_t size = fs::file_size(u.path, ec);
      if (!ec && size > static_cast<std::uintmax_t>(pos))
        fs::resize_file(u.path, static_cast<std::uintmax_t>(pos), ec);
    }
  }
  u.inside = false;
  u.last_was_write = true;
}

void begin_read(FileUnit& u) {
  end_pending(u);
  if (u.file && u.last_was_write) {
    std::fflush(u.file);
    std::fseek(u.file, 0, SEEK_CUR);
  }
  u.last_was_write = false;
  u.inside = true;
}

void file_record(FileUnit& u, char cc, std::string_view text) {
  begin_write(u);
  if (cc == '+' && u.has_pending) {
    u.pending = overprint(u.pending, text);
    return;
  }
  end_pending(u);
  if (cc == '0') put(u, "\n");
  if (cc == '1') put(u, "\f");
  u.pending.assign(text);
  u.has_pending = true;
}

void close_file(FileUnit& u) {
  if (!u.file) return;
  if (u.has_pending) {
    begin_write(u);
    end_pending(u);
  }
  std::fclose(u.file);
  u.file = nullptr;
}

std::FILE* open_file(const std::string& name, OpenStatus status, bool& writable) {
  writable = true;
  std::error_code ec;
  switch (status) {
    case OpenStatus::kOld: {
      if (!fs::exists(name, ec)) return nullptr;
      if (std::FILE* f = std::fopen(name.c_str(), "r+b")) return f;
      writable = false;
      return std::fopen(name.c_str(), "rb");
    }
    case OpenStatus::kNew:
      if (fs::exists(name, ec)) return nullptr;
      return std::fopen(name.c_str(), "w+b");
    case OpenStatus::kReplace:
      return std::fopen(name.c_str(), "w+b");
    case OpenStatus::kUnknown:
      if (fs::exists(name, ec)) {
        if (std::FILE* f = std::fopen(name.c_str(), "r+b")) return f;
        writable = false;
        return std::fopen(name.c_str(), "rb");
      }
      return std::fopen(name.c_str(), "w+b");
  }
  return nullptr;
}

// The file unit UNIT, connecting it to fort.UNIT first when it is not
// connected (STATUS says how).  nullptr when that fails.
FileUnit* file_unit(int unit, OpenStatus status) {
  auto& files = table().files;
  auto it = files.find(unit);
  if (it != files.end()) return &it->second;
  if (!open_unit(unit, "fort." + std::to_string(unit), status)) return nullptr;
  return &files.find(unit)->second;
}

bool is_screen(int unit) {
  return (unit == kScreen || unit == kKeyboard) && !table().files.count(unit);
}

Table::~Table() {
  // Files still open at the end of the process are completed and closed.
  for (auto& [unit, u] : files) close_file(u);
  files.clear();
  if (!con.out && con.line_open) {
    std::cout << '\n';
    std::cout.flush();
  }
}

}  // namespace

bool open_unit(int unit, std::string_view name, OpenStatus status) {
  close_unit(unit);
  const std::string trimmed(trim_right(name));
  if (trimmed.empty()) return false;
  FileUnit u;
  u.name = trimmed;
  std::error_code ec;
  u.path = fs::absolute(trimmed, ec);
  if (ec) u.path = trimmed;
  u.file = open_file(trimmed, status, u.writable);
  if (!u.file) return false;
  table().files.emplace(unit, std::move(u));
  return true;
}

bool is_connected(int unit) {
  return unit == kKeyboard || unit == kScreen || table().files.count(unit) > 0;
}

std::string unit_file_name(int unit) {
  auto& files = table().files;
  auto it = files.find(unit);
  return it == files.end() ? std::string() : it->second.name;
}

void close_unit(int unit) {
  auto& files = table().files;
  auto it = files.find(unit);
  if (it == files.end()) return;
  close_file(it->second);
  files.erase(it);
}

void rewind_unit(int unit) {
  auto& files = table().files;
  auto it = files.find(unit);
  if (it == files.end()) return;
  FileUnit& u = it->second;
  if (u.has_pending) {
    begin_write(u);
    end_pending(u);
  }
  std::fseek(u.file, 0, SEEK_SET);  // writes out what is buffered
  u.last_was_write = false;
  u.inside = true;
}

void endfile_unit(int unit) {
  FileUnit* u = file_unit(unit, OpenStatus::kUnknown);
  if (!u) return;
  // An endfile is a write: it cuts the file at the current position.
  begin_write(*u);
  end_pending(*u);
  std::fflush(u->file);
}

void flush_all() {
  for (auto& [unit, u] : table().files)
    if (u.file && u.last_was_write) std::fflush(u.file);
  screen().flush();
}

void close_all() {
  auto& files = table().files;
  for (auto& [unit, u] : files) close_file(u);
  files.clear();
}

void write_record(int unit, char cc, std::string_view text) {
  if (is_screen(unit)) return screen_record(cc, text, false);
  if (FileUnit* u = file_unit(unit, OpenStatus::kReplace)) file_record(*u, cc, text);
}

void write_prompt(int unit, char cc, std::string_view text) {
  if (is_screen(unit)) return screen_record(cc, text, true);
  if (FileUnit* u = file_unit(unit, OpenStatus::kReplace)) file_record(*u, cc, text);
}

ReadStatus read_record(int unit, std::string& line) {
  line.clear();
  if (is_screen(unit)) {
    if (unit != kKeyboard) return ReadStatus::kEnd;
    Console& c = table().con;
    // A record (not a prompt) still open on the screen is ended first, so
    // the reply is not typed on its line.
    if (c.line_open && !c.prompt_open) end_screen_line();
    if (c.prompt_open) {
      // On a terminal the reply's Enter has ended the prompt's line; piped
      // input echoes nothing, so the next record must start a new line.
      if (keyboard_is_terminal()) {
        c.line_open = false;
        c.line.clear();
      }
      c.prompt_open = false;
    }
    std::istream& in = keyboard();
    if (!std::getline(in, line)) {
      if (line.empty()) return ReadStatus::kEnd;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return ReadStatus::kOk;
  }
  FileUnit* u = file_unit(unit, OpenStatus::kOld);
  if (!u || !u->file) return ReadStatus::kEnd;
  begin_read(*u);
  int ch = std::fgetc(u->file);
  if (ch == EOF) return ReadStatus::kEnd;
  while (ch != EOF && ch != '\n') {
    line += static_cast<char>(ch);
    ch = std::fgetc(u->file);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return ReadStatus::kOk;
}

ReadStatus read_text(int unit, int n, std::string& text) {
  std::string line;
  const ReadStatus st = read_record(unit, line);
  if (st != ReadStatus::kOk) return st;
  if (n < 0) n = 0;
  text = line.substr(0, static_cast<std::size_t>(n));
  text.resize(static_cast<std::size_t>(n), ' ');
  return st;
}

void stop_run(int exit_code, std::string_view message) {
  close_all();
  if (!message.empty()) screen_record(' ', message, false);
  end_screen_line();
  std::cout.flush();
  std::fflush(stdout);
  // A copy: the hook may replace itself.
  std::function<void(int)> hook = table().stop_hook;
  if (hook) hook(exit_code);
  std::exit(exit_code);
}

void set_stop_hook(std::function<void(int)> hook) { table().stop_hook = std::move(hook); }

void reset_units() {
  close_all();
  Console& c = table().con;
  c = Console{};
  std::cin.clear();
}

void set_console(std::istream* in, std::ostream* out, bool in_is_terminal) {
  Console& c = table().con;
  c.in = in;
  c.out = out;
  c.in_is_terminal = in_is_terminal;
  c.line_open = false;
  c.prompt_open = false;
  c.line.clear();
}

}  // namespace io
