// The plain-text representation format: the reader with its command lines
// and number words, and the writers for matrices, set families, incidence
// and adjacency.
//
// The reader takes one word or one line at a time from the stream into
// growing strings (lines of commands into bounded ones), so no input
// (overlong words or lines, binary data, NUL bytes) can overrun anything;
// it allocates the matrix only once the whole body has been read, so a
// size line cannot make it allocate more than the file backs.  It refuses whatever it cannot read with certainty, and says
// on which line and why.  Each number word is scanned once; for C++ callers
// the numbers of an integer or rational file that no double holds are kept
// exact beside the doubles.
#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "zonixcore.h"
#include "zonixdd.h"
#include "zonixgcd.hpp"
#include "zonixio.h"
#include "zonixio_file.hpp"

using zonix::ExactList;

namespace {

// Characters kept of one linearity line: room for the indices of millions
// of rows.
constexpr std::size_t kLineMax = std::size_t{64} << 20;
// Characters of a word quoted in a message; the rest is elided.
constexpr std::size_t kQuoteMax = 24;
// Bounds of the size line.  The numbers of the body are read before the
// matrix is allocated, so a file must hold m*d numbers before m*d entries
// are allocated; kMaxEntries only keeps the product meaningful.  A matrix
// without rows allocates max(m,1)*d entries all the same, which no number
// in the file backs: kMaxEmptyExtent bounds that.
constexpr long kMaxEntries = 1L << 31;
constexpr long kMaxEmptyExtent = 1L << 20;
// Whole numbers up to 2^53 in magnitude are doubles exactly.
constexpr std::uint64_t kExactInDouble = std::uint64_t{1} << 53;

bool is_space(int c)
{
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' ||
         c == '\f';
}

// The stream with the number of the line being read.  The reader is the
// stream's only user while it reads, so characters come unlocked, and the
// one character read too far waits here rather than back in the stream
// until the reading ends.
struct Source {
  FILE *f;
  long line = 1;
  bool line_start = true;
  int pending = EOF;
  ~Source()
  {
    if (pending != EOF) std::ungetc(pending, f);
  }
  int get()
  {
    int c = pending;
    if (c != EOF)
      pending = EOF;
    else
      c = getc_unlocked(f);
    if (c != EOF) line_start = c == '\n';
    if (c == '\n') ++line;
    return c;
  }
  void unget(int c)
  {
    if (c == EOF) return;
    pending = c;
    if (c == '\n') --line;
  }
  // The last line of the file, once it has been read to its end.
  long last_line() const { return line_start && line > 1 ? line - 1 : line; }
};

// A word is kept whole, however long: numbers of any size are read
// exactly, and memory is their only bound.
struct Word {
  std::string text;
  long line = 0;
};

// Reads the next whitespace-separated word; false at end of file before
// any character.  The character ending the word is pushed back, so that
// the caller can still see the end of its line.
bool read_word(Source &s, Word &w)
{
  w.text.clear();
  int c;
  do {
    c = s.get();
  } while (c != EOF && is_space(c));
  w.line = c == EOF ? s.last_line() : s.line;
  if (c == EOF) return false;
  while (c != EOF && !is_space(c)) {
    w.text.push_back(static_cast<char>(c));
    c = s.get();
  }
  s.unget(c);
  return true;
}

// The rest of the current line (its newline consumed, not stored), at most
// cap characters kept.
void read_rest_of_line(Source &s, std::string &line, std::size_t cap)
{
  line.clear();
  int c;
  while ((c = s.get()) != EOF && c != '\n')
    if (line.size() < cap) line.push_back(static_cast<char>(c));
}

// A word as messages quote it: printable, and short.
std::string quoted(std::string_view w)
{
  std::string q = "'";
  for (char c : w.substr(0, kQuoteMax))
    q.push_back(c >= ' ' && c < 127 ? c : '?');
  if (w.size() > kQuoteMax) q += "...";
  return q + "'";
}

// Prefix comparison over the keyword's length, as the format's keywords
// are matched ("begin" and "end", which frame the numbers, excepted).
bool begins_with(std::string_view word, std::string_view key)
{
  return word.size() >= key.size() && word.compare(0, key.size(), key) == 0;
}

bool is_linearity_keyword(std::string_view w)
{
  return begins_with(w, "partial_enum") || begins_with(w, "equality") ||
         begins_with(w, "linearity");
}

// A whole word as a decimal integer (optional sign, digits, nothing else).
bool parse_long(std::string_view s, long *out)
{
  std::size_t i = s.size() > 0 && (s[0] == '+' || s[0] == '-') ? 1 : 0;
  if (i == s.size() || s.size() > 20) return false;
  for (std::size_t k = i; k < s.size(); ++k)
    if (s[k] < '0' || s[k] > '9') return false;
  const std::string buf(s);
  errno = 0;
  const long v = std::strtol(buf.c_str(), nullptr, 10);
  if (errno != 0) return false;
  *out = v;
  return true;
}

// One decimal in a number word: [sign] digits [. digits] [e [sign] digits].
struct Decimal {
  std::size_t end = 0;       // where it stops in the word
  bool plain = false;        // sign and digits only
  bool fits = false;         // plain, and its magnitude is `magnitude`
  bool negative = false;
  std::uint64_t magnitude = 0;
};

// Scans a decimal from pos; false when none starts there.
bool scan_decimal(std::string_view s, std::size_t pos, Decimal *d)
{
  std::size_t i = pos, digits = 0;
  d->negative = i < s.size() && s[i] == '-';
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::uint64_t v = 0;
  bool fits = true;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++digits)
    fits = fits && !__builtin_mul_overflow(v, 10U, &v) &&
           !__builtin_add_overflow(v, static_cast<std::uint64_t>(s[i] - '0'), &v);
  d->plain = true;
  if (i < s.size() && s[i] == '.') {
    d->plain = false;
    for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    d->plain = false;
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t e = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) ++e;
    if (e == 0) return false;
  }
  d->end = i;
  d->fits = d->plain && fits;
  d->magnitude = v;
  return true;
}

// The double nearest the decimal at s[pos..d.end), as strtod rounds it.
double decimal_value(std::string_view s, std::size_t pos, const Decimal &d)
{
  if (d.fits) {
    // Integer to double conversion rounds to nearest as strtod does.
    const double v = static_cast<double>(d.magnitude);
    return d.negative ? -v : v;
  }
  // The word is NUL-terminated, and the scan has checked everything
  // strtod will read: it stops where the decimal does.
  return std::strtod(s.data() + pos, nullptr);
}

// Where a number word's value lies against the doubles: a nonzero value
// nearer 0 than any double is Under, one beyond the largest is Over.
enum class Range { Fits, Over, Under };

// A number word read: its double (the nearest one, where it has one),
// whether it is a whole number (digits only, of any size), whether the
// double is known to be its exact value without further work, and its
// range.
struct Number {
  double value = 0.0;
  bool whole = false;
  bool in_double = false;
  bool negative = false;
  Range range = Range::Fits;
};

// Whether the digits of the decimal s[from..to) (its exponent aside) are
// not all 0.
bool nonzero_digits(std::string_view s, std::size_t from, std::size_t to)
{
  for (std::size_t i = from; i < to && s[i] != 'e' && s[i] != 'E'; ++i)
    if (s[i] >= '1' && s[i] <= '9') return true;
  return false;
}

Range range_of(double v, bool nonzero)
{
  if (!std::isfinite(v)) return Range::Over;
  return v == 0.0 && nonzero ? Range::Under : Range::Fits;
}

bool exact_decimal(std::string_view s, mpq_class *out);

// The double nearest q (ties to even): mpq_get_d truncates, so the answer
// is that or its neighbour away from 0.
double nearest(const mpq_class &q)
{
  const double t = mpq_get_d(q.get_mpq_t());
  if (!std::isfinite(t)) return t;
  const double away = std::nextafter(t, sgn(q) >= 0 ? HUGE_VAL : -HUGE_VAL);
  if (!std::isfinite(away)) {
    // Beyond the largest double by more than half its last unit: no double.
    const mpq_class top = mpq_class(t) + (mpq_class(t) - mpq_class(std::nextafter(t, 0.0))) / 2;
    return abs(q) >= abs(top) ? away : t;
  }
  const mpq_class dt = abs(q - mpq_class(t)), da = abs(mpq_class(away) - q);
  if (da != dt) return da < dt ? away : t;
  int e = 0;
  const double m = std::frexp(away, &e);
  return std::fmod(std::ldexp(m, 53), 2.0) == 0.0 ? away : t;
}

// A number word: "[sign]p" or "[sign]p/q" with decimal p and q, q nonzero.
// Decimal digits of p and q are kept (1.5 is one and a half).  A value
// beyond the doubles is no failure here: its range says so.  s must be
// NUL-terminated after its end.
bool scan_number(std::string_view s, Number *out)
{
  Decimal p;
  if (!scan_decimal(s, 0, &p)) return false;
  const double pv = decimal_value(s, 0, p);
  const bool p_nonzero = nonzero_digits(s, 0, p.end);
  if (p.end == s.size()) {
    out->whole = p.plain;
    out->in_double = p.fits && p.magnitude <= kExactInDouble;
    out->negative = p.negative;
    out->value = pv;
    out->range = range_of(pv, p_nonzero);
    return true;
  }
  if (s[p.end] != '/') return false;
  Decimal q;
  if (!scan_decimal(s, p.end + 1, &q) || q.end != s.size()) return false;
  if (!nonzero_digits(s, p.end + 1, q.end)) return false;  // a zero denominator
  out->whole = false;
  out->in_double = false;
  out->negative = p.negative != q.negative && p_nonzero;
  const double qv = decimal_value(s, p.end + 1, q);
  const double v = pv / qv;
  if (!p_nonzero || (std::isfinite(pv) && pv != 0.0 && std::isfinite(qv) && qv != 0.0 &&
                     std::isfinite(v) && std::fabs(v) >= DBL_MIN)) {
    out->value = p_nonzero ? v : 0.0;
    out->range = Range::Fits;
    return true;
  }
  // A part or the quotient beyond the normal doubles: the quotient of the
  // exact parts, when their exponents allow reading them.
  mpq_class a, b;
  if (exact_decimal(s.substr(0, p.end), &a) && exact_decimal(s.substr(p.end + 1), &b)) {
    out->value = nearest(a / b);
  } else {
    out->value = v;
  }
  out->range = std::isnan(out->value) ? Range::Over : range_of(out->value, true);
  return true;
}

// Why a value beyond the doubles cannot be read as one.
std::string range_problem(const Word &w, Range r)
{
  return quoted(w.text) + (r == Range::Over ? " is too large for a double"
                                            : " is too small for a double: it would read as 0");
}

// Whether w is a number of a file of type t; *why says why not.
bool read_number(const Word &w, dd_NumberType t, Number *n, std::string *why)
{
  if (!scan_number(w.text, n)) {
    *why = quoted(w.text) + " is not a number";
    return false;
  }
  if (t == dd_Integer && !n->whole) {
    *why = w.text + " in an integer file";
    return false;
  }
  return true;
}

// The decimal exponents an exact reading takes: every double written out
// in full (2^-1074 has 1074 decimals) stays within them, and 10^1100 is a
// number of 460 bytes, so a short word cannot make a large number.
constexpr long kMaxExactExponent = 1100;

// A decimal (as scan_decimal accepts it) as an exact rational; false when
// its exponent is beyond kMaxExactExponent.
bool exact_decimal(std::string_view s, mpq_class *out)
{
  std::size_t i = 0;
  const bool negative = s[0] == '-';
  if (s[0] == '+' || s[0] == '-') ++i;
  std::string digits;
  long scale = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) digits.push_back(s[i]);
  if (i < s.size() && s[i] == '.')
    for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, --scale) digits.push_back(s[i]);
  if (i < s.size()) {
    ++i;  // the exponent's e
    const bool down = s[i] == '-';
    if (s[i] == '+' || s[i] == '-') ++i;
    long e = 0;
    for (; i < s.size(); ++i) e = std::min(e * 10 + (s[i] - '0'), 2 * kMaxExactExponent);
    scale += down ? -e : e;
  }
  if (scale > kMaxExactExponent || scale < -kMaxExactExponent) return false;
  mpz_class power;
  mpz_ui_pow_ui(power.get_mpz_t(), 10, static_cast<unsigned long>(scale < 0 ? -scale : scale));
  const mpz_class n(digits, 10);
  *out = scale < 0 ? mpq_class(n, power) : mpq_class(n * power);
  out->canonicalize();
  if (negative) *out = -*out;
  return true;
}

struct Inexact {
  ExactList body, objective;
  // False: the words are only checked for being readable exactly, as a
  // run in double does not use the exact values.
  bool keep = true;
  // False: a number beyond the doubles is refused, for a run in double.
  bool beyond = true;
};

// A plain integer of at most 18 digits (a sign allowed): most words of an
// integer or rational file, read without GMP's parsing.
bool small_integer(std::string_view s, long *out)
{
  if (s.empty() || s.size() > 19) return false;
  const char *b = s.data();
  const char *e = b + s.size();
  if (*b == '+') ++b;
  const auto r = std::from_chars(b, e, *out);
  return r.ec == std::errc() && r.ptr == e && b != e;
}

// Whether num / den (den nonzero, both at most 2^53 in magnitude, so
// doubles hold them) is the double x: x * den is exact in an fma's
// remainder, and far from underflow for such num and den.
bool is_quotient(double x, long num, long den)
{
  const double dd = static_cast<double>(den);
  const double p = x * dd;
  return p == static_cast<double>(num) && std::fma(x, dd, -p) == 0.0;
}

// Notes the exact value of the number word w, read as n, at position k of
// *to when n's double is not that value (without keep, only checks it);
// false with *why when the value is beyond an exact reading.
bool note_exact(const Word &w, const Number &n, long k, ExactList *to, std::string *why, bool keep)
{
  if (n.in_double) return true;
  const std::string_view s = w.text;
  const auto slash = s.find('/');
  if (long num = 0, dn = 1;
      small_integer(s.substr(0, slash), &num) &&
      (slash == std::string_view::npos || small_integer(s.substr(slash + 1), &dn)) && dn != 0 &&
      num != LONG_MIN && dn != LONG_MIN) {
    if (!keep) return true;
    constexpr long kHeld = 1L << 53;
    const bool held = num >= -kHeld && num <= kHeld && dn >= -kHeld && dn <= kHeld
                          ? is_quotient(n.value, num, dn)
                          : cmp(mpq_class(num) / mpq_class(dn), mpq_class(n.value)) == 0;
    if (held) return true;
    if (dn < 0) {
      num = -num;
      dn = -dn;
    }
    const std::uint64_t g = zonix::binary_gcd(zonix::magnitude(num), static_cast<std::uint64_t>(dn));
    to->small.push_back({k, num / static_cast<long>(g), static_cast<std::uint64_t>(dn) / g});
    return true;
  }
  mpq_class q, den;
  if (!exact_decimal(s.substr(0, slash), &q) ||
      (slash != std::string_view::npos && !exact_decimal(s.substr(slash + 1), &den))) {
    *why = quoted(w.text) + " has an exponent too large to read exactly";
    return false;
  }
  if (!keep) return true;
  if (slash != std::string_view::npos) q /= den;
  if (cmp(q, mpq_class(n.value)) != 0) to->big.emplace_back(k, std::move(q));
  return true;
}

// Reads the number word w, at position k of a list (the body or the
// objective), into *v, and notes its exact value in *to where inexact asks
// for it and the double is not that value.  A value beyond the doubles is
// read only so, exactly, with the finite double of its sign nearest it
// standing in; a run in double refuses it.
bool take_number(const Word &w, dd_NumberType t, long k, Inexact *inexact, ExactList Inexact::*list,
                 Number *v, std::string *why)
{
  if (!read_number(w, t, v, why)) return false;
  if (inexact == nullptr) {
    if (v->range == Range::Fits) return true;
    *why = range_problem(w, v->range);
    return false;
  }
  ExactList *to = &(inexact->*list);
  const bool exact_file = t != dd_Real;
  if (v->range != Range::Fits) {
    if (!inexact->keep || !inexact->beyond) {
      // Checked as an exact run checks it first, so either says the same.
      if (exact_file && !note_exact(w, *v, k, to, why, false)) return false;
      *why = range_problem(w, v->range);
      return false;
    }
    const double stand_in = v->range == Range::Over ? DBL_MAX : std::numeric_limits<double>::denorm_min();
    v->value = v->negative ? -stand_in : stand_in;
    v->in_double = false;
    return note_exact(w, *v, k, to, why, true);
  }
  return !exact_file || note_exact(w, *v, k, to, why, inexact->keep);
}

// Where reading stopped and why; line 0 until a problem is found.
struct Problem {
  long line = 0;
  std::string why;
  // "line N: why", or "" without an error.
  std::string text(dd_ErrorType e) const
  {
    return e == dd_NoError ? std::string() : "line " + std::to_string(line) + ": " + why;
  }
  bool set(long at, std::string text)
  {
    if (line == 0) {
      line = at;
      why = std::move(text);
    }
    return false;
  }
};

// The linearity line "k i1 ... ik" (blanks or commas between): the rows it
// names, 1..m, each once.  False with the problem otherwise; the rows that
// were valid are in *rows all the same.
bool parse_linearity(std::string_view text, long m, long line,
                     std::vector<long> *rows, Problem *p)
{
  std::size_t pos = 0;
  auto next_token = [&](std::string_view *tok) {
    constexpr std::string_view seps = " ,\t\n\r\v\f";
    pos = text.find_first_not_of(seps, pos);
    if (pos == std::string_view::npos) return false;
    const std::size_t end = std::min(text.find_first_of(seps, pos), text.size());
    *tok = text.substr(pos, end - pos);
    pos = end;
    return true;
  };
  std::string_view tok;
  long k = 0;
  if (!next_token(&tok)) return p->set(line, "linearity without a count");
  if (!parse_long(tok, &k) || k < 0)
    return p->set(line, "linearity count " + quoted(tok) + " is not a count");
  bool ok = true;
  long i = 0;
  for (; i < k && next_token(&tok); ++i) {
    long row = 0;
    if (!parse_long(tok, &row))
      ok = p->set(line, "linearity index " + quoted(tok) + " is not a row number");
    else if (row < 1 || row > m)
      ok = p->set(line, "linearity index " + std::to_string(row) + " is not a row (1.." +
                            std::to_string(m) + ")");
    else if (std::find(rows->begin(), rows->end(), row) != rows->end())
      ok = p->set(line, "linearity index " + std::to_string(row) + " given twice");
    else
      rows->push_back(row);
  }
  if (i < k)
    return p->set(line, "linearity count " + std::to_string(k) + " but " +
                            std::to_string(i) + " indices");
  if (next_token(&tok))
    return p->set(line, "linearity line goes on after its " + std::to_string(k) +
                            " indices: " + quoted(tok));
  return ok;
}

void trace_number(const char *label, long a, long b, bool two,
                  const mytype x)
{
  if (two)
    dd_Printf(stderr, label, a, b);
  else
    dd_Printf(stderr, label, a);
  dd_WriteNumber(stderr, x);
  dd_Printf(stderr, "\n");
}

// Applies the linearity line text (read on line) to M.
bool apply_linearity(dd_MatrixPtr M, std::string_view text, long line,
                     Problem *p)
{
  std::vector<long> rows;
  const bool ok = parse_linearity(text, M->rowsize, line, &rows, p);
  for (long r : rows) set_addelem(M->linset, r);
  return ok;
}

// Nothing but blanks up to the end of the line, which is consumed.
bool line_ends(Source &s, const char *after, Problem *p)
{
  int c;
  while ((c = s.get()) != EOF && c != '\n') {
    if (is_space(c)) continue;
    s.unget(c);
    Word w;
    read_word(s, w);
    return p->set(w.line, quoted(w.text) + " after " + after);
  }
  return true;
}

// One trailer command, its line read to the end; false with the problem
// for a command that is not one or whose arguments do not read.
bool process_command(Source &s, dd_MatrixPtr M, const Word &word, Problem *p,
                     Inexact *inexact = nullptr)
{
  const std::string_view w = word.text;
  if (begins_with(w, "*")) {
    // A comment line, as the run reports write after "end".
    std::string rest;
    read_rest_of_line(s, rest, 0);
    return true;
  }
  if (w == "hull") {
    M->representation = dd_Generator;
  } else if (w == "debug") {
    dd_debug = dd_TRUE;
  } else if (is_linearity_keyword(w)) {
    std::string line;
    read_rest_of_line(s, line, kLineMax);
    return apply_linearity(M, line, word.line, p);
  } else if (w == "maximize" || w == "minimize") {
    M->objective = w == "maximize" ? dd_LPmax : dd_LPmin;
    if (inexact != nullptr) inexact->objective.clear();
    for (dd_colrange j = 0; j < M->colsize; ++j) {
      Word n;
      Number v;
      std::string why;
      if (!read_word(s, n))
        return p->set(n.line, "the file ends after " + std::to_string(j) + " of the " +
                                  std::to_string(M->colsize) + " numbers of " + word.text);
      if (!take_number(n, M->numbtype, j, inexact, &Inexact::objective, &v, &why))
        return p->set(n.line, why);
      ddd_set_d(M->rowvec[j], v.value);
      if (dd_debug) trace_number("cost(%5ld) =", j + 1, 0, false, M->rowvec[j]);
    }
  } else {
    return p->set(word.line, "unknown command " + quoted(w) + " after end");
  }
  return line_ends(s, word.text.c_str(), p);
}

// Why m x d is no size to read, or "".
std::string size_problem(long m, long d)
{
  if (m < 0 || d < 0) return "negative size " + std::to_string(m) + " x " + std::to_string(d);
  if (d < 1) return "no columns: the first column holds b, or 1 for a point and 0 for a ray";
  long entries = 0;
  if (__builtin_mul_overflow(m, d, &entries) || entries > kMaxEntries ||
      (m == 0 && d > kMaxEmptyExtent))
    return "size " + std::to_string(m) + " x " + std::to_string(d) + " is too large";
  return {};
}

// The reader; *p names the problem when the result is an error.  With
// inexact, the numbers of an integer or rational file that their doubles
// do not hold are noted there too.
dd_MatrixPtr read_matrix(FILE *f, dd_ErrorType *Error, Problem *p, Inexact *inexact = nullptr)
{
  *Error = dd_ImproperInputFormat;
  Source s{f};
  // Preamble.
  dd_RepresentationType rep = dd_Inequality;
  bool has_linearity = false;
  long linearity_at = 0;
  std::string linearity_line;
  Word w;
  for (;;) {
    if (!read_word(s, w)) {
      p->set(s.last_line(), "the file ends without a line \"begin\"");
      return nullptr;
    }
    if (w.text == "begin") break;
    if (begins_with(w.text, "V-representation")) {
      rep = dd_Generator;
    } else if (begins_with(w.text, "H-representation")) {
      rep = dd_Inequality;
    } else if (is_linearity_keyword(w.text)) {
      has_linearity = true;
      linearity_at = w.line;
      read_rest_of_line(s, linearity_line, kLineMax);
    }
  }

  // Size line.
  Word wm, wd, wt;
  long m = 0, d = 0;
  if (!read_word(s, wm) || !read_word(s, wd) || !read_word(s, wt)) {
    p->set(s.last_line(), "the file ends before the size line \"m d type\"");
    return nullptr;
  }
  if (!parse_long(wm.text, &m) || !parse_long(wd.text, &d)) {
    p->set(wm.line, "size line " + quoted(wm.text + " " + wd.text) + " is not two whole numbers");
    return nullptr;
  }
  if (dd_debug)
    dd_Printf(stderr, "size = %ld x %ld\nNumber Type = %s\n", m, d, wt.text.c_str());
  const dd_NumberType numbtype = dd_GetNumberType(wt.text.data());
  if (numbtype == dd_Unknown) {
    p->set(wt.line, "number type " + quoted(wt.text) + " is not integer, rational or real");
    return nullptr;
  }
  if (std::string why = size_problem(m, d); !why.empty()) {
    p->set(wm.line, why);
    return nullptr;
  }

  // Body, read in full before anything is allocated for it.
  std::vector<double> values;
  values.reserve(static_cast<std::size_t>(std::min(m * d, 1L << 16)));
  for (long k = 0; k < m * d; ++k) {
    Number v;
    // Built only for a message: the body is the bulk of every read.
    const auto where = [&] { return "row " + std::to_string(k / d + 1) + " of " + std::to_string(m); };
    if (!read_word(s, w)) {
      p->set(s.last_line(), "the file ends in " + where() + " (" + std::to_string(k) + " of " +
                         std::to_string(m * d) + " numbers read)");
      return nullptr;
    }
    if (std::string why;
        !take_number(w, numbtype, k, inexact, &Inexact::body, &v, &why)) {
      p->set(w.line, why + (w.text == "end" ? " (" + where() + " is not complete)" : ""));
      return nullptr;
    }
    values.push_back(v.value);
  }
  dd_MatrixPtr M = dd_CreateMatrix(m, d);
  M->representation = rep;
  M->numbtype = numbtype;
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < d; ++j) {
      ddd_set_d(M->matrix[i][j], values[static_cast<std::size_t>(i * d + j)]);
      if (dd_debug)
        trace_number("a(%3ld,%5ld) = ", i + 1, j + 1, true, M->matrix[i][j]);
    }
  values = {};

  if (!read_word(s, w)) {
    p->set(s.last_line(), "\"end\" missing after the " + std::to_string(m) + " rows");
    return M;
  }
  if (w.text != "end") {
    p->set(w.line, quoted(w.text) + " where \"end\" should follow the " + std::to_string(m) +
                       " rows of " + std::to_string(d));
    return M;
  }
  if (!line_ends(s, "end", p)) return M;
  if (has_linearity && !apply_linearity(M, linearity_line, linearity_at, p)) return M;

  // Trailer: one command per line.
  while (read_word(s, w))
    if (!process_command(s, M, w, p, inexact)) return M;
  *Error = dd_NoError;
  return M;
}

// Writes one family of F->famsize sets; compressed writes a set whose
// complement is smaller through that complement.
void write_family(FILE *f, dd_SetFamilyPtr F, bool compressed)
{
  if (F == nullptr) {
    dd_Printf(f, "WriteSetFamily: The requested family is empty\n");
    return;
  }
  dd_Printf(f, "begin\n  %ld    %ld\n", F->famsize, F->setsize);
  for (dd_bigrange i = 0; i < F->famsize; ++i) {
    const long card = set_card(F->set[i]);
    if (compressed && F->setsize - card < card) {
      dd_Printf(f, " %ld %ld : ", i + 1, -card);
      set_fwrite_compl(f, F->set[i]);
    } else {
      dd_Printf(f, " %ld %ld : ", i + 1, card);
      set_fwrite(f, F->set[i]);
    }
  }
  dd_Printf(f, "end\n");
}

enum class Kind { Incidence, Adjacency, InputIncidence, InputAdjacency };

void write_poly_family(FILE *f, dd_PolyhedraPtr poly, Kind kind)
{
  if (poly == nullptr) {
    write_family(f, nullptr, true);
    return;
  }
  // Headers name the file kind seen from the input's representation: the
  // output of an H-representation is generators (e..), of a V one
  // inequalities (i..).
  const bool h = poly->representation == dd_Inequality;
  const bool v = poly->representation == dd_Generator;
  const char *header = nullptr;
  dd_SetFamilyPtr F = nullptr;
  switch (kind) {
    case Kind::Incidence:
      header = h ? "ecd_file: Incidence of generators and inequalities\n"
                 : "icd_file: Incidence of inequalities and generators\n";
      F = dd_CopyIncidence(poly);
      break;
    case Kind::Adjacency:
      header = h ? "ead_file: Adjacency of generators\n"
                 : "iad_file: Adjacency of inequalities\n";
      F = dd_CopyAdjacency(poly);
      break;
    case Kind::InputIncidence:
      header = h ? "icd_file: Incidence of inequalities and generators\n"
                 : "ecd_file: Incidence of generators and inequalities\n";
      if (!poly->AincGenerated) dd_ComputeAinc(poly);
      F = dd_CopyInputIncidence(poly);
      break;
    case Kind::InputAdjacency:
      header = h ? "iad_file: Adjacency of inequalities\n"
                 : "ead_file: Adjacency of generators\n";
      if (!poly->AincGenerated) dd_ComputeAinc(poly);
      F = dd_CopyInputAdjacency(poly);
      break;
  }
  if (h || v) dd_Printf(f, "%s", header);
  write_family(f, F, true);
  dd_FreeSetFamily(F);
}

}  // namespace

extern "C" {

dd_NumberType dd_GetNumberType(char *line)
{
  if (line == nullptr) return dd_Unknown;
  const std::string_view w(line);
  if (begins_with(w, "integer")) return dd_Integer;
  if (begins_with(w, "rational")) return dd_Rational;
  if (begins_with(w, "real")) return dd_Real;
  return dd_Unknown;
}

void dd_sread_rational_value(char *s, mytype value)
{
  double v = 0.0;
  if (s != nullptr) {
    Number n;
    if (scan_number(s, &n) && n.range == Range::Fits) v = n.value;
    if (char *slash = std::strchr(s, '/')) *slash = '\0';
  }
  ddd_set_d(value, v);
  if (dd_debug) {
    dd_Printf(stderr, "rational_read: ");
    dd_WriteNumber(stderr, value);
    dd_Printf(stderr, "\n");
  }
}

void dd_fread_rational_value(FILE *f, mytype value)
{
  Word w;
  if (f == nullptr) {
    dd_sread_rational_value(w.text.data(), value);
    return;
  }
  Source s{f};
  if (!read_word(s, w)) w.text.clear();
  // "%s " also takes the blanks after the word.
  int c;
  while ((c = s.get()) != EOF && is_space(c)) {
  }
  s.unget(c);
  dd_sread_rational_value(w.text.data(), value);
}

void dd_SetLinearity(dd_MatrixPtr M, char *line)
{
  if (M == nullptr || line == nullptr) return;
  Problem p;
  if (!apply_linearity(M, line, 0, &p))
    dd_Printf(stderr, "* Warning: there are inconsistencies in linearity setting.\n");
}

void dd_ProcessCommandLine(FILE *f, dd_MatrixPtr M, char *line)
{
  if (f == nullptr || M == nullptr || line == nullptr) return;
  Source s{f};
  Word w;
  w.text = line;
  Problem p;
  process_command(s, M, w, &p);
}

dd_MatrixPtr dd_PolyFile2Matrix2(FILE *f, dd_ErrorType *Error, char *why,
                                 size_t whysize)
{
  dd_ErrorType local = dd_NoError;
  if (Error == nullptr) Error = &local;
  Problem p;
  dd_MatrixPtr M = nullptr;
  if (f == nullptr) {
    *Error = dd_ImproperInputFormat;
    p.set(0, "no file");
  } else {
    M = read_matrix(f, Error, &p);
  }
  if (why != nullptr && whysize > 0) std::snprintf(why, whysize, "%s", p.text(*Error).c_str());
  return M;
}

dd_MatrixPtr dd_PolyFile2Matrix(FILE *f, dd_ErrorType *Error)
{
  return dd_PolyFile2Matrix2(f, Error, nullptr, 0);
}

void dd_WriteMatrix(FILE *f, dd_MatrixPtr M)
{
  if (M == nullptr) {
    dd_Printf(f, "WriteMatrix: The requested matrix is empty\n");
    return;
  }
  if (M->representation == dd_Inequality) dd_Printf(f, "H-representation\n");
  if (M->representation == dd_Generator) dd_Printf(f, "V-representation\n");
  // Only rows that exist are named, so the line always reads back.
  long card = 0;
  for (dd_rowrange i = 1; i <= M->rowsize; ++i)
    if (set_member(i, M->linset)) ++card;
  if (card > 0) {
    dd_Printf(f, "linearity %ld ", card);
    for (dd_rowrange i = 1; i <= M->rowsize; ++i)
      if (set_member(i, M->linset)) dd_Printf(f, " %ld", i);
    dd_Printf(f, "\n");
  }
  dd_WriteAmatrix(f, M->matrix, M->rowsize, M->colsize);
  if (M->objective != dd_LPnone) {
    dd_Printf(f, M->objective == dd_LPmax ? "maximize\n" : "minimize\n");
    dd_WriteArow(f, M->rowvec, M->colsize);
  }
}

void dd_WriteSetFamily(FILE *f, dd_SetFamilyPtr F) { write_family(f, F, false); }

void dd_WriteSetFamilyCompressed(FILE *f, dd_SetFamilyPtr F)
{
  write_family(f, F, true);
}

void dd_WriteIncidence(FILE *f, dd_PolyhedraPtr poly)
{
  write_poly_family(f, poly, Kind::Incidence);
}

void dd_WriteAdjacency(FILE *f, dd_PolyhedraPtr poly)
{
  write_poly_family(f, poly, Kind::Adjacency);
}

void dd_WriteInputIncidence(FILE *f, dd_PolyhedraPtr poly)
{
  write_poly_family(f, poly, Kind::InputIncidence);
}

void dd_WriteInputAdjacency(FILE *f, dd_PolyhedraPtr poly)
{
  write_poly_family(f, poly, Kind::InputAdjacency);
}

void dd_WriteRay(FILE *f, dd_colrange d_origsize, dd_RayPtr RR,
                 dd_RepresentationType rep, dd_colindex reducedcol)
{
  if (RR == nullptr || reducedcol == nullptr || d_origsize < 0) return;
  // A row of its own per call: nothing is kept between calls.
  dd_Arow row = nullptr;
  dd_InitializeArow(d_origsize + 1, &row);
  dd_CopyRay(row, d_origsize, RR, rep, reducedcol);
  dd_WriteArow(f, row, d_origsize);
  dd_FreeArow(d_origsize + 1, row);
}

}  // extern "C"

#ifndef ZONIX_EXACT
namespace zonix {

Input read_representation(FILE *f, dd_ErrorType *err, std::string *why, bool exact, bool beyond_doubles)
{
  Input in;
  Problem p;
  Inexact inexact;
  inexact.keep = exact;
  inexact.beyond = exact && beyond_doubles;
  in.doubles.reset(read_matrix(f, err, &p, &inexact));
  *why = p.text(*err);
  if (*err != dd_NoError) return in;
  in.body = std::move(inexact.body);
  in.objective = std::move(inexact.objective);
  return in;
}

}  // namespace zonix
#endif
