// The plain-text representation format: the reader with its command lines
// and number words, and the writers for matrices, set families, incidence
// and adjacency.
//
// The reader takes one word or one line at a time from the stream through
// bounded buffers, so no input (overlong words or lines, binary data, NUL
// bytes) can overrun anything; it allocates the matrix only once the whole
// body has been read, so a size line cannot make it allocate more than the
// file backs.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "zonixcore.h"
#include "zonixdd.h"
#include "zonixio.h"

namespace {

// Characters kept of one word.  Longer words are read to their end and
// marked as cut: a keyword is still recognised by its prefix, a number
// never parses.
constexpr std::size_t kWordMax = 1024;
// Characters kept of one linearity line: room for the indices of millions
// of rows.
constexpr std::size_t kLineMax = std::size_t{64} << 20;
// Bounds of the size line.  The numbers of the body are read before the
// matrix is allocated, so a file must hold m*d numbers before m*d entries
// are allocated; kMaxEntries only keeps the product meaningful.  A matrix
// without rows or columns allocates max(m,1)*max(d,1) entries all the
// same, which no number in the file backs: kMaxEmptyExtent bounds that.
constexpr long kMaxEntries = 1L << 31;
constexpr long kMaxEmptyExtent = 1L << 20;

bool is_space(int c)
{
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' ||
         c == '\f';
}

struct Word {
  std::string text;
  bool cut = false;
};

// Reads the next whitespace-separated word; false at end of file before
// any character.  The character ending the word is pushed back, so that
// the caller can still see the end of its line.
bool read_word(FILE *f, Word &w)
{
  w.text.clear();
  w.cut = false;
  int c;
  do {
    c = std::getc(f);
  } while (c != EOF && is_space(c));
  if (c == EOF) return false;
  while (c != EOF && !is_space(c)) {
    if (w.text.size() < kWordMax)
      w.text.push_back(static_cast<char>(c));
    else
      w.cut = true;
    c = std::getc(f);
  }
  if (c != EOF) std::ungetc(c, f);
  return true;
}

// The rest of the current line (its newline consumed, not stored), at most
// cap characters kept.
void read_rest_of_line(FILE *f, std::string &line, std::size_t cap)
{
  line.clear();
  int c;
  while ((c = std::getc(f)) != EOF && c != '\n')
    if (line.size() < cap) line.push_back(static_cast<char>(c));
}

void discard_line(FILE *f)
{
  int c;
  while ((c = std::getc(f)) != EOF && c != '\n') {
  }
}

// Prefix comparison over the keyword's length, as every keyword of the
// format is matched.
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
  if (s.empty() || s.size() > 64) return false;
  char buf[72];
  std::memcpy(buf, s.data(), s.size());
  buf[s.size()] = '\0';
  if (std::strlen(buf) != s.size() || is_space(static_cast<unsigned char>(buf[0])))
    return false;
  char *end = nullptr;
  errno = 0;
  const long v = std::strtol(buf, &end, 10);
  if (errno != 0 || end != buf + s.size()) return false;
  *out = v;
  return true;
}

// A whole word as a finite decimal number.
bool parse_decimal(std::string_view s, double *out)
{
  if (s.empty() || s.size() > kWordMax) return false;
  std::string buf(s);
  // An embedded NUL, leading blanks (skipped by strtod) or a trailing
  // remainder all fail the length check below.
  if (is_space(static_cast<unsigned char>(buf[0]))) return false;
  char *end = nullptr;
  const double v = std::strtod(buf.c_str(), &end);
  if (end != buf.c_str() + buf.size() || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

// A number word: "[sign]p" or "[sign]p/q" with decimal p and q, q nonzero.
// Decimal digits of p and q are kept (1.5 is one and a half), and the
// result must be finite.
bool parse_number(std::string_view s, double *out)
{
  const auto slash = s.find('/');
  double num = 0.0;
  if (!parse_decimal(s.substr(0, slash), &num)) return false;
  if (slash == std::string_view::npos) {
    *out = num;
    return true;
  }
  double den = 0.0;
  if (!parse_decimal(s.substr(slash + 1), &den) || den == 0.0) return false;
  const double v = num / den;
  if (!std::isfinite(v)) return false;
  *out = v;
  return true;
}

bool read_number(FILE *f, double *out)
{
  Word w;
  if (!read_word(f, w) || w.cut) return false;
  return parse_number(w.text, out);
}

void trace_number(const char *label, long a, long b, bool two,
                  const mytype x)
{
  if (two)
    std::fprintf(stderr, label, a, b);
  else
    std::fprintf(stderr, label, a);
  dd_WriteNumber(stderr, x);
  std::fputc('\n', stderr);
}

enum class Command { Done, LineConsumed, BadNumber };

// One trailer command; tells whether it read its line to the end and
// whether its numbers parsed.
Command process_command(FILE *f, dd_MatrixPtr M, std::string_view word)
{
  if (begins_with(word, "hull")) {
    M->representation = dd_Generator;
  } else if (begins_with(word, "debug")) {
    dd_debug = dd_TRUE;
  } else if (is_linearity_keyword(word)) {
    std::string line;
    read_rest_of_line(f, line, kLineMax);
    dd_SetLinearity(M, line.data());
    return Command::LineConsumed;
  } else if (begins_with(word, "maximize") || begins_with(word, "minimize")) {
    M->objective = begins_with(word, "maximize") ? dd_LPmax : dd_LPmin;
    for (dd_colrange j = 0; j < M->colsize; ++j) {
      double v = 0.0;
      if (!read_number(f, &v)) return Command::BadNumber;
      ddd_set_d(M->rowvec[j], v);
      if (dd_debug) trace_number("cost(%5ld) =", j + 1, 0, false, M->rowvec[j]);
    }
  }
  return Command::Done;
}

bool size_acceptable(long m, long d)
{
  if (m < 0 || d < 0) return false;
  long entries = 0;
  if (__builtin_mul_overflow(m, d, &entries) || entries > kMaxEntries)
    return false;
  if (entries == 0 && (m > kMaxEmptyExtent || d > kMaxEmptyExtent))
    return false;
  return true;
}

// Writes one family of F->famsize sets; compressed writes a set whose
// complement is smaller through that complement.
void write_family(FILE *f, dd_SetFamilyPtr F, bool compressed)
{
  if (F == nullptr) {
    std::fputs("WriteSetFamily: The requested family is empty\n", f);
    return;
  }
  std::fputs("begin\n", f);
  std::fprintf(f, "  %ld    %ld\n", F->famsize, F->setsize);
  for (dd_bigrange i = 0; i < F->famsize; ++i) {
    const long card = set_card(F->set[i]);
    if (compressed && F->setsize - card < card) {
      std::fprintf(f, " %ld %ld : ", i + 1, -card);
      set_fwrite_compl(f, F->set[i]);
    } else {
      std::fprintf(f, " %ld %ld : ", i + 1, card);
      set_fwrite(f, F->set[i]);
    }
  }
  std::fputs("end\n", f);
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
  if (h || v) std::fputs(header, f);
  write_family(f, F, true);
  dd_FreeSetFamily(F);
}

// The row buffer of dd_WriteRay, kept per thread between calls.
struct RayBuffer {
  dd_Arow row = nullptr;
  dd_colrange size = 0;
  ~RayBuffer() { dd_FreeArow(size, row); }
};
thread_local RayBuffer ray_buffer;

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
    const std::string word(s);
    if (!parse_number(word, &v)) v = 0.0;
    if (char *slash = std::strchr(s, '/')) *slash = '\0';
  }
  ddd_set_d(value, v);
  if (dd_debug) {
    std::fputs("rational_read: ", stderr);
    dd_WriteNumber(stderr, value);
    std::fputc('\n', stderr);
  }
}

void dd_fread_rational_value(FILE *f, mytype value)
{
  Word w;
  if (f == nullptr || !read_word(f, w) || w.cut) w.text.clear();
  // "%s " also takes the blanks after the word.
  if (f != nullptr) {
    int c;
    while ((c = std::getc(f)) != EOF && is_space(c)) {
    }
    if (c != EOF) std::ungetc(c, f);
  }
  dd_sread_rational_value(w.text.data(), value);
}

void dd_SetLinearity(dd_MatrixPtr M, char *line)
{
  if (M == nullptr || line == nullptr) return;
  const std::string_view text(line);
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
  bool consistent = next_token(&tok) && parse_long(tok, &k) && k >= 0;
  if (consistent) {
    long i = 0;
    for (; i < k; ++i) {
      if (!next_token(&tok)) break;
      long row = 0;
      if (parse_long(tok, &row) && row >= 1 && row <= M->rowsize)
        set_addelem(M->linset, row);
      else
        consistent = false;
    }
    if (i != k) consistent = false;
  }
  if (!consistent)
    std::fputs("* Warning: there are inconsistencies in linearity setting.\n",
               stderr);
}

void dd_ProcessCommandLine(FILE *f, dd_MatrixPtr M, char *line)
{
  if (f == nullptr || M == nullptr || line == nullptr) return;
  process_command(f, M, line);
}

dd_MatrixPtr dd_PolyFile2Matrix(FILE *f, dd_ErrorType *Error)
{
  dd_ErrorType local = dd_NoError;
  if (Error == nullptr) Error = &local;
  *Error = dd_NoError;
  if (f == nullptr) {
    *Error = dd_ImproperInputFormat;
    return nullptr;
  }
  auto fail = [&]() -> dd_MatrixPtr {
    *Error = dd_ImproperInputFormat;
    return nullptr;
  };

  // Preamble.
  dd_RepresentationType rep = dd_Inequality;
  bool has_linearity = false;
  std::string linearity_line;
  Word w;
  for (;;) {
    if (!read_word(f, w)) return fail();
    if (begins_with(w.text, "begin")) break;
    if (begins_with(w.text, "V-representation")) {
      rep = dd_Generator;
    } else if (begins_with(w.text, "H-representation")) {
      rep = dd_Inequality;
    } else if (is_linearity_keyword(w.text)) {
      has_linearity = true;
      read_rest_of_line(f, linearity_line, kLineMax);
    }
  }

  // Size line.
  Word wm, wd, wt;
  long m = 0, d = 0;
  if (!read_word(f, wm) || !read_word(f, wd) || !read_word(f, wt)) return fail();
  if (!parse_long(wm.text, &m) || !parse_long(wd.text, &d)) return fail();
  std::fprintf(stderr, "size = %ld x %ld\nNumber Type = %s\n", m, d,
               wt.text.c_str());
  const dd_NumberType numbtype = dd_GetNumberType(wt.text.data());
  if (numbtype == dd_Unknown || !size_acceptable(m, d)) return fail();

  // Body, read in full before anything is allocated for it.
  std::vector<double> values;
  values.reserve(static_cast<std::size_t>(std::min(m * d, 1L << 16)));
  for (long k = 0; k < m * d; ++k) {
    double v = 0.0;
    if (!read_number(f, &v)) return fail();
    values.push_back(v);
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

  if (!read_word(f, w) || !begins_with(w.text, "end")) {
    if (dd_debug && !w.text.empty())
      std::fprintf(stderr, "'end' missing or illegal extra data: %s\n",
                   w.text.c_str());
    *Error = dd_ImproperInputFormat;
    return M;
  }
  if (has_linearity) dd_SetLinearity(M, linearity_line.data());

  // Trailer: one command per line.
  while (read_word(f, w)) {
    switch (process_command(f, M, w.text)) {
      case Command::Done:
        discard_line(f);
        break;
      case Command::LineConsumed:
        break;
      case Command::BadNumber:
        *Error = dd_ImproperInputFormat;
        return M;
    }
  }
  return M;
}

void dd_WriteMatrix(FILE *f, dd_MatrixPtr M)
{
  if (M == nullptr) {
    std::fputs("WriteMatrix: The requested matrix is empty\n", f);
    return;
  }
  if (M->representation == dd_Inequality) std::fputs("H-representation\n", f);
  if (M->representation == dd_Generator) std::fputs("V-representation\n", f);
  // Only rows that exist are named, so the line always reads back.
  long card = 0;
  for (dd_rowrange i = 1; i <= M->rowsize; ++i)
    if (set_member(i, M->linset)) ++card;
  if (card > 0) {
    std::fprintf(f, "linearity %ld ", card);
    for (dd_rowrange i = 1; i <= M->rowsize; ++i)
      if (set_member(i, M->linset)) std::fprintf(f, " %ld", i);
    std::fputc('\n', f);
  }
  dd_WriteAmatrix(f, M->matrix, M->rowsize, M->colsize);
  if (M->objective != dd_LPnone) {
    std::fputs(M->objective == dd_LPmax ? "maximize\n" : "minimize\n", f);
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
  RayBuffer &buf = ray_buffer;
  if (buf.size < d_origsize + 1) {
    dd_FreeArow(buf.size, buf.row);
    buf.row = nullptr;
    buf.size = d_origsize + 1;
    dd_InitializeArow(buf.size, &buf.row);
  }
  dd_CopyRay(buf.row, d_origsize, RR, rep, reducedcol);
  dd_WriteArow(f, buf.row, d_origsize);
}

}  // extern "C"
