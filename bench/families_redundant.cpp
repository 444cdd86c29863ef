// Families for redundancy removal and projection.
#include "families_redundant.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <stdexcept>

namespace zonix::families {

Instance paraboloid_tangents(long m, int d, long kept, std::uint64_t seed)
{
  if (d < 2 || kept < 1 || m < kept) throw std::invalid_argument("paraboloid_tangents");
  Instance inst;
  inst.name = "tangents-h-" + std::to_string(m) + "-" + std::to_string(d) + "-" + std::to_string(kept) + "-s" +
              std::to_string(seed);
  inst.rep = Rep::H;
  inst.cols = d + 1;
  inst.integer_type = true;
  Prng g(seed);
  // Grid half-width: room for twice the tangent points wanted.
  const int k = d - 1;
  std::int64_t half = 1;
  while (k > 0 && std::pow(2.0 * static_cast<double>(half) + 1, k) < 2.0 * static_cast<double>(kept)) ++half;
  std::set<std::vector<std::int64_t>> seen;
  std::vector<std::vector<std::int64_t>> tangent;
  while (static_cast<long>(tangent.size()) < kept) {
    std::vector<std::int64_t> a(static_cast<size_t>(k));
    for (auto &x : a) x = g.uniform(-half, half);
    if (!seen.insert(a).second) continue;
    // |a|^2 - 2 a.y + x_d >= 0.
    std::vector<std::int64_t> r{0};
    for (auto x : a) r[0] += x * x, r.push_back(-2 * x);
    r.push_back(1);
    tangent.push_back(r);
  }
  std::vector<std::vector<std::int64_t>> rows = tangent;
  while (static_cast<long>(rows.size()) < m) {
    const auto &a = tangent[static_cast<size_t>(g.uniform(0, kept - 1))];
    const auto &b = tangent[static_cast<size_t>(g.uniform(0, kept - 1))];
    const std::int64_t la = g.uniform(1, 3), lb = g.uniform(1, 3);
    std::vector<std::int64_t> r(a.size());
    for (size_t j = 0; j < a.size(); ++j) r[j] = la * a[j] + lb * b[j];
    r[0] += g.uniform(0, 3);
    rows.push_back(r);
  }
  for (long i = m - 1; i > 0; --i) std::swap(rows[static_cast<size_t>(i)], rows[static_cast<size_t>(g.uniform(0, i))]);
  for (const auto &r : rows) {
    inst.rows.emplace_back();
    for (auto x : r) inst.rows.back().push_back(rat(x));
  }
  return inst;
}

Instance ball_points(long n, int d, std::uint64_t seed)
{
  Instance inst;
  inst.name = "ball-v-" + std::to_string(n) + "-" + std::to_string(d) + "-s" + std::to_string(seed);
  inst.rep = Rep::V;
  inst.cols = d + 1;
  inst.integer_type = true;
  Prng g(seed);
  constexpr std::int64_t r = 1 << 20;
  while (inst.rowcount() < n) {
    std::vector<Rational> row{rat(1)};
    double s = 0;
    for (int j = 0; j < d; ++j) {
      const std::int64_t x = g.uniform(-r, r);
      s += static_cast<double>(x) * static_cast<double>(x);
      row.push_back(rat(x));
    }
    if (s <= static_cast<double>(r) * static_cast<double>(r)) inst.rows.push_back(row);
  }
  return inst;
}

}  // namespace zonix::families
