// The doors into the exact build of the library: plain rational data in,
// plain rational data out, the library's own functions in between.
#ifndef ZONIX_EXACT
#error "this file belongs to the exact build only"
#endif

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <new>

#include "zonixhandles.hpp"
#include "zonixlp_handles.hpp"
#include "zonixexact.hpp"
#include "zonixproj.h"

namespace {

using zonix::ExactConvert;
using zonix::ExactEliminate;
using zonix::ExactLP;
using zonix::ExactRowQuery;
using zonix::ExactRows;
using zonix::ExactResult;
using zonix::QFamily;
using zonix::QMatrix;
using zonix::Matrix;
using zonix::Polyhedra;
using zonix::SetFamily;
using zonix::Set;
using zonix::LP;

dd_MatrixPtr to_record(const QMatrix &q)
{
  dd_MatrixPtr M = dd_CreateMatrix(q.rows, q.cols);
  if (M == nullptr) return nullptr;
  M->representation = q.representation;
  M->numbtype = dd_Rational;
  for (long i = 0; i < q.rows; ++i)
    for (long j = 0; j < q.cols; ++j) ddd_set_q(M->matrix[i][j], q.at(i, j).get_mpq_t());
  for (long r : q.linearity) set_addelem(M->linset, r);
  M->objective = q.objective;
  if (!q.rowvec.empty())
    for (long j = 0; j < q.cols; ++j) ddd_set_q(M->rowvec[j], q.rowvec[static_cast<size_t>(j)].get_mpq_t());
  return M;
}

// to := a, whose GMP storage it takes when it has some; a is left 0.
void take(mpq_class &to, mytype a)
{
  if (ddd_big(a))
    mpq_swap(to.get_mpq_t(), ddd_bigq(a));
  else if (a->v != 0)
    to = static_cast<long>(a->v);
  ddd_set_zero(a);
}

// M's sizes, representation and linearity, without entries.
QMatrix head_of(dd_MatrixPtr M)
{
  QMatrix q;
  q.rows = M->rowsize;
  q.cols = M->colsize;
  q.representation = M->representation;
  for (long i = 1; i <= q.rows; ++i)
    if (set_member(i, M->linset)) q.linearity.push_back(i);
  return q;
}

// The content of M, whose numbers it takes: M's entries are left 0.
QMatrix from_record(dd_MatrixPtr M)
{
  QMatrix q = head_of(M);
  q.entries.resize(static_cast<size_t>(q.rows * q.cols));
  for (long i = 0; i < q.rows; ++i)
    for (long j = 0; j < q.cols; ++j)
      take(q.at(i, j), M->matrix[i][j]);
  return q;
}

// M's rows into v as 64-bit integers, each row times the lcm of its
// denominators; false when M has lines or an entry reaches 2^62.
bool integer_rows(dd_MatrixPtr M, std::vector<std::int64_t> &v)
{
  if (set_card(M->linset) != 0) return false;
  const long d = M->colsize;
  v.resize(static_cast<size_t>(M->rowsize * d));
  mpz_class l, e;
  for (long i = 0; i < M->rowsize; ++i) {
    std::int64_t *r = v.data() + i * d;
    bool small = true;
    for (long j = 0; j < d && small; ++j) {
      small = !ddd_big(M->matrix[i][j]);
      r[j] = M->matrix[i][j]->v;
    }
    if (small) {
      if (std::any_of(r, r + d, [](std::int64_t x) { return x >= (std::int64_t{1} << 62) || x <= -(std::int64_t{1} << 62); }))
        return false;
      continue;
    }
    l = 1;
    for (long j = 0; j < d; ++j)
      if (ddd_big(M->matrix[i][j])) mpz_lcm(l.get_mpz_t(), l.get_mpz_t(), mpq_denref(ddd_bigq(M->matrix[i][j])));
    for (long j = 0; j < d; ++j) {
      const mytype &x = M->matrix[i][j];
      if (ddd_big(x))
        mpz_divexact(e.get_mpz_t(), l.get_mpz_t(), mpq_denref(ddd_bigq(x))), e *= mpz_class(mpq_numref(ddd_bigq(x)));
      else
        e = l * static_cast<long>(x->v);
      if (mpz_sizeinbase(e.get_mpz_t(), 2) > 61) return false;
      r[j] = e.get_si();
    }
  }
  return true;
}

// M's rows as text, " x" per number: inline integers straight from 64
// bits, the rest by GMP.
std::string rows_text(dd_MatrixPtr M)
{
  std::string out;
  char buf[24];  // an int64 with its sign
  for (long i = 0; i < M->rowsize; ++i) {
    for (long j = 0; j < M->colsize; ++j) {
      const mytype &x = M->matrix[i][j];
      out += ' ';
      if (!ddd_big(x)) {
        out.append(buf, std::to_chars(buf, buf + sizeof buf, x->v).ptr);
        continue;
      }
      mpq_srcptr q = ddd_bigq(x);
      const size_t at = out.size();
      out.resize(at + mpz_sizeinbase(mpq_numref(q), 10) + mpz_sizeinbase(mpq_denref(q), 10) + 3);
      mpq_get_str(&out[at], 10, q);
      out.resize(at + std::strlen(&out[at]));
    }
    out += '\n';
  }
  return out;
}

std::vector<long> members(set_type s)
{
  std::vector<long> out;
  if (s == nullptr) return out;
  // Word by word: adjacency sets are sparse over thousands of rays.
  const long words = set_blocks(set_groundsize(s));
  for (long w = 1; w < words; ++w)
    for (uint32_t b = s[w]; b != 0; b &= b - 1)
      out.push_back((w - 1) * set_word_bits + std::countr_zero(b) + 1);
  return out;
}

QFamily from_family(dd_SetFamilyPtr F)
{
  QFamily out;
  if (F == nullptr) return out;
  for (long k = 0; k < F->famsize; ++k) out.push_back(members(F->set[k]));
  return out;
}

void convert(const ExactConvert &rq, const QMatrix &in, ExactResult &res)
{
  const Matrix M(to_record(in));
  if (M.get() == nullptr) {
    res.error = dd_OutOfMemory;
    return;
  }
  if (rq.spent == &in) std::vector<mpq_class>().swap(rq.spent->entries);
  // The record is only the way in: its numbers move into the run.
  Polyhedra poly(zonix::matrix_to_poly_taking(M.get(), rq.order, rq.seed, rq.threads, &res.error));
  if (res.error != dd_NoError) return;
  if (poly.get() == nullptr) {
    res.error = dd_OutOfMemory;
    return;
  }
  auto family = [&](bool want, dd_SetFamilyPtr (*copy)(dd_PolyhedraPtr), QFamily &to) {
    if (!want) return;
    const SetFamily f(copy(poly.get()));
    to = from_family(f.get());
  };
  // Text: written from the run, no fractions made.
  res.output.cols = in.cols;
  res.output.representation = in.representation == dd_Generator ? dd_Inequality : dd_Generator;
  bool sink_open = true;
  const std::function<bool(std::string &)> flush = [&](std::string &t) {
    sink_open = sink_open && rq.text_sink(res.output, t);
    t.clear();
    return sink_open;
  };
  if (rq.text && zonix::output_text(poly.get(), res.text, &res.output.rows, res.output.linearity,
                                    rq.text_sink ? &flush : nullptr)) {
    family(rq.adjacency, dd_CopyAdjacency, res.adjacency);
    family(rq.incidence, dd_CopyIncidence, res.incidence);
    family(rq.input_adjacency, dd_CopyInputAdjacency, res.input_adjacency);
    family(rq.input_incidence, dd_CopyInputIncidence, res.input_incidence);
    return;
  }
  // Integers wanted: straight from the rays, no fractions made on the way.
  if (!rq.text && rq.integers && zonix::output_integers(poly.get(), res.integers, &res.output.rows)) {
    res.as_integers = true;
    res.output.linearity.clear();
    family(rq.adjacency, dd_CopyAdjacency, res.adjacency);
    family(rq.incidence, dd_CopyIncidence, res.incidence);
    family(rq.input_adjacency, dd_CopyInputAdjacency, res.input_adjacency);
    family(rq.input_incidence, dd_CopyInputIncidence, res.input_incidence);
    return;
  }
  const Matrix out(in.representation == dd_Generator ? dd_CopyInequalities(poly.get())
                                                     : dd_CopyGenerators(poly.get()));
  if (out.get() == nullptr) {
    res.error = dd_NumericallyInconsistent;
    return;
  }
  family(rq.adjacency, dd_CopyAdjacency, res.adjacency);
  family(rq.incidence, dd_CopyIncidence, res.incidence);
  family(rq.input_adjacency, dd_CopyInputAdjacency, res.input_adjacency);
  family(rq.input_incidence, dd_CopyInputIncidence, res.input_incidence);
  // The run's records go before the result is laid out again.
  poly.reset();
  if (rq.text) {
    res.output = head_of(out.get());
    res.text = rows_text(out.get());
  } else if (rq.integers && integer_rows(out.get(), res.integers)) {
    res.output = head_of(out.get());
    res.as_integers = true;
  } else {
    std::vector<std::int64_t>().swap(res.integers);
    res.output = from_record(out.get());
  }
}

void row_query(const ExactRows &rq, const QMatrix &in, ExactResult &res)
{
  const Matrix M(to_record(in));
  if (M.get() == nullptr) {
    res.error = dd_OutOfMemory;
    return;
  }
  Set rows;
  switch (rq.query) {
    case ExactRowQuery::Redundant: rows.reset(dd_RedundantRowsWith(M.get(), static_cast<dd_RedundancyMethod>(rq.redundancy), &res.error)); break;
    case ExactRowQuery::StronglyRedundant: rows.reset(dd_SRedundantRows(M.get(), &res.error)); break;
    case ExactRowQuery::ImplicitLinearity: rows.reset(dd_ImplicitLinearityRows(M.get(), &res.error)); break;
  }
  if (res.error == dd_NoError) res.rows = members(rows.get());
}

void solve_lp(const ExactLP &rq, const QMatrix &in, ExactResult &res)
{
  const Matrix M(to_record(in));
  if (M.get() == nullptr) {
    res.error = dd_OutOfMemory;
    return;
  }
  const LP lp(dd_Matrix2LP(M.get(), &res.error));
  if (res.error != dd_NoError) return;
  const LP interior(rq.interior && lp.get() != nullptr ? dd_MakeLPforInteriorFinding(lp.get())
                                                       : nullptr);
  dd_LPPtr solved = rq.interior ? interior.get() : lp.get();
  if (solved == nullptr) {
    res.error = dd_OutOfMemory;
    return;
  }
  dd_LPSolve(solved, rq.solver, &res.error);
  if (res.error != dd_NoError) return;
  res.status = solved->LPS;
  ddd_get_q(res.optvalue.get_mpq_t(), solved->optvalue);
  res.sol.resize(static_cast<size_t>(solved->d));
  res.dsol.resize(static_cast<size_t>(solved->d));
  for (long j = 0; j < solved->d; ++j) {
    ddd_get_q(res.sol[static_cast<size_t>(j)].get_mpq_t(), solved->sol[j]);
    ddd_get_q(res.dsol[static_cast<size_t>(j)].get_mpq_t(), solved->dsol[j]);
  }
  for (long j = 0; j <= solved->d; ++j) res.nbindex.push_back(solved->nbindex[j]);
  res.re = solved->re;
  res.se = solved->se;
}

void row_adjacency(const QMatrix &in, ExactResult &res)
{
  const Matrix M(to_record(in));
  if (M.get() == nullptr) {
    res.error = dd_OutOfMemory;
    return;
  }
  const SetFamily F(dd_Matrix2Adjacency(M.get(), &res.error));
  if (res.error == dd_NoError) res.adjacency = from_family(F.get());
}

void eliminate(const ExactEliminate &rq, const QMatrix &in, ExactResult &res)
{
  const Matrix M(to_record(in));
  if (M.get() == nullptr) {
    res.error = dd_OutOfMemory;
    return;
  }
  const std::vector<dd_colrange> del(rq.columns.begin(), rq.columns.end());
  using zonix::proj::Method;
  const Method method = rq.projection >= 0 ? static_cast<Method>(rq.projection)
                        : rq.fourier       ? Method::Fourier
                                           : Method::Block;
  const Matrix R(zonix::proj::project_h(M.get(), del, method, true, rq.reduce, &res.error));
  if (res.error == dd_NoError) res.output = from_record(R.get());
}

// Runs job on *input into *result: the one place where the exact build's
// exceptions stop.
template <class Job>
void at_door(const QMatrix *input, ExactResult *result, Job job)
{
  if (result == nullptr) return;
  ExactResult &res = *result;
  res = ExactResult{};
  if (input == nullptr) {
    res.error = dd_ImproperInputFormat;
    return;
  }
  try {
    dd_set_global_constants();
    job(*input, res);
  } catch (const std::bad_alloc &) {
    res = ExactResult{};
    res.error = dd_OutOfMemory;
  } catch (...) {
    // Nothing in the exact build throws on purpose but for memory: any
    // other exception is a fault of the library, not of the arithmetic.
    res = ExactResult{};
    res.error = dd_InternalError;
  }
}

}  // namespace

extern "C" {

void zonix_exact_convert(const ExactConvert *request, ExactResult *result)
{
  at_door(request != nullptr ? request->input : nullptr, result,
          [&](const QMatrix &in, ExactResult &res) { convert(*request, in, res); });
}

void zonix_exact_rows(const ExactRows *request, ExactResult *result)
{
  at_door(request != nullptr ? request->input : nullptr, result,
          [&](const QMatrix &in, ExactResult &res) { row_query(*request, in, res); });
}

void zonix_exact_lp(const ExactLP *request, ExactResult *result)
{
  at_door(request != nullptr ? request->input : nullptr, result,
          [&](const QMatrix &in, ExactResult &res) { solve_lp(*request, in, res); });
}

void zonix_exact_adjacency(const QMatrix *input, ExactResult *result)
{
  at_door(input, result, row_adjacency);
}

void zonix_exact_eliminate(const ExactEliminate *request, ExactResult *result)
{
  at_door(request != nullptr ? request->input : nullptr, result,
          [&](const QMatrix &in, ExactResult &res) { eliminate(*request, in, res); });
}

}  // extern "C"
