// The Parma Polyhedra Library as a benchmark peer: reads a representation in
// the text format shared with lrs and zonix, converts it with PPL's exact
// double description method, and prints the sizes of the result so that
// they can be compared with zonix's.
//
//   ppl_driver FILE               H input: "points P rays R lines L"
//                                 V input: "inequalities I equalities E"
//   ppl_driver --reduce FILE      H input: the minimised constraint system
//                                 (redundancy removal), counted as above
//   ppl_driver --adjacency FILE   also "adjacency N": the vertex graph of a
//                                 polytope, N = sum of the degrees
//   ppl_driver --version
//
// PPL has no vertex adjacency of its own, so --adjacency finds it here with
// the combinatorial test on the facet incidences that PPL's minimised
// systems give, as a PPL user would have to.  Exit status 2 for a bad
// file, 1 when a result does not fit the request.
#include <gmpxx.h>
#include <ppl.hh>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace PPL = Parma_Polyhedra_Library;

namespace {

struct Input {
  bool generators = false;  // V-representation
  long cols = 0;
  std::vector<std::vector<mpq_class>> rows;
  std::vector<bool> linearity;
};

// "3", "-7/2", "0.125", "1e-3", "-2.5E+2": exact rationals.
bool parse_number(const std::string& s, mpq_class* out)
{
  if (s.empty()) return false;
  try {
    if (s.find('/') != std::string::npos) {
      out->set_str(s, 10);
      if (out->get_den() == 0) return false;
      out->canonicalize();
      return true;
    }
    std::size_t i = 0;
    bool negative = false;
    if (s[i] == '+' || s[i] == '-') negative = s[i++] == '-';
    std::string digits;
    long scale = 0;  // value = digits * 10^scale
    bool seen_digit = false, seen_point = false;
    for (; i < s.size(); ++i) {
      const char c = s[i];
      if (c >= '0' && c <= '9') {
        digits += c;
        seen_digit = true;
        if (seen_point) --scale;
      } else if (c == '.' && !seen_point) {
        seen_point = true;
      } else {
        break;
      }
    }
    if (!seen_digit) return false;
    if (i < s.size()) {
      if (s[i] != 'e' && s[i] != 'E') return false;
      std::size_t used = 0;
      const long e = std::stol(s.substr(i + 1), &used);
      if (i + 1 + used != s.size()) return false;
      scale += e;
    }
    mpz_class n(digits, 10), p;
    mpz_ui_pow_ui(p.get_mpz_t(), 10, static_cast<unsigned long>(scale < 0 ? -scale : scale));
    *out = scale < 0 ? mpq_class(n, p) : mpq_class(n * p);
    out->canonicalize();
    if (negative) *out = -*out;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void set_linearity(std::istringstream& words, std::vector<long>* lin)
{
  long k = 0;
  words >> k;
  for (long t = 0; t < k; ++t) {
    long r = 0;
    if (words >> r) lin->push_back(r);
  }
}

// Reads the lrs/zonix text format: name and comment lines, the
// representation line, "linearity" before begin or after end, begin,
// "m n type", the rows, end.
bool read_input(const std::string& path, Input* in, std::string* error)
{
  std::ifstream f(path);
  if (!f) {
    *error = "cannot open " + path;
    return false;
  }
  std::string line;
  std::vector<long> lin;
  bool begun = false;
  while (std::getline(f, line)) {
    std::istringstream words(line);
    std::string w;
    if (!(words >> w) || w[0] == '*') continue;
    if (w == "V-representation") in->generators = true;
    if (w == "H-representation") in->generators = false;
    if (w == "linearity") set_linearity(words, &lin);
    if (w == "begin") {
      begun = true;
      break;
    }
  }
  if (!begun) {
    *error = "no begin line";
    return false;
  }
  long m = 0;
  std::string type;
  if (!(f >> m >> in->cols >> type) || m < 0 || in->cols < 1) {
    *error = "bad size line";
    return false;
  }
  in->rows.assign(static_cast<std::size_t>(m), {});
  for (auto& row : in->rows) {
    row.resize(static_cast<std::size_t>(in->cols));
    for (auto& x : row) {
      std::string s;
      if (!(f >> s) || !parse_number(s, &x)) {
        *error = "bad number '" + s + "'";
        return false;
      }
    }
  }
  std::string w;
  if (!(f >> w) || w != "end") {
    *error = "no end line";
    return false;
  }
  std::getline(f, line);
  while (std::getline(f, line)) {
    std::istringstream words(line);
    if ((words >> w) && w == "linearity") set_linearity(words, &lin);
  }
  in->linearity.assign(static_cast<std::size_t>(m), false);
  for (long r : lin) {
    if (r < 1 || r > m) {
      *error = "linearity row out of range";
      return false;
    }
    in->linearity[static_cast<std::size_t>(r - 1)] = true;
  }
  return true;
}

// The row times the least common multiple of its denominators.
std::vector<mpz_class> integer_row(const std::vector<mpq_class>& row)
{
  mpz_class l = 1;
  for (const auto& x : row) mpz_lcm(l.get_mpz_t(), l.get_mpz_t(), x.get_den_mpz_t());
  std::vector<mpz_class> out;
  out.reserve(row.size());
  for (const auto& x : row) out.push_back(x.get_num() * (l / x.get_den()));
  return out;
}

// Sum of a[j] x_{j-1} for j >= 1.
PPL::Linear_Expression linear_part(const std::vector<mpz_class>& a)
{
  PPL::Linear_Expression e;
  for (std::size_t j = a.size(); j-- > 1;)
    if (a[j] != 0) PPL::add_mul_assign(e, PPL::Coefficient(a[j]), PPL::Variable(j - 1));
  return e;
}

PPL::C_Polyhedron build(const Input& in)
{
  const auto dim = static_cast<PPL::dimension_type>(in.cols - 1);
  if (!in.generators) {
    PPL::Constraint_System cs;
    cs.set_space_dimension(dim);
    for (std::size_t i = 0; i < in.rows.size(); ++i) {
      const auto a = integer_row(in.rows[i]);
      PPL::Linear_Expression e = linear_part(a);
      e += PPL::Coefficient(a[0]);
      if (in.linearity[i])
        cs.insert(e == 0);
      else
        cs.insert(e >= 0);
    }
    return PPL::C_Polyhedron(cs);
  }
  PPL::Generator_System gs;
  gs.set_space_dimension(dim);
  bool has_point = false;
  for (std::size_t i = 0; i < in.rows.size(); ++i) {
    auto a = integer_row(in.rows[i]);
    if (a[0] < 0)
      for (auto& x : a) x = -x;
    const PPL::Linear_Expression e = linear_part(a);
    if (a[0] != 0) {
      gs.insert(PPL::point(e, PPL::Coefficient(a[0])));
      has_point = true;
    } else if (in.linearity[i]) {
      gs.insert(PPL::line(e));
    } else {
      gs.insert(PPL::ray(e));
    }
  }
  if (!has_point) return PPL::C_Polyhedron(dim, PPL::EMPTY);
  return PPL::C_Polyhedron(gs);
}

using Bits = std::vector<std::uint64_t>;

bool subset(const Bits& a, const Bits& b)
{
  for (std::size_t k = 0; k < a.size(); ++k)
    if ((a[k] & ~b[k]) != 0) return false;
  return true;
}

// Sum of the degrees in the vertex graph of a polytope: u and v are
// adjacent when no third vertex lies on every facet that holds both.
long adjacency_entries(const PPL::C_Polyhedron& ph)
{
  std::vector<const PPL::Generator*> vertices;
  for (const auto& g : ph.minimized_generators())
    if (g.is_point()) vertices.push_back(&g);
  std::vector<const PPL::Constraint*> facets;
  long equalities = 0;
  for (const auto& c : ph.minimized_constraints()) {
    if (c.is_equality())
      ++equalities;
    else
      facets.push_back(&c);
  }
  const std::size_t n = vertices.size(), words = (facets.size() + 63) / 64;
  std::vector<Bits> on(n, Bits(words, 0));
  for (std::size_t v = 0; v < n; ++v)
    for (std::size_t f = 0; f < facets.size(); ++f)
      if (PPL::Scalar_Products::sign(*facets[f], *vertices[v]) == 0)
        on[v][f / 64] |= std::uint64_t{1} << (f % 64);
  // An edge lies on at least dim - 1 facets.
  const long need = static_cast<long>(ph.space_dimension()) - equalities - 1;
  long entries = 0;
  Bits common(words);
  for (std::size_t u = 0; u < n; ++u)
    for (std::size_t v = u + 1; v < n; ++v) {
      long count = 0;
      for (std::size_t k = 0; k < words; ++k) {
        common[k] = on[u][k] & on[v][k];
        count += std::popcount(common[k]);
      }
      if (count < need) continue;
      bool adjacent = true;
      for (std::size_t w = 0; w < n && adjacent; ++w)
        if (w != u && w != v && subset(common, on[w])) adjacent = false;
      if (adjacent) entries += 2;
    }
  return entries;
}

}  // namespace

int main(int argc, char** argv)
{
  bool reduce = false, adjacency = false;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--version") {
      std::printf("PPL %s\n", PPL_VERSION);
      return 0;
    }
    if (a == "--reduce")
      reduce = true;
    else if (a == "--adjacency")
      adjacency = true;
    else if (path.empty() && a[0] != '-')
      path = a;
    else {
      std::fprintf(stderr, "usage: ppl_driver [--reduce | --adjacency] FILE\n");
      return 2;
    }
  }
  if (path.empty() || (reduce && adjacency)) {
    std::fprintf(stderr, "usage: ppl_driver [--reduce | --adjacency] FILE\n");
    return 2;
  }
  Input in;
  std::string error;
  if (!read_input(path, &in, &error)) {
    std::fprintf(stderr, "ppl_driver: %s: %s\n", path.c_str(), error.c_str());
    return 2;
  }
  if (reduce && in.generators) {
    std::fprintf(stderr, "ppl_driver: --reduce needs an H-representation\n");
    return 2;
  }
  try {
    const PPL::C_Polyhedron ph = build(in);
    if (in.generators || reduce) {
      long ineq = 0, eq = 0;
      for (const auto& c : ph.minimized_constraints()) {
        if (c.is_equality())
          ++eq;
        else if (!c.is_tautological())
          ++ineq;
      }
      std::printf("inequalities %ld equalities %ld\n", ineq, eq);
    } else {
      long points = 0, rays = 0, lines = 0;
      for (const auto& g : ph.minimized_generators()) {
        if (g.is_point())
          ++points;
        else if (g.is_ray())
          ++rays;
        else if (g.is_line())
          ++lines;
      }
      std::printf("points %ld rays %ld lines %ld\n", points, rays, lines);
    }
    if (adjacency) {
      for (const auto& g : ph.minimized_generators())
        if (!g.is_point()) {
          std::fprintf(stderr, "ppl_driver: --adjacency needs a polytope\n");
          return 1;
        }
      std::printf("adjacency %ld\n", adjacency_entries(ph));
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ppl_driver: %s\n", e.what());
    return 1;
  }
  return 0;
}
