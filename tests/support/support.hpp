// What the unit tests and the oracle programs share: matrices built from
// rows, set and row views, stream capture, and the oracle scaffolding
// (finding a tool, a scratch folder, running a tool, a tally of verdicts).
#ifndef ZONIX_TEST_SUPPORT_HPP
#define ZONIX_TEST_SUPPORT_HPP

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "dovavozu.h"
#include "zonix.hpp"

namespace zonix::test {

namespace fs = std::filesystem;
using Row = std::vector<double>;
using Rows = std::vector<Row>;
using Members = std::vector<long>;
using zonix::LP, zonix::LPSolution, zonix::Matrix, zonix::Polyhedra, zonix::Set, zonix::SetFamily;
using zonix::make_matrix, zonix::make_polyhedra, zonix::make_set;

// A matrix record holding rows (all of one length), lin its linearity rows.
inline Matrix matrix(const Rows &rows, dd_RepresentationType rep = dd_Inequality,
                     const Members &lin = {}, dd_NumberType type = dd_Real)
{
  dd_set_global_constants();
  const long m = static_cast<long>(rows.size());
  const long d = rows.empty() ? 0 : static_cast<long>(rows[0].size());
  Matrix M = make_matrix(m, d);
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < d; ++j) ddd_set_d(M->matrix[i][j], rows[i][j]);
  for (long r : lin) set_addelem(M->linset, r);
  M->representation = rep;
  M->numbtype = type;
  return M;
}

inline Rows operator+(Rows a, const Rows &b)
{
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline Rows rows_of(dd_MatrixPtr M)
{
  Rows out;
  for (long i = 0; M != nullptr && i < M->rowsize; ++i) {
    Row r;
    for (long j = 0; j < M->colsize; ++j) r.push_back(ddd_get_d(M->matrix[i][j]));
    out.push_back(r);
  }
  return out;
}

inline Members members(set_type s)
{
  Members v;
  for (long e = 1; s != nullptr && e <= set_groundsize(s); ++e)
    if (set_member(e, s)) v.push_back(e);
  return v;
}

inline std::vector<Members> members(dd_SetFamilyPtr F)
{
  std::vector<Members> v;
  for (long k = 0; F != nullptr && k < F->famsize; ++k) v.push_back(members(F->set[k]));
  return v;
}

inline Set set_of(long ground, std::initializer_list<long> elems)
{
  Set s = make_set(ground);
  for (long e : elems) set_addelem(s.get(), e);
  return s;
}

inline std::string read_file(const fs::path &p)
{
  std::ifstream in(p);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// What is on f from its start; f is closed.
inline std::string slurp(FILE *f)
{
  std::fflush(f);
  std::rewind(f);
  std::string out;
  for (int c; (c = std::fgetc(f)) != EOF;) out.push_back(static_cast<char>(c));
  std::fclose(f);
  return out;
}

// What write(f) puts on a temporary stream.
template <class F>
std::string capture(F write)
{
  FILE *f = std::tmpfile();
  if (f == nullptr) return "<no temporary file>";
  write(f);
  return slurp(f);
}

// What body() writes to stream (stdout or stderr), at the descriptor, so
// that text the library writes around the output hook shows too.
template <class F>
std::string capture_stream(FILE *stream, F body)
{
  std::fflush(stream);
  const int fd = fileno(stream), saved = dup(fd);
  FILE *tmp = std::tmpfile();
  dup2(fileno(tmp), fd);
  body();
  std::fflush(stream);
  dup2(saved, fd);
  close(saved);
  return slurp(tmp);
}

// The tool's path: $NAME (upper case) when set, else the first on PATH.
inline std::string find_tool(const std::string &name)
{
  std::string var;
  for (char c : name) var.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  if (const char *env = std::getenv(var.c_str()); env != nullptr && *env != '\0') return env;
  std::stringstream path(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
  for (std::string dir; std::getline(path, dir, ':');) {
    const fs::path cand = fs::path(dir.empty() ? "." : dir) / name;
    if (access(cand.c_str(), X_OK) == 0) return cand.string();
  }
  return {};
}

// A fresh folder under the temporary directory, removed with the object.
class Scratch {
 public:
  explicit Scratch(const std::string &stem)
  {
    std::string t = (fs::temp_directory_path() / (stem + ".XXXXXX")).string();
    if (mkdtemp(t.data()) != nullptr) dir_ = t;
  }
  ~Scratch()
  {
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
  }
  Scratch(const Scratch &) = delete;
  Scratch &operator=(const Scratch &) = delete;
  bool ok() const { return !dir_.empty(); }
  fs::path operator/(const std::string &name) const { return dir_ / name; }

 private:
  fs::path dir_;
};

inline std::string quoted(const std::string &s) { return "'" + s + "'"; }

// Runs `tool args` with the input text in a file of the scratch folder
// (stem.ext) and returns what the tool wrote to its output file, or to
// standard output when out_file is false; nothing when it fails.
inline std::optional<std::string> run_tool(const Scratch &dir, const std::string &tool,
                                           const std::string &args, const std::string &input,
                                           const std::string &file = "in.txt",
                                           bool out_file = true)
{
  const fs::path in = dir / file, out = dir / (file + ".out");
  std::ofstream(in) << input;
  fs::remove(out);
  const std::string cmd = quoted(tool) + " " + args + (args.empty() ? "" : " ") +
                          quoted(in.string()) + (out_file ? " " : " > ") +
                          quoted(out.string()) + (out_file ? " > /dev/null" : "") + " 2>/dev/null";
  if (std::system(cmd.c_str()) != 0) return std::nullopt;
  return read_file(out);
}

// A check's outcome: the first reason given stays in front.
struct Verdict {
  bool ok = true;
  std::string message;
  void fail(const std::string &why) { message += (ok ? "" : "; ") + why, ok = false; }
};

// One line a check ("ok" or "FAIL") and a closing count.
struct Tally {
  int passed = 0, failed = 0;
  void report(const std::string &name, const Verdict &v, const std::string &summary = {})
  {
    ++(v.ok ? passed : failed);
    std::printf("%s %s: %s\n", v.ok ? "ok" : "FAIL", name.c_str(), v.ok ? summary.c_str() : v.message.c_str());
    std::fflush(stdout);
  }
  void fail(const std::string &name, const std::string &why) { report(name, Verdict{false, why}); }
  // Prints the count and gives the exit status.
  int finish(const char *program) const
  {
    std::printf("%s: %d passed, %d failed\n", program, passed, failed);
    return failed == 0 ? 0 : 1;
  }
};

}  // namespace zonix::test

#endif  // ZONIX_TEST_SUPPORT_HPP
