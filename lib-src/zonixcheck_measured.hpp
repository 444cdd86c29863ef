// Certificates for answers on measured data: doubles that stand for values
// known to a relative precision.  Such an answer is right when it is
// exactly right for some data within a relative distance delta of the
// given numbers.  What is checked, in double with the rounding accounted
// for:
//   - every pair (row, generator) is either strictly on its side or within
//     delta of tight, measured componentwise: |h.g| <= delta * sum |h_k g_k|;
//   - each output element is tight on a set of full rank whose condition
//     stays bounded (kRankFloor on unit vectors);
//   - equations and lines are tight everywhere and span what they must;
//   - the elements are complete: every 2-face at each one leads to another.
// Independent of the engine, the LP methods and the settling.
#ifndef ZONIX_CHECK_MEASURED_HPP
#define ZONIX_CHECK_MEASURED_HPP

#include <string>
#include <vector>

namespace zonix::check {

// The default relative distance of measured data.
inline constexpr double kMeasuredDelta = 1e-12;

// Homogenised rows of doubles, row-major; `fixed` marks equations (of an
// H side) or lines (of a V side).
struct DoubleRows {
  long rows = 0, cols = 0;
  bool generators = false;  // V side: (1, v) points, (0, r) rays
  std::vector<double> v;
  std::vector<char> fixed;
  const double *row(long i) const { return v.data() + i * cols; }
};

struct MeasuredVerdict {
  bool ok = true;
  std::string why;
  explicit operator bool() const { return ok; }
};

// Whether out is the other representation of in, exactly, for data within
// relative distance delta of in's numbers.  Empty answers are not judged
// here (they need a certificate of infeasibility): the verdict is no.
MeasuredVerdict conversion_within(const DoubleRows &in, const DoubleRows &out, double delta);

// The first half of conversion_within, cheap on many input rows: every
// (input, output) pair on its side within delta, and each output element
// tight on input rows of full rank.  Neither side may have equations or
// lines.  tight, when given, receives per output row the input rows it is
// tight on (0-based, increasing).
MeasuredVerdict valid_within(const DoubleRows &in, const DoubleRows &out, double delta,
                             std::vector<std::vector<long>> *tight = nullptr);

// The sign of the pair (row h, generator g) of d numbers: 0 within delta
// of tight, as the checks above measure it.
int side_within(const double *h, const double *g, long d, double delta);

// The rows of the V-representation `in` that are its extreme points and
// rays (the first of equal ones), given `facets`, its H-representation
// already found right by conversion_within: those tight on facets of full
// rank.  0-based, increasing; lines are not listed.
std::vector<long> extreme_rows_within(const DoubleRows &in, const DoubleRows &facets, double delta);

}  // namespace zonix::check

#endif
