// Time of redundancy removal on m inequalities in d variables, about half
// of them redundant: the LP loop (dd_RedundantRows, what "reduce_h" runs),
// ray shooting (dd_RedundantRowsViaShooting), and lrs's redund on the same
// rows as a whole process.  Both of ours must remove the same rows; redund
// must remove as many.
//
//   reduce_time [m d seed [dir]]   default: 1000 10 1 /tmp
//
// Writes dir/reduce-<m>-<d>.ine (lrs's notation) and dir/reduce-<m>-<d>.txt
// (one row "b a_1 ... a_d" per inequality a.x <= b, for Octave's load).
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <fstream>
#include <string>

#include "dovavozu.h"
#include "families.h"
#include "zonix.hpp"

#include <sys/resource.h>

namespace fam = zonix::families;
using Clock = std::chrono::steady_clock;

namespace {

double seconds_since(Clock::time_point t0)
{
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// Processor time of this process, and of its finished children: on a
// shared machine the wall clock also counts the others' work.
double cpu_self() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

double cpu_children()
{
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         1e-6 * static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

// m/2 random inequalities around the origin, then m/2 implied rows:
// copies, positive multiples and sums of two rows pushed outward.
fam::Instance half_redundant(long m, long d, std::uint64_t seed)
{
  fam::Instance inst = fam::random_inequalities(static_cast<int>(m / 2), static_cast<int>(d), seed);
  fam::Prng g(seed + 1);
  const long base = inst.rowcount();
  while (inst.rowcount() < m) {
    const auto &a = inst.rows[g.uniform(0, base - 1)];
    const auto &b = inst.rows[g.uniform(0, base - 1)];
    std::vector<fam::Rational> r(a.size());
    const long kind = g.uniform(0, 2);
    for (size_t j = 0; j < a.size(); ++j) {
      const std::int64_t x = a[j].num, y = b[j].num;  // integers
      r[j] = fam::rat(kind == 0 ? x : kind == 1 ? 3 * x : x + y);
    }
    if (kind == 2) r[0] = fam::rat(r[0].num + g.uniform(1, 10));
    inst.rows.push_back(r);
  }
  // Spread the implied rows among the others.
  for (long i = m - 1; i > 0; --i) std::swap(inst.rows[i], inst.rows[g.uniform(0, i)]);
  return inst;
}

}  // namespace

int main(int argc, char **argv)
{
  const long m = argc > 1 ? std::atol(argv[1]) : 1000;
  const long d = argc > 2 ? std::atol(argv[2]) : 10;
  const std::uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1;
  const std::string dir = argc > 4 ? argv[4] : "/tmp";
  dd_set_global_constants();

  const fam::Instance inst = half_redundant(m, d, seed);
  const std::string stem = dir + "/reduce-" + std::to_string(m) + "-" + std::to_string(d);
  std::ofstream(stem + ".ine") << fam::lrs_text(inst);
  {
    std::ofstream txt(stem + ".txt");
    for (const auto &r : inst.rows) {
      txt << fam::to_string(r[0]);
      for (size_t j = 1; j < r.size(); ++j) txt << ' ' << -fam::to_double(r[j]);
      txt << '\n';
    }
  }
  zonix::Matrix M(fam::to_matrix(inst));

  dd_ErrorType err = dd_NoError;
  auto t0 = Clock::now();
  double c0 = cpu_self();
  zonix::Set lp_loop(dd_RedundantRows(M.get(), &err));
  const double t_lp = seconds_since(t0), c_lp = cpu_self() - c0;
  const long n_lp = set_card(lp_loop.get());

  dd_ErrorType err2 = dd_NoError;
  t0 = Clock::now();
  c0 = cpu_self();
  zonix::Set shot(dd_RedundantRowsViaShooting(M.get(), &err2));
  const double t_shot = seconds_since(t0), c_shot = cpu_self() - c0;
  const long n_shot = set_card(shot.get());
  bool same = true;
  for (long i = 1; i <= m; ++i)
    same = same && set_member(i, lp_loop.get()) == set_member(i, shot.get());

  std::printf("%ld inequalities in %ld variables (seed %llu), files %s.ine/.txt\n", m, d,
              static_cast<unsigned long long>(seed), stem.c_str());
  std::printf("                             wall s    cpu s\n");
  std::printf("dd_RedundantRows            %8.3f %8.3f  %ld redundant  error %d\n", t_lp, c_lp,
              n_lp, err);
  std::printf("dd_RedundantRowsViaShooting %8.3f %8.3f  %ld redundant  error %d  %s\n", t_shot,
              c_shot, n_shot, err2, same ? "same rows" : "DIFFERENT ROWS");

  const std::string out = stem + ".redund";
  const std::string cmd = "redund " + stem + ".ine " + out + " > /dev/null 2>&1";
  t0 = Clock::now();
  c0 = cpu_children();
  const int rc = std::system(cmd.c_str());
  const double t_redund = seconds_since(t0), c_redund = cpu_children() - c0;
  if (rc != 0) {
    std::printf("redund                      not run (Debian package lrslib)\n");
    return same ? 0 : 1;
  }
  std::ifstream in(out);
  std::string line;
  long n_redund = 0;
  while (std::getline(in, line)) {
    const auto at = line.find(" redundant row(s) found");
    if (at != std::string::npos) n_redund = std::atol(line.c_str() + 1);
  }
  std::printf("redund (process)            %8.3f %8.3f  %ld redundant\n", t_redund, c_redund,
              n_redund);
  return same && n_redund == n_lp ? 0 : 1;
}
