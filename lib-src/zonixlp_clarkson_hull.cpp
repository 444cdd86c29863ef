// Points in three dimensions: their hull by quickhull in double, read as
// a cut that needs no LP.  A point is called inside only when it lies
// inside every facet it was tried on by a margin far above rounding, and
// a vertex only when every edge around it bends by such a margin, so that
// no facet through it is flat; everything else is left to the LPs.
#include <algorithm>
#include <cmath>
#include <vector>

#include "zonixcore.h"
#include "zonixlp_internal.hpp"

#ifndef ZONIX_EXACT
namespace {

using zonix::lp::HullVerdict;

struct Facet {
  int v[3];   // counter-clockwise seen from outside
  int nb[3];  // nb[k]: the facet across the edge v[k] -> v[k+1]
  double n[3];
  double off;  // n.x + off > 0 beyond the facet
  std::vector<int> outside;
  bool alive;
};

class Quickhull {
 public:
  Quickhull(const std::vector<double> &x, double scale)
      : x_(x), tol_(1e-9 * scale), n_(static_cast<int>(x.size() / 3)),
        state_(static_cast<size_t>(n_), HullVerdict::Undecided), start_(static_cast<size_t>(n_), -1) {}

  // False when the points are too flat or a decision falls within the
  // margin where the facets' orientation is not sure.
  bool build();
  // The verdicts once built: vertices bending clearly at every edge,
  // points clearly inside, the rest undecided.
  void verdicts(std::vector<HullVerdict> *out);

 private:
  const double *at(int i) const { return &x_[3 * static_cast<size_t>(i)]; }
  double dist(const Facet &f, int p) const
  {
    const double *q = at(p);
    return f.n[0] * q[0] + f.n[1] * q[1] + f.n[2] * q[2] + f.off;
  }
  bool plane(Facet *f) const;
  int add(int a, int b, int c);
  bool simplex();
  // Point p against the facets `fs`: given to the first it lies clearly
  // beyond, else inside when clearly inside all, else undecided.
  void place(int p, const std::vector<int> &fs);
  bool step(int fi);

  const std::vector<double> &x_;
  double tol_;
  int n_;
  std::vector<HullVerdict> state_;
  std::vector<Facet> f_;
  std::vector<int> start_;  // scratch: the new facet starting at a horizon vertex
  std::vector<int> stamp_;  // per facet: the step that found it visible
  int steps_ = 0;
};

bool Quickhull::plane(Facet *f) const
{
  const double *a = at(f->v[0]), *b = at(f->v[1]), *c = at(f->v[2]);
  const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
  const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  const double lu = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
  const double lw = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
  // A sliver's normal is rounding: its distances would not hold the margin.
  if (!(len > 1e-6 * lu * lw)) return false;
  for (int k = 0; k < 3; ++k) f->n[k] = n[k] / len;
  f->off = -(f->n[0] * a[0] + f->n[1] * a[1] + f->n[2] * a[2]);
  return true;
}

int Quickhull::add(int a, int b, int c)
{
  Facet f{{a, b, c}, {-1, -1, -1}, {0, 0, 0}, 0, {}, true};
  if (!plane(&f)) return -1;
  f_.push_back(std::move(f));
  stamp_.push_back(0);
  return static_cast<int>(f_.size()) - 1;
}

bool Quickhull::simplex()
{
  // The widest pair among the points extreme along the axes, the point
  // furthest from their line, the point furthest from the plane of three.
  int ext[6] = {0, 0, 0, 0, 0, 0};
  for (int i = 1; i < n_; ++i)
    for (int k = 0; k < 3; ++k) {
      if (at(i)[k] < at(ext[2 * k])[k]) ext[2 * k] = i;
      if (at(i)[k] > at(ext[2 * k + 1])[k]) ext[2 * k + 1] = i;
    }
  auto d2 = [&](int i, int j) {
    double s = 0;
    for (int k = 0; k < 3; ++k) s += (at(i)[k] - at(j)[k]) * (at(i)[k] - at(j)[k]);
    return s;
  };
  int i0 = ext[0], i1 = ext[1];
  for (int a = 0; a < 6; ++a)
    for (int b = a + 1; b < 6; ++b)
      if (d2(ext[a], ext[b]) > d2(i0, i1)) i0 = ext[a], i1 = ext[b];
  const double *p0 = at(i0);
  double u[3] = {at(i1)[0] - p0[0], at(i1)[1] - p0[1], at(i1)[2] - p0[2]};
  const double lu = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
  if (!(lu > 1e3 * tol_)) return false;
  int i2 = -1;
  double best = 0;
  for (int i = 0; i < n_; ++i) {
    const double w[3] = {at(i)[0] - p0[0], at(i)[1] - p0[1], at(i)[2] - p0[2]};
    const double c[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
    const double s = c[0] * c[0] + c[1] * c[1] + c[2] * c[2];
    if (s > best) best = s, i2 = i;
  }
  if (i2 < 0 || !(std::sqrt(best) / lu > 1e3 * tol_)) return false;
  Facet base{{i0, i1, i2}, {-1, -1, -1}, {0, 0, 0}, 0, {}, true};
  if (!plane(&base)) return false;
  int i3 = -1;
  best = 0;
  for (int i = 0; i < n_; ++i) {
    const double s = std::fabs(dist(base, i));
    if (s > best) best = s, i3 = i;
  }
  if (i3 < 0 || !(best > 1e3 * tol_)) return false;
  // Facets oriented so that the fourth point of each lies inside.
  const int v[4] = {i0, i1, i2, i3};
  const int face[4][3] = {{0, 1, 2}, {0, 3, 1}, {1, 3, 2}, {0, 2, 3}};
  const bool flip = dist(base, i3) > 0;
  for (const auto &t : face) {
    const int id = flip ? add(v[t[0]], v[t[2]], v[t[1]]) : add(v[t[0]], v[t[1]], v[t[2]]);
    if (id < 0) return false;
  }
  // Neighbours: the facet holding the edge the other way round.
  for (int a = 0; a < 4; ++a)
    for (int k = 0; k < 3; ++k)
      for (int b = 0; b < 4; ++b)
        for (int q = 0; q < 3 && b != a; ++q)
          if (f_[b].v[q] == f_[a].v[(k + 1) % 3] && f_[b].v[(q + 1) % 3] == f_[a].v[k]) f_[a].nb[k] = b;
  for (const int i : v) state_[static_cast<size_t>(i)] = HullVerdict::Vertex;
  std::vector<int> all = {0, 1, 2, 3};
  for (int i = 0; i < n_; ++i)
    if (state_[static_cast<size_t>(i)] != HullVerdict::Vertex) place(i, all);
  return true;
}

void Quickhull::place(int p, const std::vector<int> &fs)
{
  bool near = false;
  for (const int fi : fs) {
    const double s = dist(f_[fi], p);
    if (s > tol_) {
      f_[fi].outside.push_back(p);
      state_[static_cast<size_t>(p)] = HullVerdict::Undecided;
      return;
    }
    near = near || s > -tol_;
  }
  state_[static_cast<size_t>(p)] = near ? HullVerdict::Undecided : HullVerdict::Inside;
}

// Adds the point furthest beyond facet fi: the facets it sees go, a cone
// from it over their horizon comes.
bool Quickhull::step(int fi)
{
  ++steps_;
  int eye = -1;
  double top = 0;
  for (const int p : f_[fi].outside) {
    const double s = dist(f_[fi], p);
    if (s > top) top = s, eye = p;
  }
  std::vector<int> seen = {fi}, horizon;  // horizon: facet*3 + edge
  stamp_[fi] = steps_;
  for (size_t q = 0; q < seen.size(); ++q) {
    const Facet &g = f_[seen[q]];
    for (int k = 0; k < 3; ++k) {
      const int h = g.nb[k];
      if (stamp_[h] == steps_) continue;
      const double s = dist(f_[h], eye);
      // A facet the eye lies on (within the margin) stays: the cone's
      // facet beside it lies in its plane, and that edge, not bending,
      // leaves its vertices to the LPs.
      if (s > tol_) {
        stamp_[h] = steps_;
        seen.push_back(h);
      } else {
        horizon.push_back(seen[q] * 3 + k);
      }
    }
  }
  std::vector<int> cone;
  for (const int e : horizon) {
    const int g = e / 3, k = e % 3;
    const int a = f_[g].v[k], b = f_[g].v[(k + 1) % 3], h = f_[g].nb[k];
    const int id = add(a, b, eye);
    if (id < 0 || start_[static_cast<size_t>(a)] >= 0) return false;
    start_[static_cast<size_t>(a)] = id;
    f_[id].nb[0] = h;
    for (int q = 0; q < 3; ++q)
      if (f_[h].v[q] == b && f_[h].v[(q + 1) % 3] == a) f_[h].nb[q] = id;
    cone.push_back(id);
  }
  bool closed = true;
  for (const int id : cone) {
    const int b = f_[id].v[1];
    const int next = start_[static_cast<size_t>(b)];
    closed = closed && next >= 0;
    if (next < 0) continue;
    f_[id].nb[1] = next;
    f_[next].nb[2] = id;
  }
  for (const int id : cone) start_[static_cast<size_t>(f_[id].v[0])] = -1;
  if (!closed) return false;
  state_[static_cast<size_t>(eye)] = HullVerdict::Vertex;
  for (const int g : seen) {
    f_[g].alive = false;
    std::vector<int> pts;
    pts.swap(f_[g].outside);
    for (const int p : pts)
      if (p != eye) place(p, cone);
  }
  return true;
}

bool Quickhull::build()
{
  if (!simplex()) return false;
  // Facets are only added after fi: one pass over the growing list.
  for (size_t fi = 0; fi < f_.size(); ++fi) {
    if (dd_CancelRequested()) return false;
    if (f_[fi].alive && !f_[fi].outside.empty() && !step(static_cast<int>(fi))) return false;
  }
  return true;
}

void Quickhull::verdicts(std::vector<HullVerdict> *out)
{
  // Vertices of the hull: a point added once may lie inside later, and
  // then nothing here says by how much.
  std::vector<char> on(static_cast<size_t>(n_), 0), bends(static_cast<size_t>(n_), 1);
  std::vector<int> alive;
  bool convex = true;
  for (const Facet &f : f_) {
    if (!f.alive) continue;
    alive.push_back(static_cast<int>(&f - f_.data()));
    for (int k = 0; k < 3; ++k) {
      on[static_cast<size_t>(f.v[k])] = 1;
      const Facet &h = f_[f.nb[k]];
      // The vertex of the neighbour off the shared edge, against this facet.
      int opp = h.v[0];
      for (const int v : h.v)
        if (v != f.v[k] && v != f.v[(k + 1) % 3]) opp = v;
      convex = convex && dist(f, opp) <= tol_;
      if (dist(f, opp) > -tol_) {
        for (const int v : f.v) bends[static_cast<size_t>(v)] = 0;
        bends[static_cast<size_t>(opp)] = 0;
      }
    }
  }
  out->assign(static_cast<size_t>(n_), HullVerdict::Undecided);
  std::vector<int> open;
  for (int i = 0; i < n_; ++i) {
    const auto s = static_cast<size_t>(i);
    if (state_[s] == HullVerdict::Inside) (*out)[s] = HullVerdict::Inside;
    else if (state_[s] == HullVerdict::Vertex && on[s] != 0 && bends[s] != 0) (*out)[s] = HullVerdict::Vertex;
    else if (on[s] == 0) open.push_back(i);
  }
  // Points near a facet when placed, and vertices buried by later ones,
  // against every facet of a surface that bends nowhere the wrong way: a
  // convex one, whose inside they are in when clearly below every facet.
  if (!convex || static_cast<double>(open.size()) * static_cast<double>(alive.size()) > 2e7) return;
  for (const int p : open) {
    bool in = true;
    for (size_t k = 0; k < alive.size() && in; ++k) in = dist(f_[alive[k]], p) < -tol_;
    if (in) (*out)[static_cast<size_t>(p)] = HullVerdict::Inside;
  }
}

}  // namespace
#endif

bool zonix::lp::hull3_verdicts(dd_MatrixPtr M, std::vector<HullVerdict> *verdict)
{
#ifdef ZONIX_EXACT
  (void)M;
  (void)verdict;
  return false;
#else
  const dd_rowrange m = M->rowsize;
  if (M->representation != dd_Generator || M->colsize != 4 || m < 5 || set_card(M->linset) > 0) return false;
  std::vector<double> x(static_cast<size_t>(3 * m));
  double scale = 0;
  for (dd_rowrange i = 0; i < m; ++i) {
    const double w = M->matrix[i][0][0];
    if (!(w > 0)) return false;
    for (int k = 0; k < 3; ++k) {
      const double v = M->matrix[i][k + 1][0] / w;
      if (!std::isfinite(v)) return false;
      x[static_cast<size_t>(3 * i + k)] = v;
      scale = std::fmax(scale, std::fabs(v));
    }
  }
  if (!(scale > 0)) return false;
  Quickhull q(x, scale);
  if (!q.build()) return false;
  q.verdicts(verdict);
  return true;
#endif
}
