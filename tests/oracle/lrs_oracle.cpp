// Checks the double description engine against lrs, an independent exact
// vertex/facet enumerator.
//
// Every instance of the suite is converted twice: by the library through
// its C interface, and by lrs in exact rational arithmetic.  The results are
// compared as sets of homogenised rows: linearity rows (lines, equations) as
// subspaces, the other rows projected onto the orthogonal complement of that
// subspace and scaled to largest absolute entry 1, which makes each of them
// unique.  The library's adjacency of output rows is compared with the graph
// derived from lrs's rows by incidence with the input rows.  Before that,
// the comparison itself is checked: on hand-made answers, on lrs round trips
// and known representations, and on damaged answers that it must refuse.
//
//   lrs_oracle               self checks, then the library against lrs
//   lrs_oracle --self-test   the self checks only (no library calls)
//   lrs_oracle --zonix       the library against lrs only
//   lrs_oracle --only TEXT   restrict to instances whose name contains TEXT
//   lrs_oracle --list        list the instances
//   lrs_oracle --keep DIR    keep the lrs files in DIR
//   lrs_oracle --family NAME PARAM...   compare one generated instance
//
// Prints "ok", "FAIL" or (for the listed numerical limits) "xfail" per
// check and closes with "N passed, M failed".  Exit status 0 when nothing
// failed, 1 otherwise, also when lrs is missing: it is a required tool of
// this project.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "dovavozu.h"
#include "families.h"

namespace fam = zonix::families;
namespace fs = std::filesystem;
using fam::Instance;
using fam::Rational;
using fam::Rep;

namespace {

using Real = long double;
using Vec = std::vector<Real>;

// Rows after scaling differ by rounding of the library's doubles only; the
// engine decides signs at 1e-7, so 1e-6 separates noise from real
// differences on the moderate coordinates of the suite.
constexpr Real kMatchTol = 1e-6L;
// Distinct vertices of a large instance can lie closer than kMatchTol, so
// rows count as the same row only much closer: lrs's are exact, the
// library's agree to about 1e-12 when they repeat.
constexpr Real kSameTolLrs = 1e-12L;
constexpr Real kSameTolZonix = 1e-9L;

// Outputs beyond this size are compared as sets only.
constexpr std::size_t kMaxAdjacencyRows = 1500;

// ---- small linear algebra ------------------------------------------------------

Real dot(const Vec& a, const Vec& b)
{
  Real s = 0;
  for (std::size_t j = 0; j < a.size(); ++j) s += a[j] * b[j];
  return s;
}

Real norm(const Vec& a) { return std::sqrt(dot(a, a)); }

Real maxabs(const Vec& a)
{
  Real m = 0;
  for (Real x : a) m = std::max(m, std::fabs(x));
  return m;
}

// v minus its projection onto the span of the orthonormal rows of q.
Vec residual(const Vec& v, const std::vector<Vec>& q)
{
  Vec r = v;
  for (int pass = 0; pass < 2; ++pass)  // twice: Gram-Schmidt loses orthogonality once
    for (const Vec& b : q) {
      Real c = dot(r, b);
      for (std::size_t j = 0; j < r.size(); ++j) r[j] -= c * b[j];
    }
  return r;
}

// Orthonormal basis of the span of rows; a row counts as dependent when less
// than 1e-9 of its length stays outside the span of the earlier ones.
std::vector<Vec> orthonormal_basis(const std::vector<Vec>& rows)
{
  std::vector<Vec> q;
  for (const Vec& v : rows) {
    Real n0 = norm(v);
    if (n0 == 0) continue;
    Vec r = residual(v, q);
    Real n = norm(r);
    if (n <= 1e-9L * n0) continue;
    for (Real& x : r) x /= n;
    q.push_back(std::move(r));
  }
  return q;
}

bool in_span(const Vec& v, const std::vector<Vec>& q)
{
  Real n0 = norm(v);
  return n0 == 0 || norm(residual(v, q)) <= 1e-7L * n0;
}

Vec scaled_to_maxabs(const Vec& v)
{
  Real m = maxabs(v);
  Vec r = v;
  if (m > 0)
    for (Real& x : r) x /= m;
  return r;
}

Real distance(const Vec& a, const Vec& b)
{
  Real m = 0;
  for (std::size_t j = 0; j < a.size(); ++j) m = std::max(m, std::fabs(a[j] - b[j]));
  return m;
}

bool close(const Vec& a, const Vec& b, Real tol)
{
  for (std::size_t j = 0; j < a.size(); ++j)
    if (std::fabs(a[j] - b[j]) > tol) return false;
  return true;
}

// Rows within a tolerance of a query, found through a sorted projection
// onto a fixed direction, so that large outputs match in n log n.
class NearIndex {
 public:
  NearIndex(std::size_t dim, Real tol) : w_(dim), tol_(tol)
  {
    // Irrational-looking weights: no lattice direction of small integer
    // rows projects many of them onto one key.
    for (std::size_t j = 0; j < dim; ++j) w_[j] = 1 + std::fmod(0.6180339887L * (j + 1), 1.0L);
    for (Real x : w_) reach_ += x * tol;
  }
  void add(const Vec& v, std::size_t id) { keys_.emplace(dot(w_, v), Entry{v, id}); }
  // Ids of the stored rows within tol (at most the index's) of v, nearest
  // first.
  std::vector<std::size_t> near(const Vec& v, Real tol) const
  {
    std::vector<std::pair<Real, std::size_t>> found;
    Real k = dot(w_, v);
    for (auto it = keys_.lower_bound(k - reach_); it != keys_.end() && it->first <= k + reach_; ++it)
      if (close(it->second.row, v, tol)) found.emplace_back(distance(it->second.row, v), it->second.id);
    std::sort(found.begin(), found.end());
    std::vector<std::size_t> ids;
    for (auto& f : found) ids.push_back(f.second);
    return ids;
  }
  std::vector<std::size_t> near(const Vec& v) const { return near(v, tol_); }

 private:
  struct Entry {
    Vec row;
    std::size_t id;
  };
  Vec w_;
  Real tol_;
  Real reach_ = 0;
  std::multimap<Real, Entry> keys_;
};

std::string show(const Vec& v, bool as_point)
{
  // Points are shown with first coordinate 1, everything else as it stands.
  Vec w = v;
  if (as_point && w[0] != 0) {
    Real f = w[0];
    for (Real& x : w) x /= f;
  }
  std::ostringstream out;
  out << '(';
  for (std::size_t j = 0; j < w.size(); ++j) {
    Real x = std::fabs(w[j]) < 1e-12L ? 0 : w[j];
    out << (j ? ", " : "") << static_cast<double>(x);
  }
  out << ')';
  return out.str();
}

// ---- a representation read back ------------------------------------------------

struct Output {
  bool inequalities = false;  // rows are inequalities (else generators)
  bool infeasible = false;    // lrs reported no feasible solution
  std::vector<Vec> rows;
  std::vector<bool> lin;
  std::vector<std::vector<std::string>> text;  // lrs's exact tokens
  std::size_t count_lin() const { return std::count(lin.begin(), lin.end(), true); }
};

// ---- lrs -------------------------------------------------------------------------

std::string g_lrs;  // path of the lrs executable
fs::path g_workdir;

std::string find_lrs()
{
  if (const char* env = std::getenv("LRS"); env && *env) return env;
  const char* path = std::getenv("PATH");
  std::string p = path ? path : "/usr/bin:/bin";
  std::stringstream ss(p);
  std::string dir;
  while (std::getline(ss, dir, ':')) {
    fs::path cand = fs::path(dir.empty() ? "." : dir) / "lrs";
    if (access(cand.c_str(), X_OK) == 0) return cand.string();
  }
  return {};
}

Real parse_rational(const std::string& tok, bool* ok)
{
  char* end = nullptr;
  auto slash = tok.find('/');
  std::string num = tok.substr(0, slash);
  Real v = std::strtold(num.c_str(), &end);
  *ok = end && *end == '\0' && !num.empty();
  if (slash != std::string::npos) {
    std::string den = tok.substr(slash + 1);
    Real d = std::strtold(den.c_str(), &end);
    *ok = *ok && end && *end == '\0' && d != 0;
    if (d != 0) v /= d;
  }
  return v;
}

// Parses lrs's output file.  Comment lines start with '*'; the size line
// is "***** n rational"; the linearity line (if any) comes before begin and
// names output rows.
std::optional<Output> parse_lrs(const std::string& content, long cols, std::string* err)
{
  Output out;
  std::istringstream in(content);
  std::string line;
  bool seen_rep = false, in_body = false, done = false, no_feasible = false;
  std::vector<long> linrows;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    std::string first;
    if (!(ls >> first)) continue;
    if (line.find("No feasible solution") != std::string::npos) no_feasible = true;
    if (in_body) {
      if (first == "end") {
        in_body = false;
        done = true;
        continue;
      }
      if (first[0] == '*') continue;
      std::vector<std::string> toks{first};
      std::string t;
      while (ls >> t) toks.push_back(t);
      if (static_cast<long>(toks.size()) != cols) {
        *err = "lrs row with " + std::to_string(toks.size()) + " entries: " + line;
        return std::nullopt;
      }
      Vec v;
      for (const auto& tk : toks) {
        bool ok = false;
        v.push_back(parse_rational(tk, &ok));
        if (!ok) {
          *err = "unreadable lrs number " + tk;
          return std::nullopt;
        }
      }
      out.rows.push_back(std::move(v));
      out.text.push_back(std::move(toks));
      continue;
    }
    if (first[0] == '*' || done) continue;
    if (first == "H-representation" || first == "V-representation") {
      if (seen_rep) {
        // A second block would mean lrs restarted its output; refuse rather
        // than mix two answers.
        *err = "lrs output has two representation blocks";
        return std::nullopt;
      }
      seen_rep = true;
      out.inequalities = first == "H-representation";
    } else if (first == "linearity") {
      long k = 0, r = 0;
      ls >> k;
      while (ls >> r) linrows.push_back(r);
      if (static_cast<long>(linrows.size()) != k) {
        *err = "bad lrs linearity line: " + line;
        return std::nullopt;
      }
    } else if (first == "begin") {
      in_body = true;
    }
  }
  if (no_feasible) {
    // lrs says so either after an empty block (whose linearity line may
    // still name rows) or in a comment when the equations already clash.
    if (!out.rows.empty()) {
      *err = "lrs printed rows and 'No feasible solution'";
      return std::nullopt;
    }
    out.infeasible = true;
    return out;
  }
  if (!seen_rep || !done) {
    *err = "lrs output without a complete begin/end block";
    return std::nullopt;
  }
  out.lin.assign(out.rows.size(), false);
  for (long r : linrows) {
    if (r < 1 || r > static_cast<long>(out.rows.size())) {
      *err = "lrs linearity index out of range";
      return std::nullopt;
    }
    out.lin[r - 1] = true;
  }
  return out;
}

bool has_point(const Instance& inst)
{
  for (long i = 0; i < inst.rowcount(); ++i)
    if (inst.rows[i][0].num != 0 && !inst.is_linearity(i + 1)) return true;
  return false;
}

std::string file_stem(const std::string& name)
{
  std::string s = name;
  for (char& c : s)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') c = '_';
  return s;
}

// Runs lrs on text and parses its answer.
std::optional<Output> run_lrs_text(const std::string& text, const std::string& stem, long cols,
                                   std::string* err)
{
  fs::path in = g_workdir / (stem + (text.find("V-representation") != std::string::npos
                                         ? ".ext"
                                         : ".ine"));
  fs::path out = g_workdir / (stem + ".out");
  {
    std::ofstream f(in);
    f << text;
    if (!f) {
      *err = "cannot write " + in.string();
      return std::nullopt;
    }
  }
  fs::remove(out);
  std::string cmd = "'" + g_lrs + "' '" + in.string() + "' '" + out.string() + "' >/dev/null 2>&1";
  int rc = std::system(cmd.c_str());
  if (rc != 0) {
    *err = "lrs exited with status " + std::to_string(rc) + " on " + in.string();
    return std::nullopt;
  }
  std::ifstream f(out);
  std::stringstream buf;
  buf << f.rdbuf();
  return parse_lrs(buf.str(), cols, err);
}

// lrs reads a V-representation only with a point in it; a cone given by
// rays alone gets the origin, its apex.
std::optional<Output> run_lrs(const Instance& inst, std::string* err)
{
  Instance in = inst;
  if (inst.rep == Rep::V && !has_point(inst)) {
    std::vector<Rational> origin(static_cast<std::size_t>(inst.cols), fam::rat(0));
    origin[0] = fam::rat(1);
    in.rows.push_back(origin);
  }
  return run_lrs_text(fam::lrs_text(in), file_stem(inst.name), inst.cols, err);
}

// lrs's answer written back as lrs input, for round trips.
std::string lrs_text_of(const Output& o, long cols)
{
  std::ostringstream s;
  s << (o.inequalities ? "H-representation\n" : "V-representation\n");
  if (o.count_lin()) {
    s << "linearity " << o.count_lin();
    for (std::size_t i = 0; i < o.lin.size(); ++i)
      if (o.lin[i]) s << ' ' << i + 1;
    s << '\n';
  }
  s << "begin\n" << o.rows.size() << ' ' << cols << " rational\n";
  for (const auto& r : o.text) {
    for (std::size_t j = 0; j < r.size(); ++j) s << (j ? " " : "") << r[j];
    s << '\n';
  }
  s << "end\n";
  return s.str();
}

// ---- the library -------------------------------------------------------------------

struct ZonixResult {
  Output out;
  bool has_adjacency = false;
  std::vector<std::vector<long>> adjacency;  // 1-based members
  long adjacency_ground = 0;
};

std::optional<ZonixResult> run_zonix(const Instance& inst, std::string* err)
{
  dd_set_global_constants();
  dd_MatrixPtr M = fam::to_matrix(inst);
  dd_ErrorType e = dd_NoError;
  dd_PolyhedraPtr poly = dd_DDMatrix2Poly(M, &e);
  dd_FreeMatrix(M);
  if (poly == nullptr || e != dd_NoError) {
    *err = "dd_DDMatrix2Poly reported error " + std::to_string(static_cast<int>(e));
    dd_FreePolyhedra(poly);
    return std::nullopt;
  }
  dd_MatrixPtr R = inst.rep == Rep::H ? dd_CopyGenerators(poly) : dd_CopyInequalities(poly);
  dd_SetFamilyPtr A = dd_CopyAdjacency(poly);
  std::optional<ZonixResult> res;
  if (R == nullptr) {
    *err = "no output matrix (computation not finished)";
  } else if (R->colsize != inst.cols) {
    *err = "output has " + std::to_string(R->colsize) + " columns, input " +
           std::to_string(inst.cols);
  } else if (R->representation != (inst.rep == Rep::H ? dd_Generator : dd_Inequality)) {
    *err = "output matrix has the wrong representation";
  } else {
    ZonixResult z;
    z.out.inequalities = inst.rep == Rep::V;
    for (long i = 0; i < R->rowsize; ++i) {
      Vec v;
      for (long j = 0; j < R->colsize; ++j) v.push_back(ddd_get_d(R->matrix[i][j]));
      z.out.rows.push_back(std::move(v));
      z.out.lin.push_back(set_member(i + 1, R->linset) != 0);
    }
    if (A != nullptr) {
      z.has_adjacency = true;
      z.adjacency_ground = A->setsize;
      for (long k = 0; k < A->famsize; ++k) {
        std::vector<long> members;
        for (long x = 1; x <= A->setsize; ++x)
          if (set_member(x, A->set[k])) members.push_back(x);
        z.adjacency.push_back(std::move(members));
      }
    }
    res = std::move(z);
  }
  if (A) dd_FreeSetFamily(A);
  dd_FreeMatrix(R);
  dd_FreePolyhedra(poly);
  return res;
}

// ---- comparison ---------------------------------------------------------------------

struct Verdict {
  bool ok = true;
  std::string message;
  void fail(const std::string& why)
  {
    if (ok) message = why;
    else message += "; " + why;
    ok = false;
  }
};

bool is_origin(const Vec& v)
{
  if (std::fabs(v[0]) < 1e-9L) return false;
  for (std::size_t j = 1; j < v.size(); ++j)
    if (std::fabs(v[j] / v[0]) > 1e-9L) return false;
  return true;
}

// How the instance's semantics differ from lrs's for the comparison.
struct Context {
  bool h_input = true;
  bool homogeneous_h = false;  // H input with zero first column: apex implied
  bool v_cone = false;         // V input without a point: lrs got the origin
};

Context context_of(const Instance& inst)
{
  Context c;
  c.h_input = inst.rep == Rep::H;
  c.homogeneous_h = c.h_input && !inst.has_nonzero_first_column();
  c.v_cone = !c.h_input && !has_point(inst);
  return c;
}

// A candidate matched to lrs row by row.
struct Match {
  std::vector<long> cand_to_lrs;  // -1 for linearity rows
};

const char* kind_name(bool inequalities, const Vec& v)
{
  if (inequalities) return "inequality";
  return std::fabs(v[0]) > 1e-9L ? "point" : "ray";
}

// Compares the candidate (the library's or lrs's own round trip) with lrs.
Verdict compare(const Context& ctx, const Output& cand, const Output& lrs, Match* match,
                std::string* summary)
{
  Verdict v;
  match->cand_to_lrs.assign(cand.rows.size(), -1);
  if (cand.inequalities != lrs.inequalities) {
    v.fail("representation differs");
    return v;
  }
  if (lrs.infeasible) {
    for (std::size_t i = 0; i < cand.rows.size(); ++i)
      if (std::fabs(cand.rows[i][0]) > 1e-9L) {
        v.fail("lrs finds no feasible point, zonix has " + show(cand.rows[i], true));
        return v;
      }
    *summary = "infeasible, " + std::to_string(cand.rows.size()) + " rows without a point";
    return v;
  }

  std::vector<Vec> clin, crest, llin;
  std::vector<long> crest_index, lrest_index;
  std::vector<Vec> lrest;
  bool cand_origin_only = false;
  for (std::size_t i = 0; i < cand.rows.size(); ++i) {
    Vec r = cand.rows[i];
    if (ctx.homogeneous_h && cand.lin[i]) r[0] = 0;  // the x0 direction is free here
    if (cand.lin[i]) clin.push_back(r);
    else {
      crest.push_back(r);
      crest_index.push_back(static_cast<long>(i));
    }
  }
  for (std::size_t i = 0; i < lrs.rows.size(); ++i) {
    if (lrs.lin[i]) llin.push_back(lrs.rows[i]);
    else {
      lrest.push_back(lrs.rows[i]);
      lrest_index.push_back(static_cast<long>(i));
    }
  }

  if (ctx.homogeneous_h) {
    // lrs prints the apex (the origin) as a vertex; the library leaves it
    // implied and prints it only when nothing else is there.
    long lpoints = 0;
    for (std::size_t i = 0; i < lrest.size();) {
      if (std::fabs(lrest[i][0]) > 1e-9L) {
        if (!is_origin(lrest[i])) {
          v.fail("lrs vertex of a homogeneous system is not the origin");
          return v;
        }
        ++lpoints;
        lrest.erase(lrest.begin() + static_cast<long>(i));
        lrest_index.erase(lrest_index.begin() + static_cast<long>(i));
      } else {
        ++i;
      }
    }
    if (lpoints != 1) v.fail("lrs gives " + std::to_string(lpoints) + " vertices for a cone");
    long cpoints = 0;
    for (std::size_t i = 0; i < crest.size();) {
      if (std::fabs(crest[i][0]) > 1e-9L) {
        if (!is_origin(crest[i])) {
          v.fail("zonix has a point " + show(crest[i], true) + " for a homogeneous system");
          return v;
        }
        ++cpoints;
        crest.erase(crest.begin() + static_cast<long>(i));
        crest_index.erase(crest_index.begin() + static_cast<long>(i));
      } else {
        ++i;
      }
    }
    bool nothing_else = crest.empty() && clin.empty();
    if (cpoints > 1 || (cpoints == 1) != nothing_else)
      v.fail("zonix lists the origin " + std::to_string(cpoints) +
             " times while having other rows: " + (nothing_else ? "no" : "yes"));
    cand_origin_only = cpoints == 1 && nothing_else;
  }

  // Linearity: equal subspaces.
  auto qc = orthonormal_basis(clin);
  auto ql = orthonormal_basis(llin);
  const char* linname = cand.inequalities ? "equations" : "lines";
  if (qc.size() != ql.size())
    v.fail(std::string("dimension of ") + linname + " " + std::to_string(qc.size()) +
           ", lrs " + std::to_string(ql.size()));
  for (const Vec& r : clin)
    if (!in_span(r, ql)) v.fail(std::string("zonix linearity row ") + show(r, false) +
                                " not in lrs's " + linname);
  for (const Vec& r : llin)
    if (!in_span(r, qc)) v.fail(std::string("lrs linearity row ") + show(r, false) +
                                " not in zonix's " + linname);
  if (!v.ok) return v;

  // Other rows: unique after projection modulo the linearity space.
  auto canon = [&](const Vec& r) { return scaled_to_maxabs(residual(r, ql)); };
  const std::size_t dim = static_cast<std::size_t>(lrs.rows.empty() ? 1 : lrs.rows[0].size());
  std::vector<Vec> lc;
  std::vector<long> lc_index;
  NearIndex lindex(dim, kMatchTol);
  for (std::size_t i = 0; i < lrest.size(); ++i) {
    Vec c = canon(lrest[i]);
    if (maxabs(residual(lrest[i], ql)) <= 1e-9L * maxabs(lrest[i])) continue;
    if (ctx.v_cone && is_origin(c)) continue;  // x0 >= 0 is ours, not the cone's
    // lrs may repeat rays in the presence of linearities
    if (!lindex.near(c, kSameTolLrs).empty()) continue;
    lindex.add(c, lc.size());
    lc.push_back(std::move(c));
    lc_index.push_back(lrest_index[i]);
  }
  std::vector<Vec> cc;
  for (const Vec& r : crest) {
    Vec p = residual(r, ql);
    if (maxabs(p) <= 1e-9L * std::max<Real>(maxabs(r), 1e-300L)) {
      v.fail("zonix row " + show(r, false) + " lies in the linearity space");
      return v;
    }
    cc.push_back(scaled_to_maxabs(p));
  }
  auto list = [](const std::vector<std::string>& xs) {
    std::string s;
    for (std::size_t i = 0; i < xs.size() && i < 3; ++i) s += (i ? ", " : "") + xs[i];
    if (xs.size() > 3) s += ", ...";
    return s;
  };
  NearIndex cindex(dim, kMatchTol);
  for (std::size_t a = 0; a < cc.size(); ++a) cindex.add(cc[a], a);
  std::vector<std::string> repeats;
  for (std::size_t a = 0; a < cc.size(); ++a)
    for (std::size_t b : cindex.near(cc[a], kSameTolZonix))
      if (b > a)
        repeats.push_back(std::string(kind_name(cand.inequalities, crest[a])) + " " +
                          show(crest[a], true) + " (rows " + std::to_string(crest_index[a] + 1) +
                          " and " + std::to_string(crest_index[b] + 1) + ")");
  if (!repeats.empty())
    v.fail("zonix repeats " + std::to_string(repeats.size()) + " rows: " + list(repeats));
  std::vector<bool> used(lc.size(), false);
  std::vector<std::string> extra, missing;
  for (std::size_t a = 0; a < cc.size(); ++a) {
    long found = -1;  // the nearest lrs row not matched yet
    for (std::size_t b : lindex.near(cc[a]))
      if (found < 0 && !used[b]) found = static_cast<long>(b);
    if (found < 0) {
      extra.push_back(std::string(kind_name(cand.inequalities, crest[a])) + " " +
                      show(crest[a], true) + " (row " + std::to_string(crest_index[a] + 1) + ")");
    } else {
      used[found] = true;
      match->cand_to_lrs[crest_index[a]] = lc_index[found];
    }
  }
  for (std::size_t b = 0; b < lc.size(); ++b)
    if (!used[b])
      missing.push_back(std::string(kind_name(cand.inequalities, lrs.rows[lc_index[b]])) + " " +
                        show(lrs.rows[lc_index[b]], true));
  if (cc.size() != lc.size())
    v.fail("zonix has " + std::to_string(cc.size()) + " rows besides linearities, lrs " +
           std::to_string(lc.size()));
  if (!extra.empty()) v.fail(std::to_string(extra.size()) + " not in lrs: " + list(extra));
  if (!missing.empty()) v.fail(std::to_string(missing.size()) + " missing: " + list(missing));

  long points = 0, rays = 0;
  for (const Vec& r : crest) (std::fabs(r[0]) > 1e-9L ? points : rays)++;
  std::ostringstream s;
  if (cand.inequalities) {
    s << cc.size() << " facets, " << qc.size() << " equations";
  } else if (cand_origin_only) {
    s << "only the origin";
  } else {
    s << points << " vertices, " << rays << " rays, " << qc.size() << " lines";
  }
  *summary = s.str();
  return v;
}

// ---- adjacency ------------------------------------------------------------------------

// Rows of the other side against which incidence is taken: the input rows
// (with x0 >= 0 for an inhomogeneous H input) for H input, and the
// generators for V input.
std::vector<Vec> incidence_rows(const Instance& inst, const Context& ctx)
{
  std::vector<Vec> rows;
  for (const auto& r : inst.rows) {
    Vec v;
    for (const auto& x : r) v.push_back(fam::to_long_double(x));
    rows.push_back(std::move(v));
  }
  if (ctx.h_input && !ctx.homogeneous_h) {
    Vec e0(static_cast<std::size_t>(inst.cols), 0);
    e0[0] = 1;
    rows.push_back(e0);
  }
  return rows;
}

bool incident(const Vec& a, const Vec& x)
{
  Real s = 0, mag = 0;
  for (std::size_t j = 0; j < a.size(); ++j) {
    s += a[j] * x[j];
    mag += std::fabs(a[j] * x[j]);
  }
  return std::fabs(s) <= 1e-12L * std::max<Real>(mag, 1);
}

// Two extreme rays of a cone (modulo its lineality) are adjacent iff no
// third extreme ray lies on every input row that both lie on.
std::vector<std::vector<bool>> graph_by_incidence(const std::vector<Vec>& rays,
                                                  const std::vector<Vec>& constraints)
{
  std::size_t n = rays.size(), m = constraints.size();
  std::vector<std::vector<bool>> z(n, std::vector<bool>(m));
  for (std::size_t k = 0; k < n; ++k)
    for (std::size_t i = 0; i < m; ++i) z[k][i] = incident(constraints[i], rays[k]);
  std::vector<std::vector<bool>> adj(n, std::vector<bool>(n, false));
  std::vector<bool> common(m);
  for (std::size_t a = 0; a < n; ++a)
    for (std::size_t b = a + 1; b < n; ++b) {
      for (std::size_t i = 0; i < m; ++i) common[i] = z[a][i] && z[b][i];
      bool adjacent = true;
      for (std::size_t c = 0; c < n && adjacent; ++c) {
        if (c == a || c == b) continue;
        bool contains = true;
        for (std::size_t i = 0; i < m && contains; ++i)
          if (common[i] && !z[c][i]) contains = false;
        if (contains) adjacent = false;
      }
      adj[a][b] = adj[b][a] = adjacent;
    }
  return adj;
}

// The library's adjacency family against the graph derived from lrs's rows.
// Linearity rows are adjacent to every row, themselves included.
void check_adjacency(const Instance& inst, const Context& ctx, const Output& cand,
                     const ZonixResult& z, const Output& lrs, const Match& match, Verdict* v,
                     std::string* summary)
{
  std::size_t n = cand.rows.size();
  if (n > kMaxAdjacencyRows) {
    // The derivation is cubic in the rows, like the library's own.
    *summary += ", adjacency not checked (" + std::to_string(n) + " rows)";
    return;
  }
  if (!z.has_adjacency) {
    v->fail("no adjacency family");
    return;
  }
  if (z.adjacency.size() != n || z.adjacency_ground != static_cast<long>(n)) {
    v->fail("adjacency family is " + std::to_string(z.adjacency.size()) + " sets over " +
            std::to_string(z.adjacency_ground) + ", output has " + std::to_string(n) + " rows");
    return;
  }
  std::vector<long> nonlin;
  std::vector<Vec> lrows;
  for (std::size_t k = 0; k < n; ++k)
    if (!cand.lin[k] && match.cand_to_lrs[k] >= 0) {
      nonlin.push_back(static_cast<long>(k));
      lrows.push_back(lrs.rows[match.cand_to_lrs[k]]);
    }
  auto graph = graph_by_incidence(lrows, incidence_rows(inst, ctx));
  std::vector<std::vector<bool>> expect(n, std::vector<bool>(n, false));
  for (std::size_t a = 0; a < nonlin.size(); ++a)
    for (std::size_t b = 0; b < nonlin.size(); ++b)
      expect[nonlin[a]][nonlin[b]] = graph[a][b];
  for (std::size_t k = 0; k < n; ++k)
    if (cand.lin[k])
      for (std::size_t x = 0; x < n; ++x) expect[k][x] = expect[x][k] = true;
  long edges = 0, wrong = 0;
  std::string first;
  for (std::size_t k = 0; k < n; ++k) {
    std::vector<bool> got(n, false);
    for (long x : z.adjacency[k]) got[x - 1] = true;
    for (std::size_t x = 0; x < n; ++x) {
      if (got[x] && x > k && !cand.lin[k] && !cand.lin[x]) ++edges;
      if (got[x] != expect[k][x]) {
        if (wrong++ == 0)
          first = "rows " + std::to_string(k + 1) + " and " + std::to_string(x + 1) +
                  (got[x] ? " adjacent in zonix only" : " adjacent in lrs only");
      }
    }
  }
  if (wrong) v->fail("adjacency differs in " + std::to_string(wrong) + " entries, e.g. " + first);
  *summary += ", " + std::to_string(edges) + " edges";
}

// ---- the suite --------------------------------------------------------------------------

std::vector<std::vector<Rational>> int_rows(std::initializer_list<std::initializer_list<long>> rows)
{
  std::vector<std::vector<Rational>> out;
  for (auto& r : rows) {
    std::vector<Rational> v;
    for (long x : r) v.push_back(fam::rat(x));
    out.push_back(v);
  }
  return out;
}

Instance hand(std::string name, Rep rep, std::initializer_list<std::initializer_list<long>> rows,
              std::vector<long> lin = {})
{
  Instance inst;
  inst.name = std::move(name);
  inst.rep = rep;
  inst.rows = int_rows(rows);
  inst.cols = static_cast<long>(inst.rows.at(0).size());
  inst.linearity = std::move(lin);
  return inst;
}

Instance renamed(Instance inst, std::string name)
{
  inst.name = std::move(name);
  return inst;
}

std::vector<Instance> suite()
{
  std::vector<Instance> s;
  // Polytopes in both directions.
  for (int d = 2; d <= 8; ++d) {
    s.push_back(fam::hypercube(Rep::H, d));
    s.push_back(fam::hypercube(Rep::V, d));
    s.push_back(fam::cross_polytope(Rep::H, d));
    s.push_back(fam::cross_polytope(Rep::V, d));
  }
  for (int d : {2, 3, 5, 8}) {
    s.push_back(fam::simplex(Rep::H, d));
    s.push_back(fam::simplex(Rep::V, d));
  }
  for (auto [n, d] : {std::pair{8, 3}, {10, 4}, {19, 4}, {12, 5}, {11, 6}})
    s.push_back(fam::cyclic_polytope(Rep::V, n, d));
  for (auto [n, d] : {std::pair{8, 3}, {10, 4}, {11, 5}, {11, 6}})
    s.push_back(fam::cyclic_polytope(Rep::H, n, d));
  s.push_back(fam::cyclic_polytope(Rep::V, 13, 6, 4));
  s.push_back(fam::simplex_product(Rep::H, 2, 3));
  s.push_back(fam::simplex_product(Rep::V, 2, 3));
  s.push_back(fam::simplex_product(Rep::H, 1, 4));
  s.push_back(fam::simplex_product(Rep::V, 3, 3));
  s.push_back(fam::sphere_points(20, 3, 1));
  s.push_back(fam::sphere_points(30, 4, 2));
  s.push_back(fam::sphere_points(25, 5, 3));
  s.push_back(fam::random_inequalities(20, 3, 1));
  s.push_back(fam::random_inequalities(30, 4, 2));
  s.push_back(fam::random_inequalities(40, 5, 3));

  // Unbounded: cones, half-spaces, cylinders with lines, shifted cones.
  s.push_back(hand("halfspace-h-3", Rep::H, {{2, 1, -1, 3}}));
  s.push_back(hand("orthant-shifted-h-3", Rep::H, {{-1, 1, 0, 0}, {-1, 0, 1, 0}, {-1, 0, 0, 1}}));
  s.push_back(fam::cylinder(fam::hypercube(Rep::H, 2)));
  s.push_back(fam::cylinder(fam::hypercube(Rep::V, 2)));
  s.push_back(fam::cylinder(fam::cylinder(fam::cross_polytope(Rep::H, 2))));
  s.push_back(fam::random_cone(8, 3, 4));
  s.push_back(fam::random_cone(12, 4, 5));
  s.push_back(fam::translate(fam::random_cone(10, 4, 6), {1, -2, 3, 0}));
  s.push_back(hand("point-rays-v-3", Rep::V,
                   {{1, 1, 1, 1}, {0, 1, 0, 0}, {0, 1, 1, 0}, {0, 0, 0, 1}, {0, 1, 1, 1}}));
  s.push_back(hand("point-ray-line-v-3", Rep::V, {{1, 0, 2, 0}, {0, 1, 0, 0}, {0, 0, 0, 1}}, {3}));
  s.push_back(hand("strip-h-2", Rep::H, {{1, 1, 0}, {1, -1, 0}}));

  // Homogeneous cones.
  s.push_back(fam::cone_over(fam::hypercube(Rep::V, 3)));
  s.push_back(fam::append_rows(fam::cone_over(fam::cross_polytope(Rep::V, 3)),
                               int_rows({{1, 0, 0, 0, 0}})));
  s.push_back(hand("wedge-h-3", Rep::H, {{0, 1, 0, 0}, {0, 0, 1, 0}}));
  s.push_back(hand("cone-lines-v-3", Rep::V, {{0, 1, 1, 0}, {0, 1, -1, 0}, {0, 0, 0, 1}}, {3}));

  // Lower-dimensional inputs.
  s.push_back(fam::on_hyperplane(fam::hypercube(Rep::H, 3), 7));
  s.push_back(fam::on_hyperplane(fam::hypercube(Rep::V, 3), 7));
  s.push_back(fam::on_hyperplane(fam::cross_polytope(Rep::V, 3), 8));
  s.push_back(fam::on_hyperplane(fam::on_hyperplane(fam::simplex(Rep::V, 3), 9), 10));
  s.push_back(hand("simplex-eq-h-4", Rep::H,
                   {{0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, 1, 0}, {0, 0, 0, 0, 1},
                    {-1, 1, 1, 1, 1}},
                   {5}));
  s.push_back(fam::repeat_rows(fam::on_hyperplane(fam::cross_polytope(Rep::H, 3), 11), 1));
  s.push_back(renamed(fam::cylinder(fam::sphere_points(12, 3, 4)), "sphere-v-12-3+line"));
  s.push_back(hand("segment-v-4", Rep::V, {{1, 0, 0, 0, 0}, {1, 1, 2, 3, 4}}));

  // Degenerate inputs.
  s.push_back(fam::repeat_rows(fam::hypercube(Rep::H, 3), 1));
  s.push_back(fam::scaled_copies(fam::cross_polytope(Rep::H, 3), fam::rat(5, 2), 2));
  s.push_back(fam::append_rows(fam::hypercube(Rep::H, 3),
                               int_rows({{2, -1, 0, 0}, {3, 1, 1, 0}, {5, 1, 1, 1}})));
  s.push_back(fam::pyramid(fam::hypercube(Rep::H, 3)));
  s.push_back(fam::pyramid(fam::hypercube(Rep::V, 3)));
  s.push_back(fam::pyramid(fam::cross_polytope(Rep::H, 3)));
  s.push_back(fam::with_combinations(fam::hypercube(Rep::V, 3), 6, 12));
  s.push_back(fam::repeat_rows(fam::hypercube(Rep::V, 4), 3));
  s.push_back(fam::scaled_copies(fam::cone_over(fam::simplex(Rep::V, 2)), fam::rat(3), 1));
  s.push_back(fam::with_combinations(fam::sphere_points(15, 4, 5), 10, 13));

  // Infeasible systems.
  s.push_back(hand("infeasible-h-1", Rep::H, {{-1, 1}, {0, -1}}));
  s.push_back(hand("infeasible-line-h-2", Rep::H, {{-1, 1, 0}, {0, -1, 0}}));
  s.push_back(renamed(fam::append_rows(fam::hypercube(Rep::H, 3), int_rows({{-2, 1, 0, 0}})),
                      "cube-h-3+infeasible-cut"));
  s.push_back(hand("infeasible-eq-h-3", Rep::H, {{1, 1, 1, 1}, {-2, 1, 1, 1}, {1, 1, 0, 0}},
                   {1, 2}));

  // The single origin.
  s.push_back(hand("origin-cone-h-3", Rep::H,
                   {{0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}, {0, -1, -1, -1}}));
  s.push_back(hand("origin-h-2", Rep::H, {{0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}, {1, 0, 0}}));
  s.push_back(hand("origin-v-3", Rep::V, {{1, 0, 0, 0}}));
  return s;
}

// Instances past what the engine's double arithmetic resolves.  Cyclic
// polytopes reach terms of 1e8 and more and their facets are
// ill-conditioned: the engine takes values within the rounding error of
// their terms as zero and checks its result, so that most such instances
// come out right and the others end with dd_NumericallyInconsistent
// instead of a wrong result (C(12,6)/7: the first basis is singular within
// rounding; C(20,9), C(22,8): rays made from noise).  C(14,7) from its
// facets still loses one vertex without notice.  They run with the suite
// and are reported as "xfail"; one that starts to agree is reported "ok"
// and should move to suite().
std::vector<Instance> known_numerical_failures()
{
  return {
      fam::cyclic_polytope(Rep::H, 12, 6, 7),  // reported inconsistent
      fam::cyclic_polytope(Rep::V, 20, 9),     // reported inconsistent
      fam::cyclic_polytope(Rep::V, 22, 8),     // reported inconsistent
      fam::cyclic_polytope(Rep::H, 14, 7),     // one vertex missing
  };
}

// ---- running -------------------------------------------------------------------------------

struct Tally {
  int passed = 0, failed = 0, xfailed = 0;
  void report(const std::string& name, const Verdict& v, const std::string& summary,
              bool known_failure = false)
  {
    if (v.ok) {
      ++passed;
      std::printf("ok %s: %s%s\n", name.c_str(), summary.c_str(),
                  known_failure ? " (listed as a known failure: now agrees)" : "");
    } else if (known_failure) {
      ++xfailed;
      std::printf("xfail %s: %s\n", name.c_str(), v.message.c_str());
    } else {
      ++failed;
      std::printf("FAIL %s: %s\n", name.c_str(), v.message.c_str());
    }
    std::fflush(stdout);
  }
};

std::string input_summary(const Instance& inst)
{
  return " (from " + std::to_string(inst.rowcount()) +
         (inst.rep == Rep::H ? " inequalities)" : " generators)");
}

void check_with_zonix(const Instance& inst, Tally* tally, bool known_failure)
{
  std::string err;
  Context ctx = context_of(inst);
  auto lrs = run_lrs(inst, &err);
  Verdict v;
  if (!lrs) {
    v.fail("lrs: " + err);
    tally->report(inst.name, v, "");  // never excused: the oracle itself broke
    return;
  }
  auto z = run_zonix(inst, &err);
  if (!z) {
    v.fail(err);
    tally->report(inst.name, v, "", known_failure);
    return;
  }
  Match match;
  std::string summary;
  v = compare(ctx, z->out, *lrs, &match, &summary);
  if (v.ok && !lrs->infeasible) check_adjacency(inst, ctx, z->out, *z, *lrs, match, &v, &summary);
  tally->report(inst.name, v, summary + input_summary(inst), known_failure);
}

// The comparison on hand-made answers, without lrs: what must pass and
// what must fail.
void check_comparator(Tally* tally)
{
  auto out = [](bool ineq, std::vector<Vec> rows, std::vector<bool> lin) {
    Output o;
    o.inequalities = ineq;
    o.rows = std::move(rows);
    o.lin = std::move(lin);
    return o;
  };
  Context h;  // H input, inhomogeneous
  Context v;
  v.h_input = false;
  struct Case {
    const char* what;
    Context ctx;
    Output cand, lrs;
    bool agree;
  };
  const Real e = 1e-8L;  // closer than the matching tolerance, yet distinct
  std::vector<Case> cases = {
      {"permuted and scaled", h,
       out(false, {{2, 2, 0}, {0, 0, 5}, {1, 0, 0}}, {false, false, false}),
       out(false, {{1, 0, 0}, {1, 1, 0}, {0, 0, 1}}, {false, false, false}), true},
      {"close distinct points", h,
       out(false, {{1, 1 + e, 0}, {1, 1, 0}}, {false, false}),
       out(false, {{1, 1, 0}, {1, 1 + e, 0}}, {false, false}), true},
      {"a repeated point for a close one", h,
       out(false, {{1, 1, 0}, {1, 1, 0}}, {false, false}),
       out(false, {{1, 1, 0}, {1, 1 + e, 0}}, {false, false}), false},
      {"ray for point", h, out(false, {{0, 1, 0}}, {false}), out(false, {{1, 1, 0}}, {false}),
       false},
      {"opposite ray", h, out(false, {{0, -1, 0}}, {false}), out(false, {{0, 1, 0}}, {false}),
       false},
      {"lines in another basis, point moved along them", h,
       out(false, {{1, 3, 7, 7}, {0, 0, 1, 1}, {0, 0, 1, -1}}, {false, true, true}),
       out(false, {{1, 3, 0, 0}, {0, 0, 2, 0}, {0, 0, 0, 1}}, {false, true, true}), true},
      {"one line missing", h,
       out(false, {{1, 3, 0, 0}, {0, 0, 1, 1}}, {false, true}),
       out(false, {{1, 3, 0, 0}, {0, 0, 2, 0}, {0, 0, 0, 1}}, {false, true, true}), false},
      {"facet plus a multiple of the equation", v,
       out(true, {{1, -1, 2}, {1, 1, 1}}, {false, true}),
       out(true, {{0, -2, 1}, {-2, -2, -2}}, {false, true}), true},
      {"facet off the equations", v,
       out(true, {{1, -1, 3}, {1, 1, 1}}, {false, true}),
       out(true, {{0, -2, 1}, {-2, -2, -2}}, {false, true}), false},
      {"equation given as an inequality", v,
       out(true, {{0, -2, 1}, {1, 1, 1}}, {false, false}),
       out(true, {{0, -2, 1}, {1, 1, 1}}, {false, true}), false},
  };
  for (const Case& c : cases) {
    Match m;
    std::string summary;
    Verdict got = compare(c.ctx, c.cand, c.lrs, &m, &summary);
    Verdict verdict;
    if (got.ok != c.agree)
      verdict.fail(std::string(c.agree ? "refused: " : "accepted: ") +
                   (got.ok ? summary : got.message));
    tally->report(std::string("comparator ") + c.what, verdict,
                  c.agree ? "agrees" : "refused: " + got.message);
  }
}

// Properties of the generators that lrs cannot see: exact sphere points,
// points on the moment curve.
void check_generators(Tally* tally)
{
  Verdict v;
  auto sphere = fam::sphere_points(40, 5, 9);
  for (const auto& r : sphere.rows) {
    // sum of (num/den)^2 == 1 exactly, in 128-bit integers over a common
    // denominator (the coordinates of one point share it)
    __int128 den = r[1].den;
    for (const auto& x : r) den = std::max<__int128>(den, x.den);
    __int128 sum = 0;
    bool shared = true;
    for (std::size_t j = 1; j < r.size(); ++j) {
      if (den % r[j].den != 0) shared = false;
      __int128 n = static_cast<__int128>(r[j].num) * (den / r[j].den);
      sum += n * n;
    }
    if (!shared || sum != den * den) v.fail("sphere point off the sphere");
  }
  if (sphere.rowcount() != 40) v.fail("sphere_points gave " + std::to_string(sphere.rowcount()));
  tally->report("generator sphere-v-40-5", v, "40 distinct points exactly on the sphere");

  Verdict c;
  auto cyc = fam::cyclic_polytope(Rep::V, 9, 5, 3);
  for (const auto& r : cyc.rows)
    for (std::size_t k = 2; k < r.size(); ++k) {
      // x_k == x_1^k as rationals
      __int128 num = 1, den = 1;
      for (std::size_t i = 0; i < k; ++i) {
        num *= r[1].num;
        den *= r[1].den;
      }
      if (num * r[k].den != den * r[k].num) c.fail("cyclic point off the moment curve");
    }
  auto cross = fam::cross_polytope(Rep::H, 6);
  if (cross.rowcount() != 64) c.fail("cross-polytope H should have 2^6 rows");
  tally->report("generator cyclic-v-9-5/3", c, "points on the moment curve");
}

// The comparison itself, checked without the library: an lrs round trip
// must agree with lrs; the known other representation of a family must
// agree with lrs; damaged answers must be refused; the incidence graph must
// be the known graph of the family.
void self_test(const std::vector<Instance>& instances, bool known_pairs, Tally* tally)
{
  for (const Instance& inst : instances) {
    std::string err, summary;
    Context ctx = context_of(inst);
    Verdict v;
    auto l1 = run_lrs(inst, &err);
    if (!l1) {
      v.fail("lrs: " + err);
      tally->report(inst.name + " [round trip]", v, "");
      continue;
    }
    if (l1->infeasible) {
      Output empty = *l1;
      empty.infeasible = false;
      Match m;
      v = compare(ctx, empty, *l1, &m, &summary);
      tally->report(inst.name + " [infeasible]", v, summary);
      continue;
    }
    // Round trip: lrs(lrs(l1)) describes the same polyhedron in lrs's own
    // way, typically with other row order, scaling and linearity bases.
    auto back = run_lrs_text(lrs_text_of(*l1, inst.cols), file_stem(inst.name) + "-back",
                             inst.cols, &err);
    std::optional<Output> again;
    if (back)
      again = run_lrs_text(lrs_text_of(*back, inst.cols), file_stem(inst.name) + "-again",
                           inst.cols, &err);
    if (!again) {
      v.fail("lrs round trip: " + err);
      tally->report(inst.name + " [round trip]", v, "");
      continue;
    }
    if (ctx.homogeneous_h || ctx.v_cone) {
      // The round trip makes the apex explicit, which the comparison for
      // these inputs handles only on the library's side; skip it.
      tally->report(inst.name + " [round trip]", v, "skipped for a cone");
    } else {
      Match m;
      v = compare(ctx, *again, *l1, &m, &summary);
      tally->report(inst.name + " [round trip]", v, summary);
    }

    // Damaged answers must fail: a row dropped, a row moved.  The move is
    // orthogonal to the linearity space and to the row itself, which the
    // canonical form would otherwise absorb.
    Output drop = *l1;
    std::vector<Vec> linrows;
    for (std::size_t i = 0; i < drop.rows.size(); ++i)
      if (drop.lin[i]) linrows.push_back(drop.rows[i]);
    long victim = -1;
    for (std::size_t i = 0; i < drop.rows.size() && victim < 0; ++i) {
      bool implied_apex = (ctx.homogeneous_h || ctx.v_cone) && is_origin(drop.rows[i]);
      if (!drop.lin[i] && !implied_apex) victim = static_cast<long>(i);
    }
    if (victim >= 0) {
      Output moved = drop;
      drop.rows.erase(drop.rows.begin() + victim);
      drop.lin.erase(drop.lin.begin() + victim);
      Vec& r = moved.rows[victim];
      auto basis = linrows;
      basis.push_back(r);
      auto q = orthonormal_basis(basis);
      bool movable = false;  // not when the row and the linearities span all
      for (std::size_t j = 0; j < r.size() && !movable; ++j) {
        Vec e(r.size(), 0);
        e[j] = 1;
        Vec u = residual(e, q);
        if (norm(u) < 0.1L) continue;
        Real f = 1e-3L * norm(r) / norm(u);
        for (std::size_t k = 0; k < r.size(); ++k) r[k] += f * u[k];
        movable = true;
      }
      Match m;
      std::string s;
      Verdict a = compare(ctx, drop, *l1, &m, &s);
      Verdict b = compare(ctx, moved, *l1, &m, &s);
      Verdict neg;
      if (a.ok) neg.fail("a dropped row was not noticed");
      if (b.ok && movable) neg.fail("a moved row was not noticed");
      tally->report(inst.name + " [damage]", neg, "dropped and moved rows refused");
    }
  }

  if (!known_pairs) return;
  // Known other representations against lrs, and known graphs against the
  // incidence rule.
  struct Pair {
    Instance in, other;
    std::function<bool(std::size_t, std::size_t, const Vec&, const Vec&)> edge;
  };
  std::vector<Pair> pairs;
  auto cube_edge = [](std::size_t, std::size_t, const Vec& a, const Vec& b) {
    int diff = 0;
    for (std::size_t j = 1; j < a.size(); ++j) diff += std::fabs(a[j] / a[0] - b[j] / b[0]) > 1e-9L;
    return diff == 1;
  };
  auto cross_edge = [](std::size_t, std::size_t, const Vec& a, const Vec& b) {
    for (std::size_t j = 1; j < a.size(); ++j)
      if (std::fabs(a[j] / a[0] + b[j] / b[0]) > 1e-9L) return true;
    return false;  // antipodes
  };
  auto complete = [](std::size_t, std::size_t, const Vec&, const Vec&) { return true; };
  for (int d : {2, 3, 4, 6}) {
    pairs.push_back({fam::hypercube(Rep::H, d), fam::hypercube(Rep::V, d), cube_edge});
    pairs.push_back({fam::cross_polytope(Rep::H, d), fam::cross_polytope(Rep::V, d), cross_edge});
    pairs.push_back({fam::simplex(Rep::H, d), fam::simplex(Rep::V, d), complete});
  }
  pairs.push_back({fam::cyclic_polytope(Rep::H, 10, 4), fam::cyclic_polytope(Rep::V, 10, 4),
                   complete});  // C(n, 4) is neighbourly
  pairs.push_back({fam::cyclic_polytope(Rep::V, 11, 5), fam::cyclic_polytope(Rep::H, 11, 5),
                   nullptr});
  // Vertices (u, w) of a product are adjacent iff they differ in exactly
  // one factor (the graph is a product of complete graphs).
  auto product_edge = [](std::size_t, std::size_t, const Vec& a, const Vec& b) {
    bool same_u = std::equal(a.begin() + 1, a.begin() + 3, b.begin() + 1);
    bool same_w = std::equal(a.begin() + 3, a.end(), b.begin() + 3);
    return same_u != same_w;
  };
  pairs.push_back({fam::simplex_product(Rep::H, 2, 3), fam::simplex_product(Rep::V, 2, 3),
                   product_edge});
  for (const Pair& p : pairs) {
    std::string err, summary;
    Verdict v;
    Context ctx = context_of(p.in);
    auto l = run_lrs(p.in, &err);
    if (!l) {
      v.fail("lrs: " + err);
      tally->report(p.in.name + " [known]", v, "");
      continue;
    }
    Output known;
    known.inequalities = p.other.rep == Rep::H;
    for (const auto& r : p.other.rows) {
      Vec x;
      for (auto q : r) x.push_back(fam::to_long_double(q));
      known.rows.push_back(x);
      known.lin.push_back(false);
    }
    Match m;
    v = compare(ctx, known, *l, &m, &summary);
    if (v.ok && p.edge) {
      std::vector<Vec> lrows;
      for (long k : m.cand_to_lrs) lrows.push_back(l->rows[k]);
      auto g = graph_by_incidence(lrows, incidence_rows(p.in, ctx));
      long bad = 0;
      for (std::size_t a = 0; a < lrows.size(); ++a)
        for (std::size_t b = 0; b < lrows.size(); ++b)
          if (a != b && g[a][b] != p.edge(a, b, known.rows[a], known.rows[b])) ++bad;
      if (bad) v.fail("incidence graph differs from the known graph in " + std::to_string(bad) +
                      " entries");
      else summary += ", known graph";
    }
    tally->report(p.in.name + " [known]", v, summary);
  }
}

}  // namespace

int main(int argc, char** argv)
{
  bool self = true, zonix = true, list = false;
  std::string only, keep, family;
  std::vector<long> family_params;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--self-test") zonix = false;
    else if (a == "--zonix") self = false;
    else if (a == "--list") list = true;
    else if (a == "--only" && i + 1 < argc) only = argv[++i];
    else if (a == "--keep" && i + 1 < argc) keep = argv[++i];
    else if (a == "--family" && i + 1 < argc) {
      family = argv[++i];
      while (i + 1 < argc && argv[i + 1][0] != '-') family_params.push_back(std::atol(argv[++i]));
    } else {
      std::fprintf(stderr,
                   "usage: %s [--self-test | --zonix] [--list] [--only TEXT] [--keep DIR]\n"
                   "       %s --family NAME PARAM... [--keep DIR]\n",
                   argv[0], argv[0]);
      return 2;
    }
  }
  auto select = [&](std::vector<Instance> all) {
    std::vector<Instance> out;
    for (auto& inst : all)
      if (only.empty() || inst.name.find(only) != std::string::npos) out.push_back(inst);
    return out;
  };
  std::vector<Instance> instances = select(suite());
  std::vector<Instance> limits = select(known_numerical_failures());
  if (!family.empty()) {
    // One instance of a family, for exploring sizes outside the suite.
    std::string error;
    auto inst = fam::family_by_name(family, family_params, &error);
    if (!inst) {
      std::fprintf(stderr, "%s\nfamilies:\n%s", error.c_str(), fam::family_usage().c_str());
      return 2;
    }
    instances = {*inst};
    limits.clear();
    self = false;
  }
  if (list) {
    for (const auto* group : {&instances, &limits})
      for (const auto& inst : *group)
        std::printf("%s %c %ld x %ld%s\n", inst.name.c_str(), inst.rep == Rep::H ? 'H' : 'V',
                    inst.rowcount(), inst.cols, group == &limits ? " (known failure)" : "");
    return 0;
  }
  g_lrs = find_lrs();
  if (g_lrs.empty()) {
    std::printf("FAIL: lrs not found on PATH (package lrslib, installed by scripts/setup)\n");
    std::printf("0 passed, 1 failed\n");
    return 1;
  }
  if (!keep.empty()) {
    g_workdir = keep;
    fs::create_directories(g_workdir);
  } else {
    std::string tmpl = (fs::temp_directory_path() / "lrs_oracle.XXXXXX").string();
    if (!mkdtemp(tmpl.data())) {
      std::printf("FAIL: cannot create a temporary directory\n");
      std::printf("0 passed, 1 failed\n");
      return 1;
    }
    g_workdir = tmpl;
  }

  Tally tally;
  if (self) {
    if (only.empty()) {
      check_comparator(&tally);
      check_generators(&tally);
    }
    self_test(instances, only.empty(), &tally);
  }
  if (zonix) {
    for (const auto& inst : instances) check_with_zonix(inst, &tally, false);
    for (const auto& inst : limits) check_with_zonix(inst, &tally, true);
  }

  if (keep.empty()) fs::remove_all(g_workdir);
  if (tally.xfailed)
    std::printf("%d known failures (numerical limits of the engine, see "
                "known_numerical_failures)\n",
                tally.xfailed);
  std::printf("%d passed, %d failed\n", tally.passed, tally.failed);
  return tally.failed == 0 ? 0 : 1;
}
