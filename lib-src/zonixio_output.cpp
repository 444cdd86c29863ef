// Results of a double description run: the other representation as a
// matrix, the adjacency of its rows, and the incidence between input and
// output rows.
#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <span>
#include <string>
#include <cstdlib>
#include <type_traits>
#include <vector>

#include "zonixcore.h"
#include "zonixcore_bits.hpp"
#include "zonixcore_adjacency.hpp"
#include "zonixcore_internal.hpp"
#include "zonixgcd.hpp"
#include "zonixdd.h"
#include "zonixio.h"
#include "zonixhandles.hpp"
#include "zonixexact.hpp"

namespace {

using zonix::core::face_within;
using zonix::core::make_face;
using zonix::core::set_data_words;
using zonix::core::set_word;

bool result_available(dd_PolyhedraPtr poly)
{
  return poly != nullptr && poly->child != nullptr &&
         poly->child->CompStatus == dd_AllFound;
}

bool homogenising_column_removed(dd_ConePtr cone)
{
  return cone->d <= 0 || (cone->d_orig >= 1 && cone->newcol[1] == 0);
}

// The single output row (1, 0, ..., 0) of a homogeneous H-representation
// whose cone is only the origin.
bool origin_case(dd_PolyhedraPtr poly, dd_bigrange total)
{
  return total == 0 && poly->representation == dd_Inequality &&
         poly->homogeneous;
}

// Calls f(e) for every member e of s, in increasing order.
template <class F>
void for_each_member(set_type s, F f)
{
  const long nw = set_data_words(set_groundsize(s));
  for (long w = 1; w <= nw; ++w) {
    set_word bits = s[w];
    while (bits != 0u) {
      const int b = std::countr_zero(bits);
      f((w - 1) * 32 + b + 1);
      bits &= bits - 1u;
    }
  }
}

// members[e] lists the sets of a family (numbered from 1) that contain e,
// for e = 1..ground: the family read the other way round.  One flat array:
// a list per output row would cost an allocation each.
class MemberLists {
 public:
  MemberLists(const set_type *sets, long count, long ground)
      : start_(static_cast<size_t>(ground + 2), 0)
  {
    for (long i = 1; i <= count; ++i)
      for_each_member(sets[i - 1], [&](long e) {
        if (e <= ground) ++start_[static_cast<size_t>(e) + 1];
      });
    for (size_t e = 1; e < start_.size(); ++e) start_[e] += start_[e - 1];
    items_.resize(static_cast<size_t>(start_.back()));
    std::vector<long> next(start_.begin(), start_.end() - 1);
    for (long i = 1; i <= count; ++i)
      for_each_member(sets[i - 1], [&](long e) {
        if (e <= ground) items_[static_cast<size_t>(next[static_cast<size_t>(e)]++)] = i;
      });
  }
  size_t size() const { return start_.size() - 1; }
  std::span<const long> operator[](size_t e) const
  {
    return {items_.data() + start_[e], static_cast<size_t>(start_[e + 1] - start_[e])};
  }

 private:
  std::vector<long> start_;
  std::vector<long> items_;
};

MemberLists transpose(const set_type *sets, long count, long ground)
{
  return {sets, count, ground};
}

// The member of s whose list in `lists` is shortest, or 0 for an empty s.
long rarest_member(set_type s, const MemberLists &lists)
{
  long best = 0;
  size_t best_size = 0;
  for_each_member(s, [&](long e) {
    if (e >= static_cast<long>(lists.size())) return;
    const size_t sz = lists[static_cast<size_t>(e)].size();
    if (best == 0 || sz < best_size) {
      best = e;
      best_size = sz;
    }
  });
  return best;
}

// Whether some set k of Ainc other than skip1 and skip2, in neither Ared
// nor Adom, contains `common`.  Such a k must contain every member of
// `common`, so only the sets listed for its rarest member are examined.
bool dominated(dd_PolyhedraPtr poly, set_type common, long skip1, long skip2,
               const MemberLists &rows_of_output)
{
  auto eligible = [&](long k) {
    return k != skip1 && k != skip2 && !set_member(k, poly->Ared) &&
           !set_member(k, poly->Adom);
  };
  const long e = rarest_member(common, rows_of_output);
  if (e == 0) {
    // An empty intersection lies in every set.
    for (long k = 1; k <= poly->m1; ++k)
      if (eligible(k)) return true;
    return false;
  }
  for (long k : rows_of_output[static_cast<size_t>(e)])
    if (eligible(k) && set_subset(common, poly->Ainc[k - 1])) return true;
  return false;
}


// The size and kind of the output matrix of a finished run.
struct OutputShape {
  dd_bigrange total = 0;      // rows
  dd_bigrange lineality = 0;  // lineality rows, after the rays
  dd_bigrange rays = 0;       // rows of rays
  bool origin = false;        // the single row (1, 0, ..., 0)
  dd_RepresentationType rep = dd_Unspecified;
};

// With `starts`, every block-th ray of the list up to the last output
// row goes there.
bool output_shape(dd_PolyhedraPtr poly, OutputShape *shape, std::vector<dd_RayPtr> *starts = nullptr,
                  long block = 1)
{
  if (!result_available(poly)) return false;
  dd_ConePtr cone = poly->child;
  dd_bigrange total = cone->LinearityDim + cone->FeasibleRayCount;
  if (homogenising_column_removed(cone)) --total;
  if (total < 0) total = 0;
  shape->origin = origin_case(poly, total);
  if (shape->origin) total = 1;
  shape->total = total;
  shape->rep = poly->representation == dd_Inequality ? dd_Generator : dd_Inequality;
  dd_bigrange rays = 0;
  long walked = 0;
  for (dd_RayPtr r = cone->FirstRay; r != nullptr && rays < total; r = r->Next, ++walked) {
    if (starts != nullptr && walked % block == 0) starts->push_back(r);
    if (r->feasible) ++rays;
  }
  dd_bigrange lines = 0;
  if (cone->ColReduced)
    for (dd_colrange j = 2; j <= poly->d && rays + lines < total; ++j)
      if (cone->newcol[j] == 0) ++lines;
  shape->rays = rays;
  shape->lineality = shape->origin ? 0 : lines;
  return true;
}

// Writes the output rows in order: row(i, lineality) gives the storage of
// row i (0-based), done(storage) follows each row once it is complete.
// The origin row is left to the caller.
// With rays_done, the rows of the rays are written already: only those
// after them are.
template <class Row, class Done = void (*)(mytype *)>
void output_rows(dd_PolyhedraPtr poly, const OutputShape &shape, bool rays_done, Row row,
                 Done done = [](mytype *) {})
{
  dd_ConePtr cone = poly->child;
  const dd_colrange d = poly->d;
  const dd_bigrange total = shape.total;
  const dd_RepresentationType rep = shape.rep;
  dd_rowrange i = rays_done ? shape.rays : 0;
  for (dd_RayPtr r = rays_done ? nullptr : cone->FirstRay; r != nullptr && i < total; r = r->Next) {
    if (!r->feasible) continue;
    mytype *a = row(i, false);
    dd_CopyRay(a, d, r, rep, cone->newcol);
    done(a);
    ++i;
  }
  if (!cone->ColReduced) return;
  mytype b;
  ddd_init(b);
  for (dd_colrange j = 2; j <= d && i < total; ++j) {
    if (cone->newcol[j] != 0) continue;
    mytype *a = row(i, true);
    ddd_set(b, cone->Bsave[0][j - 1]);
    const bool scale = rep == dd_Generator && dd_Positive(b);
    for (dd_colrange k = 0; k < d; ++k) {
      if (scale)
        ddd_div(a[k], cone->Bsave[k][j - 1], b);
      else
        ddd_set(a[k], cone->Bsave[k][j - 1]);
    }
    if (scale) ddd_set(a[0], dd_one);
    done(a);
    ++i;
  }
  ddd_clear(b);
}

#ifdef ZONIX_EXACT
// Writes numbers as mpq_get_str does, " n" or " n/e" in lowest terms with
// e > 0, from ray entries: 64-bit integers by a binary gcd and to_chars,
// the rest by GMP in storage kept from row to row.
class FractionText {
 public:
  // n / e, e nonzero.
  void put(std::string &out, const mytype n, const mytype e)
  {
    if (!ddd_big(n) && !ddd_big(e) && n->v != INT64_MIN && e->v != INT64_MIN) {
      small(out, n->v, e->v);
      return;
    }
    mpq_set(a_.get_mpq_t(), ddd_cq(n, &view_));
    mpq_set(b_.get_mpq_t(), ddd_cq(e, &view_));
    a_ /= b_;
    out += ' ';
    const size_t at = out.size();
    out.resize(at + mpz_sizeinbase(a_.get_num_mpz_t(), 10) + mpz_sizeinbase(a_.get_den_mpz_t(), 10) + 3);
    mpq_get_str(&out[at], 10, a_.get_mpq_t());
    out.resize(at + std::strlen(&out[at]));
  }

 private:
  void small(std::string &out, std::int64_t n, std::int64_t e)
  {
    const bool negative = (n < 0) != (e < 0) && n != 0;
    std::uint64_t un = zonix::magnitude(n);
    std::uint64_t ue = zonix::magnitude(e);
    // Over 1, the common case of a row scaled by its first entry or by 1,
    // there is nothing to reduce.
    if (ue != 1) {
      const std::uint64_t g = zonix::binary_gcd(un, ue);
      if (g != 1) {
        un /= g;
        ue /= g;
      }
    }
    // Room for two 64-bit magnitudes, a sign, a slash and the space.
    char buf[48];
    char *p = buf;
    *p++ = ' ';
    if (negative) *p++ = '-';
    p = std::to_chars(p, buf + sizeof buf, un).ptr;
    if (ue != 1) {
      // A row's denominators are mostly its scale: its digits are kept.
      if (ue != den_) {
        den_ = ue;
        den_len_ = std::to_chars(den_text_, den_text_ + sizeof den_text_, ue).ptr - den_text_;
      }
      *p++ = '/';
      std::memcpy(p, den_text_, static_cast<size_t>(den_len_));
      p += den_len_;
    }
    out.append(buf, p);
  }
  mpq_class a_, b_;
  ddd_qview view_;
  std::uint64_t den_ = 0;
  char den_text_[24];
  long den_len_ = 0;
};
#endif

}  // namespace

#ifdef ZONIX_EXACT
namespace {

// Rows written before the text's length is estimated.
inline constexpr dd_bigrange kSampleRows = 64;

// Room for `total` rows like the `done` rows of text, and a quarter more.
// Grown by doubling, a large text would fill two or three times its
// length in fresh pages, and copy itself each time; pages reserved beyond
// the text are never touched.
void reserve_like_sample(std::string &text, dd_bigrange done, dd_bigrange total)
{
  const double per_row = static_cast<double>(text.size()) / static_cast<double>(done);
  text.reserve(static_cast<size_t>(per_row * static_cast<double>(total) * 1.25) + 64);
}

}  // namespace

bool zonix::output_text(dd_PolyhedraPtr poly, std::string &text, long *rows, std::vector<long> &linearity,
                        const std::function<bool(std::string &)> *flush)
{
  OutputShape shape;
  if (!output_shape(poly, &shape) || shape.origin) return false;
  // The head first: a flush hands it on with the first piece.
  *rows = static_cast<long>(shape.total);
  linearity.clear();
  for (dd_bigrange k = shape.rays + 1; k <= shape.rays + shape.lineality; ++k) linearity.push_back(static_cast<long>(k));
  // Pieces of some 64 KiB stay in the caches, and the same pages serve each.
  constexpr size_t kPiece = size_t{64} << 10;
  if (flush != nullptr) text.reserve(kPiece + 1024);
  // False once the flush has said to stop.
  auto piece_done = [&] { return flush == nullptr || text.size() < kPiece || (*flush)(text); };
  dd_ConePtr cone = poly->child;
  const dd_colrange d = poly->d;
  FractionText w;
  mytype zero, scale, t;
  ddd_init(zero);
  ddd_init(scale);
  ddd_init(t);
  std::vector<const struct zonix_rational *> a(static_cast<size_t>(d));
  dd_bigrange i = 0;
  for (dd_RayPtr r = cone->FirstRay; r != nullptr && i < shape.total; r = r->Next) {
    if (!r->feasible) continue;
    for (dd_colrange j = 0; j < d; ++j) {
      const dd_colrange j1 = cone->newcol[j + 1];
      a[static_cast<size_t>(j)] = j1 > 0 ? r->Ray[j1 - 1] : zero;
    }
    // The scale dd_CopyRay writes at: a point's first entry, else the
    // least magnitude of a nonzero entry (dd_Normalize), else 1.
    if (shape.rep == dd_Generator && ddd_sgn(a[0]) != 0) {
      ddd_set(scale, a[0]);
    } else {
      const struct zonix_rational *least = nullptr;
      bool scale_least = false;  // whether scale holds |least| already
      for (const auto *x : a) {
        if (ddd_sgn(x) == 0) continue;
        if (least == nullptr) {
          least = x;
        } else if (!ddd_big(x) && !ddd_big(least)) {
          if (zonix::magnitude(x->v) < zonix::magnitude(least->v)) {
            least = x;
            scale_least = false;
          }
        } else {
          if (!scale_least) dd_abs(scale, least);
          dd_abs(t, x);
          scale_least = true;
          if (ddd_cmp(t, scale) < 0) {
            least = x;
            ddd_set(scale, t);
          }
        }
      }
      if (least == nullptr)
        ddd_set(scale, dd_one);
      else if (!scale_least)
        dd_abs(scale, least);
    }
    for (const auto *x : a) w.put(text, x, scale);
    text += '\n';
    ++i;
    if (flush == nullptr && i == kSampleRows) reserve_like_sample(text, i, shape.total);
    if (!piece_done()) return true;
  }
  if (cone->ColReduced) {
    for (dd_colrange j = 2; j <= d && i < shape.total; ++j) {
      if (cone->newcol[j] != 0) continue;
      ddd_set(scale, cone->Bsave[0][j - 1]);
      if (!(shape.rep == dd_Generator && ddd_sgn(scale) > 0)) ddd_set(scale, dd_one);
      for (dd_colrange k = 0; k < d; ++k) w.put(text, cone->Bsave[k][j - 1], scale);
      text += '\n';
      ++i;
      if (!piece_done()) return true;
    }
  }
  // Rows the run did not fill stay zero, as in the copy.
  for (; i < shape.total; ++i) {
    for (dd_colrange j = 0; j < d; ++j) text += " 0";
    text += '\n';
    if (!piece_done()) return true;
  }
  if (flush != nullptr) (*flush)(text);
  ddd_clear(zero);
  ddd_clear(scale);
  ddd_clear(t);
  return true;
}

bool zonix::output_integers(dd_PolyhedraPtr poly, std::vector<std::int64_t> &v, long *rows)
{
  OutputShape shape;
  if (!output_shape(poly, &shape) || shape.origin || shape.lineality != 0) return false;
  const dd_ConePtr cone = poly->child;
  const dd_colrange d = poly->d;
  constexpr std::int64_t kLimit = std::int64_t{1} << 62;
  v.assign(static_cast<size_t>(shape.total * d), 0);
  dd_bigrange i = 0;
  for (dd_RayPtr r = cone->FirstRay; r != nullptr && i < shape.total; r = r->Next) {
    if (!r->feasible) continue;
    std::int64_t *a = v.data() + i * d;
    std::uint64_t g = 0;
    for (dd_colrange j = 0; j < d; ++j) {
      const dd_colrange j1 = cone->newcol[j + 1];
      if (j1 == 0) continue;
      const mytype &x = r->Ray[j1 - 1];
      if (ddd_big(x) || x->v >= kLimit || x->v <= -kLimit) return false;
      a[j] = x->v;
      g = zonix::binary_gcd(g, zonix::magnitude(a[j]));
    }
    // The copy's numbers over the lcm of their denominators: a point with
    // a positive first entry, every row in lowest terms.
    const std::int64_t by = (shape.rep == dd_Generator && a[0] < 0 ? -1 : 1) * static_cast<std::int64_t>(g > 1 ? g : 1);
    for (dd_colrange j = 0; j < d; ++j) a[j] /= by;
    ++i;
  }
  *rows = static_cast<long>(i);
  return i == shape.total;
}
#endif

extern "C" {

dd_MatrixPtr dd_CopyOutput(dd_PolyhedraPtr poly)
{
  OutputShape shape;
  if (!output_shape(poly, &shape)) return nullptr;
  dd_MatrixPtr M = dd_CreateMatrix(shape.total, poly->d);
  output_rows(poly, shape, false, [&](dd_rowrange i, bool lineality) {
    if (lineality) set_addelem(M->linset, i + 1);
    return M->matrix[i];
  });
  if (shape.origin && poly->d > 0) {
    ddd_set(M->matrix[0][0], dd_one);
    for (dd_colrange k = 1; k < poly->d; ++k) ddd_set(M->matrix[0][k], dd_purezero);
  }
  dd_MatrixIntegerFilter(M);
  M->representation = shape.rep;
  return M;
}

}  // extern "C"

namespace {

// Rays a block of the threaded writing holds (tens of kilobytes of text),
// and the least output rows for which threads pay.
inline constexpr long write_block = 1 << 11;

#ifndef ZONIX_EXACT

inline constexpr long threaded_write_from = 1 << 14;

// Writes the rays' rows of the output, the blocks of rays from `starts`
// formatted on the run's threads and written in their order: the text of
// hundreds of thousands of rays can cost more to format than the run's
// last iterations take.  The thread that completes the next block to write
// writes it, and those after it that are done, while the others format
// on: the writing stands beside the formatting, not between rounds of it.
// Returns the rows written.
dd_bigrange write_rays_threaded(FILE *f, dd_PolyhedraPtr poly, const OutputShape &shape,
                                const std::vector<dd_RayPtr> &starts, int threads)
{
  dd_ConePtr cone = poly->child;
  const dd_colrange d = poly->d;
  const size_t record_bytes = zonix::core::ray_block_size(cone->d, cone->m);
  struct Text {
    std::string text;
    std::vector<size_t> row_ends;
  };
  const long blocks = static_cast<long>(starts.size());
  // The text of each block from its formatting to its writing; written
  // texts give their storage to blocks not yet begun.
  std::vector<Text> texts(static_cast<size_t>(blocks));
  std::vector<unsigned char> ready(static_cast<size_t>(blocks), 0);
  std::vector<Text> spare;
  spare.reserve(static_cast<size_t>(blocks));  // moving a written text in cannot fail
  std::mutex hold;
  std::condition_variable written_one;
  long next_write = 0;   // the first block not written
  bool writing = false;  // whether a thread writes (it alone moves next_write)
  bool failed = false;   // a formatting failed: the rest is written after
  // Blocks formatted ahead of the writing: a thread held up (as on a busy
  // machine) would have the others pile up text.  The thread of the next
  // block to write never waits.
  const long window = 2L * threads;
  std::vector<dd_Arow> rows(static_cast<size_t>(threads), nullptr);
  for (dd_Arow &a : rows) dd_InitializeArow(d > 0 ? d : 1, &a);
  zonix::core::ThreadPool pool;
  dd_bigrange written = 0;
  // Rows of a block written one by one, as a fallback without allocation.
  auto write_directly = [&](long b) {
    mytype *a = rows[0];
    dd_RayPtr r = starts[static_cast<size_t>(b)];
    for (long k = 0; k < write_block && r != nullptr && written < shape.rays; ++k, r = r->Next) {
      if (!r->feasible) continue;
      dd_CopyRay(a, d, r, shape.rep, cone->newcol);
      for (dd_colrange j = 0; j < d; ++j) dd_SnapToInteger(a[j], a[j]);
      dd_WriteArow(f, a, d);
      ++written;
    }
  };
  const std::exception_ptr failure = zonix::core::run_blocks(pool, threads, blocks, [&](int t, long b) {
    Text &x = texts[static_cast<size_t>(b)];
    std::unique_lock<std::mutex> lock(hold);
    written_one.wait(lock, [&] { return failed || b - next_write < window; });
    if (failed) return false;
    if (!spare.empty()) {
      x = std::move(spare.back());
      spare.pop_back();
    }
    lock.unlock();
    try {
      x.text.clear();
      x.row_ends.clear();
      mytype *a = rows[static_cast<size_t>(t)];
      dd_RayPtr r = starts[static_cast<size_t>(b)];
      for (long k = 0; k < write_block && r != nullptr; ++k, r = r->Next) {
#if defined(__GNUC__)
        // The next record is fetched while this one is formatted: a walk
        // of the list otherwise waits for each in turn.
        if (r->Next != nullptr) {
          const char *q = reinterpret_cast<const char *>(r->Next);
          for (size_t at = 0; at < record_bytes; at += 64) __builtin_prefetch(q + at);
        }
#endif
        if (!r->feasible) continue;
        dd_CopyRay(a, d, r, shape.rep, cone->newcol);
        for (dd_colrange j = 0; j < d; ++j) dd_SnapToInteger(a[j], a[j]);
        zonix::core::append_row_text(x.text, a, d);
        x.row_ends.push_back(x.text.size());
      }
    } catch (...) {
      lock.lock();
      failed = true;
      written_one.notify_all();
      throw;
    }
    lock.lock();
    ready[static_cast<size_t>(b)] = 1;
    if (writing) return true;
    writing = true;
    while (next_write < blocks && ready[static_cast<size_t>(next_write)] != 0) {
      Text &w = texts[static_cast<size_t>(next_write)];
      lock.unlock();
      const auto take = static_cast<size_t>(
          std::min<dd_bigrange>(static_cast<dd_bigrange>(w.row_ends.size()), shape.rays - written));
      if (take > 0) zonix::core::write_text(f, w.text.data(), w.row_ends[take - 1]);
      written += static_cast<dd_bigrange>(take);
      lock.lock();
      spare.push_back(std::move(w));
      ++next_write;
      written_one.notify_all();
    }
    writing = false;
    return true;
  });
  // Blocks not written (a formatting failed): written here, one row at a time.
  if (failure)
    for (long b = next_write; b < blocks; ++b) write_directly(b);
  for (dd_Arow &a : rows) dd_FreeArow(d > 0 ? d : 1, a);
  return written;
}
#endif

}  // namespace

extern "C" {

void dd_WriteOutputMatrix(FILE *f, dd_PolyhedraPtr poly)
{
  OutputShape shape;
  std::vector<dd_RayPtr> starts;
  int threads = 1;
#ifndef ZONIX_EXACT
  if (poly != nullptr && poly->child != nullptr && poly->child->workspace != nullptr)
    threads = zonix::core::workspace(poly->child).threads;
#endif
  if (!output_shape(poly, &shape, threads > 1 ? &starts : nullptr, write_block) || shape.total == 0 ||
      shape.origin) {
    // Nothing large to hold: written from the copy.
    const zonix::Matrix M(dd_CopyOutput(poly));
    dd_WriteMatrix(f, M.get());
    return;
  }
  const dd_colrange d = poly->d;
  dd_Printf(f, shape.rep == dd_Inequality ? "H-representation\n" : "V-representation\n");
  if (shape.lineality > 0) {
    dd_Printf(f, "linearity %ld ", shape.lineality);
    for (dd_rowrange i = shape.rays + 1; i <= shape.rays + shape.lineality; ++i)
      dd_Printf(f, " %ld", i);
    dd_Printf(f, "\n");
  }
  dd_Printf(f, "begin\n");
  dd_Printf(f, " %ld %ld real\n", shape.total, d);
  // One row at a time, filtered as dd_CopyOutput filters its matrix.
  dd_Arow row = nullptr;
  dd_InitializeArow(d > 0 ? d : 1, &row);
  mytype x;
  ddd_init(x);
  dd_bigrange written = 0;
  bool rays_written = false;
#ifndef ZONIX_EXACT
  if (threads > 1 && shape.rays >= threaded_write_from) {
    written = write_rays_threaded(f, poly, shape, starts, threads);
    rays_written = true;
  }
#endif
  output_rows(poly, shape, rays_written, [&](dd_rowrange, bool) { return row; }, [&](mytype *r) {
    for (dd_colrange j = 0; j < d; ++j) {
      dd_SnapToInteger(x, r[j]);
      ddd_set(r[j], x);
    }
    dd_WriteArow(f, r, d);
    ++written;
  });
  // Rows the run did not fill stay zero, as in the copy.
  for (dd_colrange j = 0; j < d; ++j) ddd_set(row[j], dd_purezero);
  for (; written < shape.total; ++written) dd_WriteArow(f, row, d);
  ddd_clear(x);
  dd_FreeArow(d > 0 ? d : 1, row);
  dd_Printf(f, "end\n");
}

dd_MatrixPtr dd_CopyGenerators(dd_PolyhedraPtr poly)
{
  if (poly == nullptr) return nullptr;
  if (poly->representation == dd_Generator) return dd_CopyInput(poly);
  return dd_CopyOutput(poly);
}

dd_MatrixPtr dd_CopyInequalities(dd_PolyhedraPtr poly)
{
  if (poly == nullptr) return nullptr;
  if (poly->representation == dd_Inequality) return dd_CopyInput(poly);
  return dd_CopyOutput(poly);
}

}  // extern "C"

namespace {

zonix::SetFamily copy_adjacency(dd_PolyhedraPtr poly)
{
  dd_ConePtr cone = poly->child;
  dd_bigrange n = poly->n;
  if (n == 0 && poly->homogeneous && poly->representation == dd_Inequality)
    n = 1;
  auto F = zonix::make_set_family(n, n);
  if (cone->LastRay != nullptr) cone->LastRay->Next = nullptr;

  // Set k belongs to output row k, so only the feasible rays get a set;
  // every ray of the list still counts as a third ray.
  std::vector<dd_RayPtr> all;
  std::vector<long> feasible;  // positions in `all`
  for (dd_RayPtr r = cone->FirstRay; r != nullptr; r = r->Next) {
    if (r->feasible) feasible.push_back(static_cast<long>(all.size()));
    all.push_back(r);
  }
  const dd_rowrange m = cone->m;
  const long nw = set_data_words(m);
  std::vector<set_type> zero_sets;
  zero_sets.reserve(all.size());
  for (dd_RayPtr r : all) zero_sets.push_back(r->ZeroSet);
  // rays_on[row] lists the rays (1-based positions in `all`) on that row:
  // a third ray must lie on every row of the face, so the list of the
  // face's rarest row holds every candidate.
  const auto rays_on =
      transpose(zero_sets.data(), static_cast<long>(zero_sets.size()), m);
  const zonix::Set face_set = zonix::make_set(m);
  set_type face = face_set.get();
  const set_word *added = cone->AddedHalfspaces;
  const long rays = static_cast<long>(all.size());
  const long nf = static_cast<long>(feasible.size());
  const long limit = n - poly->ldim;  // sets that belong to rays

  const long nshown = std::min(nf, limit);
  const bool nondeg = poly->NondegAssumed != 0;
  const long need = cone->d - 2;
  // A pair with a simple ray in it needs no third-ray search (simple_ray).
  std::vector<char> simple(static_cast<size_t>(std::max(nshown, 0L)), 0);
  bool all_simple = need > 0 && !nondeg && zonix::core::simple_rays_trusted(cone);
  if (all_simple)
    for (long a = 0; a < nshown; ++a) {
      simple[static_cast<size_t>(a)] =
          zonix::core::simple_ray(all[static_cast<size_t>(feasible[static_cast<size_t>(a)])], added, nw, 0, cone->d)
              ? 1
              : 0;
      all_simple = all_simple && simple[static_cast<size_t>(a)] != 0;
    }

  // Rays a and b (positions among the shown feasible rays) are adjacent
  // when their common added zero rows number at least d - 2 and no third
  // ray of the list lies on all of them.  The test is symmetric, so each
  // unordered pair is decided once.
  auto decide = [&](long a, long b) {
    const long ia = feasible[static_cast<size_t>(a)];
    const long ib = feasible[static_cast<size_t>(b)];
    const long card = make_face(face, zero_sets[static_cast<size_t>(ia)],
                                zero_sets[static_cast<size_t>(ib)], added, nw);
    bool adjacent = card >= need;
    if (adjacent && !nondeg && simple[static_cast<size_t>(a)] == 0 && simple[static_cast<size_t>(b)] == 0) {
      const long row = rarest_member(face, rays_on);
      if (row == 0) {
        adjacent = rays <= 2;
      } else {
        for (long t : rays_on[static_cast<size_t>(row)]) {
          if (t - 1 == ia || t - 1 == ib) continue;
          // face lies within the added rows already.
          if (face_within(face, zero_sets[static_cast<size_t>(t - 1)], nw)) {
            adjacent = false;
            break;
          }
        }
      }
    }
    if (adjacent) {
      set_addelem(F->set[a], b + 1);
      set_addelem(F->set[b], a + 1);
    }
  };

  if (all_simple) {
    // Every edge is found under the key of its face, with no walk at all.
    std::vector<const set_word *> z(static_cast<size_t>(nshown));
    for (long a = 0; a < nshown; ++a)
      z[static_cast<size_t>(a)] = zero_sets[static_cast<size_t>(feasible[static_cast<size_t>(a)])] + 1;
    std::vector<std::pair<int, int>> pairs;
    zonix::core::ridge_pairs(z, added + 1, nw, need, pairs);
    for (const auto &[a, b] : pairs) {
      set_addelem(F->set[a], b + 1);
      set_addelem(F->set[b], a + 1);
    }
  } else if (need <= 0) {
    for (long a = 0; a < nshown; ++a)
      for (long b = a + 1; b < nshown; ++b) decide(a, b);
  } else {
    // A partner must share at least one added zero row, so the partners of
    // a are found through the ray lists of its own rows, with the number
    // of shared rows counted on the way; pairs sharing fewer than d - 2
    // rows are never examined.
    std::vector<long> shown_pos(all.size(), -1);
    for (long a = 0; a < nshown; ++a)
      shown_pos[static_cast<size_t>(feasible[static_cast<size_t>(a)])] = a;
    std::vector<long> shared(all.size(), 0);
    std::vector<long> touched;
    for (long a = 0; a < nshown; ++a) {
      const set_word *za =
          zero_sets[static_cast<size_t>(feasible[static_cast<size_t>(a)])];
      touched.clear();
      for (long w = 1; w <= nw; ++w) {
        set_word bits = za[w] & added[w];
        while (bits != 0u) {
          const long row = (w - 1) * 32 + std::countr_zero(bits) + 1;
          bits &= bits - 1u;
          for (long t : rays_on[static_cast<size_t>(row)]) {
            const long b = shown_pos[static_cast<size_t>(t - 1)];
            if (b <= a) continue;
            if (shared[static_cast<size_t>(b)]++ == 0) touched.push_back(b);
          }
        }
      }
      for (long b : touched) {
        if (shared[static_cast<size_t>(b)] >= need) decide(a, b);
        shared[static_cast<size_t>(b)] = 0;
      }
    }
  }

  // A lineality row is adjacent to every other row; no row is its own
  // neighbour.
  const dd_bigrange lstart = poly->n - poly->ldim + 1;
  for (dd_bigrange k = lstart; k <= poly->n; ++k) {
    if (k < 1 || k > n) continue;
    for (dd_bigrange j = 1; j <= n; ++j)
      if (j != k) set_addelem(F->set[k - 1], j);
  }
  for (dd_bigrange k = 1; k < lstart && k <= n; ++k)
    for (dd_bigrange j = lstart; j <= poly->n; ++j)
      set_addelem(F->set[k - 1], j);
  return F;
}

void release_ainc(dd_PolyhedraPtr poly)
{
  if (poly->Ainc != nullptr)
    for (dd_rowrange i = 0; i < poly->m1; ++i) set_free(poly->Ainc[i]);
  std::free(poly->Ainc);
  set_free(poly->Ared);
  set_free(poly->Adom);
  poly->Ainc = nullptr;
  poly->Ared = nullptr;
  poly->Adom = nullptr;
}

void compute_ainc(dd_PolyhedraPtr poly)
{
  // Only the output's row count is needed, not a copy of its rows.
  OutputShape shape;
  if (!output_shape(poly, &shape)) return;
  const dd_bigrange n = shape.total;
  const dd_rowrange m1 = poly->m1;
  poly->n = n;

  poly->Ainc = static_cast<dd_Aincidence>(std::calloc(
      static_cast<size_t>(m1 > 0 ? m1 : 1), sizeof(set_type)));
  for (dd_rowrange i = 0; i < m1; ++i) set_initialize(&poly->Ainc[i], n);
  set_initialize(&poly->Ared, m1);
  set_initialize(&poly->Adom, m1);

  // Incidence as the run decided it: the zero set of each ray, over the
  // cone's rows (the extra row x0 >= 0 included).  Evaluating the rows
  // again with the absolute tolerance would lose incidences of rows with
  // large terms.  Rows past the rays (lines, or the origin) lie on every
  // input row.
  dd_ConePtr cone = poly->child;
  dd_bigrange k = 0;
  for (dd_RayPtr r = cone->FirstRay; r != nullptr && k < n; r = r->Next) {
    if (!r->feasible) continue;
    ++k;
    const dd_rowrange last = std::min<dd_rowrange>(m1, cone->m);
    for_each_member(r->ZeroSet, [&](long i) {
      if (i <= last) set_addelem(poly->Ainc[i - 1], k);
    });
  }
  for (++k; k <= n; ++k)
    for (dd_rowrange i = 1; i <= m1; ++i) set_addelem(poly->Ainc[i - 1], k);

  std::vector<long> card(static_cast<size_t>(m1 + 1), 0);
  for (dd_rowrange i = 1; i <= m1; ++i) {
    card[static_cast<size_t>(i)] = set_card(poly->Ainc[i - 1]);
    if (card[static_cast<size_t>(i)] == n) set_addelem(poly->Adom, i);
  }

  // Downwards, so of two rows with equal incidence the higher-numbered one
  // is marked.  A row containing Ainc[i] must be incident with each of its
  // output rows, so only the rows listed for its rarest output row are
  // examined.
  const auto rows_of_output = transpose(poly->Ainc, m1, n);
  for (dd_rowrange i = m1; i >= 1; --i) {
    set_type Ai = poly->Ainc[i - 1];
    if (card[static_cast<size_t>(i)] == 0) {
      set_addelem(poly->Ared, i);
      continue;
    }
    const long e = rarest_member(Ai, rows_of_output);
    for (long k : rows_of_output[static_cast<size_t>(e)]) {
      if (k == i || set_member(k, poly->Ared) || set_member(k, poly->Adom))
        continue;
      if (card[static_cast<size_t>(k)] < card[static_cast<size_t>(i)])
        continue;
      if (set_subset(Ai, poly->Ainc[k - 1])) {
        set_addelem(poly->Ared, i);
        break;
      }
    }
  }
  poly->AincGenerated = dd_TRUE;
}

zonix::SetFamily copy_input_adjacency(dd_PolyhedraPtr poly)
{
  const dd_rowrange m1 = poly->m1;
  auto F = zonix::make_set_family(m1, m1);
  const auto rows_of_output = transpose(poly->Ainc, m1, poly->n);
  const zonix::Set common_set = zonix::make_set(poly->n);
  set_type common = common_set.get();
  // The same decision as dd_InputAdjacentQ, once per unordered pair.
  for (dd_rowrange i1 = 1; i1 <= m1; ++i1) {
    if (set_member(i1, poly->Ared)) continue;
    for (dd_rowrange i2 = i1 + 1; i2 <= m1; ++i2) {
      if (set_member(i2, poly->Ared)) continue;
      bool adjacent = true;
      if (!set_member(i1, poly->Adom) && !set_member(i2, poly->Adom)) {
        set_int(common, poly->Ainc[i1 - 1], poly->Ainc[i2 - 1]);
        adjacent = !dominated(poly, common, i1, i2, rows_of_output);
      }
      if (adjacent) {
        set_addelem(F->set[i1 - 1], i2);
        set_addelem(F->set[i2 - 1], i1);
      }
    }
  }
  return F;
}

}  // namespace

extern "C" {

// The working containers of the functions below may fail to allocate; the
// failure ends at this boundary as a null result (or no incidence).

dd_SetFamilyPtr dd_CopyAdjacency(dd_PolyhedraPtr poly)
{
  if (!result_available(poly)) return nullptr;
  try {
    return copy_adjacency(poly).release();
  } catch (...) {
    return nullptr;
  }
}

void dd_ComputeAinc(dd_PolyhedraPtr poly)
{
  if (poly == nullptr || poly->AincGenerated || !result_available(poly))
    return;
  try {
    compute_ainc(poly);
  } catch (...) {
    release_ainc(poly);
    poly->AincGenerated = dd_FALSE;
  }
}

dd_boolean dd_InputAdjacentQ(dd_PolyhedraPtr poly, dd_rowrange i1,
                             dd_rowrange i2)
{
  if (poly == nullptr) return dd_FALSE;
  dd_ComputeAinc(poly);
  if (!poly->AincGenerated) return dd_FALSE;
  if (i1 < 1 || i1 > poly->m1 || i2 < 1 || i2 > poly->m1) return dd_FALSE;
  if (set_member(i1, poly->Ared) || set_member(i2, poly->Ared))
    return dd_FALSE;
  if (set_member(i1, poly->Adom) || set_member(i2, poly->Adom))
    return dd_TRUE;
  const zonix::Set common_set = zonix::make_set(poly->n);
  set_type common = common_set.get();
  set_int(common, poly->Ainc[i1 - 1], poly->Ainc[i2 - 1]);
  for (dd_rowrange i = 1; i <= poly->m1; ++i) {
    if (i == i1 || i == i2 || set_member(i, poly->Ared) ||
        set_member(i, poly->Adom))
      continue;
    if (set_subset(common, poly->Ainc[i - 1])) return dd_FALSE;
  }
  return dd_TRUE;
}

dd_SetFamilyPtr dd_CopyIncidence(dd_PolyhedraPtr poly)
{
  if (!result_available(poly)) return nullptr;
  dd_ComputeAinc(poly);
  if (!poly->AincGenerated) return nullptr;
  const dd_bigrange n = poly->n;
  dd_SetFamilyPtr F = dd_CreateSetFamily(n, poly->m1);
  for (dd_rowrange i = 1; i <= poly->m1; ++i)
    for_each_member(poly->Ainc[i - 1], [&](long k) {
      if (k <= n) set_addelem(F->set[k - 1], i);
    });
  return F;
}

dd_SetFamilyPtr dd_CopyInputIncidence(dd_PolyhedraPtr poly)
{
  if (!result_available(poly)) return nullptr;
  dd_ComputeAinc(poly);
  if (!poly->AincGenerated) return nullptr;
  dd_SetFamilyPtr F = dd_CreateSetFamily(poly->m1, poly->n);
  for (dd_rowrange i = 0; i < poly->m1; ++i)
    set_copy(F->set[i], poly->Ainc[i]);
  return F;
}

dd_SetFamilyPtr dd_CopyInputAdjacency(dd_PolyhedraPtr poly)
{
  if (!result_available(poly)) return nullptr;
  dd_ComputeAinc(poly);
  if (!poly->AincGenerated) return nullptr;
  try {
    return copy_input_adjacency(poly).release();
  } catch (...) {
    return nullptr;
  }
}

}  // extern "C"
