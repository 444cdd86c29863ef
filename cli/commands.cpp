// The subcommands of the zonix tool.
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli.hpp"
#include "zonixarith.hpp"
#include "zonixops.hpp"

namespace zonix::cli {

namespace {

// ---- shared helpers ---------------------------------------------------------

int usage_error(std::string_view command, std::string_view text)
{
  std::fprintf(stderr, "zonix %.*s: %.*s\nTry 'zonix %.*s --help'.\n",
               static_cast<int>(command.size()), command.data(),
               static_cast<int>(text.size()), text.data(),
               static_cast<int>(command.size()), command.data());
  return kExitUsage;
}

int computation_error(const Args &args, dd_ErrorType err)
{
  if (err == dd_Interrupted) throw Interrupted{};
  complain(display_name(args.file), error_text(err));
  return kExitComputation;
}

// The arithmetic asked for with --arithmetic (auto when not); false with a
// usage message for anything else.
bool arithmetic_of(const Args &args, std::string_view command, Arithmetic *a)
{
  *a = Arithmetic::Auto;
  if (const auto t = args.value("--tolerance")) {
    char *end = nullptr;
    const double x = std::strtod(t->c_str(), &end);
    // Beyond 1e-3 an answer would hardly be one for the data given.
    if (end == t->c_str() || *end != '\0' || !(x > 0.0 && x <= 1e-3)) {
      usage_error(command, "--tolerance needs a number above 0 and at most 1e-3, not '" + *t + "'");
      return false;
    }
  }
  const auto v = args.value("--arithmetic");
  if (!v || parse_arithmetic(*v, a)) return true;
  usage_error(command, "unknown arithmetic '" + *v + "' (double, exact or auto)");
  return false;
}

// The relative distance of measured data (--tolerance), 0 for the
// library's default; a bad value was refused when the options were read.
double tolerance_of(const Args &args)
{
  const auto v = args.value("--tolerance");
  return v ? std::strtod(v->c_str(), nullptr) : 0.0;
}

// Auto computed in exact arithmetic: said once, unless quiet.  Either the
// input's numbers are not all doubles, or the double run could not certify
// its answer.
void note_exact(const Args &args, std::string_view command, Arithmetic a, bool rational)
{
  if (a == Arithmetic::Auto && !args.has("--quiet"))
    std::fprintf(stderr, "zonix %.*s: %s; computed in exact arithmetic\n",
                 static_cast<int>(command.size()), command.data(),
                 rational ? "the input has numbers that no double holds"
                                     : "double precision could not certify the result");
}

// q without the rows in del, and with the rows in lin (numbered as in q)
// declared linearity too.
QMatrix rational_rows(const QMatrix &q, set_type del, set_type lin)
{
  QMatrix r = q;
  r.entries.clear();
  r.linearity.clear();
  long kept = 0;
  for (long i = 1; i <= q.rows; ++i) {
    if (del != nullptr && set_member(i, del)) continue;
    ++kept;
    for (long j = 0; j < q.cols; ++j) r.entries.push_back(q.at(i - 1, j));
    if (std::binary_search(q.linearity.begin(), q.linearity.end(), i) ||
        (lin != nullptr && set_member(i, lin)))
      r.linearity.push_back(kept);
  }
  r.rows = kept;
  return r;
}

// Writes "* TITLE (k): i1 i2 ..." for the members of s among 1..m.
void write_row_list(FILE *f, const char *title, set_type s, dd_rowrange m)
{
  long k = 0;
  for (dd_rowrange i = 1; i <= m; ++i)
    if (set_member(i, s)) ++k;
  std::fprintf(f, "* %s (%ld):", title, k);
  for (dd_rowrange i = 1; i <= m; ++i)
    if (set_member(i, s)) std::fprintf(f, " %ld", i);
  std::fputc('\n', f);
}

// The input's name for a comment line of an output file.  Quoted, with
// blanks replaced, so that no word of it can read as a keyword ("begin",
// "linearity", ...) when the file is read back.
std::string comment_name(const std::string &file)
{
  if (file == "-") return "(standard input)";
  std::string s = "'";
  for (char c : file) s.push_back(c == ' ' || c == '\t' || c == '\n' || c == '\r' ? '?' : c);
  return s + "'";
}

const char *representation_name(dd_RepresentationType rep)
{
  return rep == dd_Generator ? "V-representation" : "H-representation";
}

// ---- convert ----------------------------------------------------------------------

struct OrderChoice {
  dd_RowOrderType order = dd_LexMinSpread;
  bool seeded = false;
  unsigned int seed = 1;
};

// A thread count from 1 to 64.
std::optional<int> parse_count(std::string_view text)
{
  int n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || end != text.data() + text.size() || n < 1 || n > 64)
    return std::nullopt;
  return n;
}

std::optional<OrderChoice> parse_order(std::string_view text)
{
  static constexpr std::pair<std::string_view, dd_RowOrderType> kNames[] = {
      {"lexmin", dd_LexMin},       {"lexmax", dd_LexMax},
      {"minindex", dd_MinIndex},   {"maxindex", dd_MaxIndex},
      {"mincutoff", dd_MinCutoff}, {"maxcutoff", dd_MaxCutoff},
      {"mixcutoff", dd_MixCutoff}, {"random", dd_RandomRow},
      {"columns", dd_ColumnGreedy},
      {"spread", dd_LexMinSpread},
  };
  OrderChoice c;
  std::string_view name = text;
  std::string_view seed;
  if (const auto colon = text.find(':'); colon != std::string_view::npos) {
    name = text.substr(0, colon);
    seed = text.substr(colon + 1);
  }
  bool known = false;
  for (const auto &[n, o] : kNames)
    if (n == name) {
      c.order = o;
      known = true;
    }
  if (!known) return std::nullopt;
  if (!seed.empty() || text.find(':') != std::string_view::npos) {
    if (c.order != dd_RandomRow || seed.empty() || seed.size() > 10) return std::nullopt;
    unsigned long v = 0;
    for (char ch : seed) {
      if (ch < '0' || ch > '9') return std::nullopt;
      v = v * 10 + static_cast<unsigned long>(ch - '0');
    }
    if (v > 0xffffffffUL) return std::nullopt;
    c.seeded = true;
    c.seed = static_cast<unsigned int>(v);
  }
  return c;
}

struct ExtraFile {
  const char *flag;
  char code;
  void (*write)(FILE *, dd_PolyhedraPtr);
};

constexpr ExtraFile kExtraFiles[] = {
    {"--adjacency", 'a', dd_WriteAdjacency},
    {"--incidence", 'i', dd_WriteIncidence},
    {"--input-adjacency", 'j', dd_WriteInputAdjacency},
    {"--input-incidence", 'n', dd_WriteInputIncidence},
};

// The name of an extra file (code as dd_SetWriteFileName takes it) made
// from base, or standard output when base is.
std::string extra_file_name(const std::string &base, char code, dd_RepresentationType rep)
{
  if (base == "-") return "-";
  dd_DataFileType in{};
  dd_DataFileType derived{};
  std::strncpy(in, base.c_str(), sizeof in - 1);
  dd_SetWriteFileName(in, derived, code, rep);
  return derived;
}

// What the conversion is asked beside its arithmetic: the result as
// integers and fractions under the number type "rational" when exact, and
// the families of the extra files.
ConvertOptions convert_options(const Args &args, const OrderChoice &order)
{
  ConvertOptions o;
  o.order = order.order;
  o.seed = order.seeded ? order.seed : 1;
  o.adjacency = args.has("--adjacency");
  o.incidence = args.has("--incidence");
  o.input_adjacency = args.has("--input-adjacency");
  o.input_incidence = args.has("--input-incidence");
  o.tolerance = tolerance_of(args);
  o.text = true;
  return o;
}

// The comment lines that open an exact result of converting M.
void write_exact_comments(FILE *f, const Args &args, dd_MatrixPtr M)
{
  std::fprintf(f, "* zonix %s, computed in exact arithmetic\n", "1.0");
  std::fprintf(f, "* input: %s, %ld rows of %ld columns (%s)\n",
               comment_name(args.file).c_str(), M->rowsize, M->colsize,
               representation_name(M->representation));
}

// Writes rows found without a run of the double description method.
int write_found(const Args &args, dd_MatrixPtr M, dd_MatrixPtr found)
{
  Output out(output_name(args, 'o', M->representation));
  if (!out.ok()) return kExitUsage;
  dd_WriteProgramDescription(out.get());
  std::fprintf(out.get(), "* input: %s, %ld rows of %ld columns (%s)\n",
               comment_name(args.file).c_str(), M->rowsize, M->colsize,
               representation_name(M->representation));
  std::fprintf(out.get(), "* found one LP at a time\n");
  dd_WriteMatrix(out.get(), found);
  return out.finish(args.has("--quiet")) ? kExitOk : kExitUsage;
}

// Writes an exact result c of converting M, with the extra files asked for;
// *begun, when open, has its head and rows already.
int write_exactly(const Args &args, dd_MatrixPtr M, const Conversion &c, std::optional<Output> *begun = nullptr)
{
  const bool quiet = args.has("--quiet");
  const std::string out_name = output_name(args, 'o', M->representation);
  {
    std::optional<Output> here;
    std::optional<Output> &out = begun != nullptr && begun->has_value() ? *begun : here;
    if (out) {
      if (!out->ok()) return kExitUsage;
      write_rational_tail(out->get(), c.rational);
    } else {
      out.emplace(out_name);
      if (!out->ok()) return kExitUsage;
      write_exact_comments(out->get(), args, M);
      write_rational(out->get(), c);
    }
    if (!out->finish(quiet)) return kExitUsage;
  }
  const std::string base = args.file != "-" ? args.file : out_name;
  const dd_SetFamilyPtr families[] = {c.adjacency.get(), c.incidence.get(),
                                      c.input_adjacency.get(), c.input_incidence.get()};
  for (size_t k = 0; k < std::size(kExtraFiles); ++k) {
    const ExtraFile &x = kExtraFiles[k];
    if (!args.has(x.flag)) continue;
    Output extra(extra_file_name(base, x.code, M->representation));
    if (!extra.ok()) return kExitUsage;
    dd_WriteSetFamily(extra.get(), families[k]);
    if (!extra.finish(quiet)) return kExitUsage;
  }
  return kExitOk;
}

// Writes the answer of a finished double run: rows, when given, stand for
// the run's own (a checked or settled copy); the rest is read from the run,
// which holds the largest answers once only.
int write_from_run(const Args &args, dd_MatrixPtr M, dd_PolyhedraPtr poly, dd_MatrixPtr rows)
{
  if (poly->child == nullptr || poly->child->CompStatus != dd_AllFound) {
    complain(display_name(args.file), "the conversion did not complete");
    return kExitComputation;
  }
  const bool quiet = args.has("--quiet");
  const std::string out_name = output_name(args, 'o', poly->representation);
  {
    Output out(out_name);
    if (!out.ok()) return kExitUsage;
    FILE *f = out.get();
    dd_WriteProgramDescription(f);
    std::fprintf(f, "* input: %s, %ld rows of %ld columns (%s)\n",
                 comment_name(args.file).c_str(), M->rowsize, M->colsize,
                 representation_name(M->representation));
    dd_WriteRunningMode(f, poly);
    if (rows != nullptr)
      dd_WriteMatrix(f, rows);
    else
      dd_WriteOutputMatrix(f, poly);
    dd_WriteCompletionStatus(f, poly->child);
    dd_WriteDDTimes(f, poly);
    if (!out.finish(quiet)) return kExitUsage;
  }

  // The extra files are named after the input, or after the output when
  // the input is standard input; with neither they follow on standard
  // output.
  std::string base = args.file != "-" ? args.file : out_name;
  for (const ExtraFile &x : kExtraFiles) {
    if (!args.has(x.flag)) continue;
    Output extra(extra_file_name(base, x.code, poly->representation));
    if (!extra.ok()) return kExitUsage;
    x.write(extra.get(), poly);
    if (!extra.finish(quiet)) return kExitUsage;
  }
  return kExitOk;
}

int run_convert(const Args &args)
{
  OrderChoice order;
  if (auto o = args.value("--order")) {
    auto c = parse_order(*o);
    if (!c) return usage_error("convert", "unknown row order '" + *o + "'");
    order = *c;
  }
  ops::Request rq = make_request(Arithmetic::Auto);
  if (auto t = args.value("--threads")) {
    const auto n = parse_count(*t);
    if (!n) return usage_error("convert", "--threads needs a count from 1 to 64, not '" + *t + "'");
    rq.threads = *n;
  }
  if (!arithmetic_of(args, "convert", &rq.arithmetic)) return kExitUsage;
  std::unique_ptr<QMatrix> rational;
  // A run in double has no use for the exact rows.
  Matrix M = read_input(args.file, rq.arithmetic != Arithmetic::Double ? &rational : nullptr);
  if (!M) return kExitUsage;
  const bool had_rational = rational != nullptr;

  ConvertOptions o = convert_options(args, order);
  // The rows of an exact run go to the file as they are written, which is
  // opened only then, as it would be after the run.
  std::optional<Output> out;
  std::exception_ptr stopped;
  o.text_sink = [&](const QMatrix &head, std::string_view rows) {
    try {
      if (!out) {
        out.emplace(output_name(args, 'o', M->representation));
        if (!out->ok()) return false;
        write_exact_comments(out->get(), args, M.get());
        write_rational_head(out->get(), head);
      }
    } catch (...) {
      // An interrupt: the run is left as it stands and it is raised after.
      stopped = std::current_exception();
      return false;
    }
    if (!out->ok()) return false;
    std::fwrite(rows.data(), 1, rows.size(), out->get());
    return true;
  };
  ProgressLine progress(progress_wanted(args), args.has("--progress"), &rq);
  RunConversion r = ops::convert(M.get(), std::move(rational), std::move(o), rq, true);
  if (stopped) std::rethrow_exception(stopped);
  Conversion &c = r.result;
  if (r.route == ConvertRoute::ExactFirst && !args.has("--quiet"))
    std::fprintf(stderr, "zonix convert: exact arithmetic costs no more than double here; computed in exact arithmetic\n");
  if (c.error != dd_NoError) return computation_error(args, c.error);
  if (r.route == ConvertRoute::ByLps) return write_found(args, M.get(), c.output.get());
  if (r.run == nullptr) {
    if (r.route == ConvertRoute::ExactAfterDouble || (r.route == ConvertRoute::ExactInput && !c.settled))
      note_exact(args, "convert", rq.arithmetic, had_rational);
    return write_exactly(args, M.get(), c, &out);
  }
  if (c.settled) {
    // An exact answer of doubles is written as a run's answer is.
    Matrix rows = settled_as_doubles(c);
    if (rows == nullptr) return write_exactly(args, M.get(), c);
    return write_from_run(args, M.get(), r.run.get(), rows.get());
  }
  return write_from_run(args, M.get(), r.run.get(), c.output.get());
}

// ---- lp ------------------------------------------------------------------------------

// Whether the LP of M, solved as lp, has no feasible point.  A dual
// inconsistent answer proves an unbounded objective only on a feasible
// set, so then the constraints alone are tried (objective 0); when they
// are inconsistent, lp takes that verdict and its certificate, which
// involves the constraint rows only.
bool no_feasible_point(dd_MatrixPtr M, const QMatrix *rational, dd_LPPtr lp,
                       dd_LPSolverType solver, Arithmetic arithmetic, dd_ErrorType *err)
{
  if (lp->LPS == dd_Inconsistent || lp->LPS == dd_StrucInconsistent) return true;
  if (lp->LPS != dd_DualInconsistent && lp->LPS != dd_StrucDualInconsistent) return false;
  Matrix F(dd_MatrixCopy(M));
  for (dd_colrange j = 0; j < F->colsize; ++j) ddd_set_d(F->rowvec[j], 0.0);
  std::unique_ptr<QMatrix> rf;
  if (rational != nullptr) {
    rf = std::make_unique<QMatrix>(*rational);
    for (mpq_class &c : rf->rowvec) c = 0;
  }
  LP flp(dd_Matrix2LP(F.get(), err));
  bool exact = false;
  if (*err == dd_NoError) solve_lp(flp.get(), solver, arithmetic, err, &exact, rf.get());
  if (*err != dd_NoError || flp->LPS != dd_Inconsistent) return false;
  lp->LPS = dd_Inconsistent;
  lp->re = flp->re;
  for (dd_colrange j = 0; j <= lp->d; ++j) lp->nbindex[j] = flp->nbindex[j];
  for (dd_colrange j = 0; j < lp->d; ++j) ddd_set(lp->dsol[j], flp->dsol[j]);
  return true;
}

int run_lp(const Args &args)
{
  dd_LPSolverType solver = dd_DualSimplex;
  if (auto m = args.value("--method")) {
    if (*m == "dual-simplex")
      solver = dd_DualSimplex;
    else if (*m == "criss-cross")
      solver = dd_CrissCross;
    else
      return usage_error("lp", "unknown method '" + *m + "'");
  }
  Arithmetic arithmetic;
  if (!arithmetic_of(args, "lp", &arithmetic)) return kExitUsage;
  std::unique_ptr<QMatrix> rational;
  Matrix M = read_input(args.file, &rational, arithmetic == Arithmetic::Double);
  if (!M) return kExitUsage;
  if (M->representation == dd_Generator) {
    complain(display_name(args.file), "an LP needs an H-representation");
    return kExitUsage;
  }
  const ops::Request rq = make_request(arithmetic);
  const ops::HookScope hooks(rq);
  dd_ErrorType err = dd_NoError;
  LP lp(dd_Matrix2LP(M.get(), &err));
  bool exact = false, ran_exact = false;
  if (err == dd_NoError) solve_lp(lp.get(), solver, arithmetic, &err, &exact, rational.get(), false, &ran_exact);
  if (ran_exact && err == dd_NoError) note_exact(args, "lp", arithmetic, rational != nullptr);
  const bool infeasible = err == dd_NoError && no_feasible_point(M.get(), rational.get(), lp.get(),
                                                                 solver, arithmetic, &err);
  Output out(output_name(args, 's', M->representation));
  if (!out.ok()) return kExitUsage;
  dd_WriteLPResult(out.get(), lp.get(), err);
  if (infeasible) std::fputs("* no feasible solution: the constraints are inconsistent.\n", out.get());
  if (!out.finish(args.has("--quiet"))) return kExitUsage;
  if (err != dd_NoError) return computation_error(args, err);
  return kExitOk;
}

// ---- reduce --------------------------------------------------------------------------

int run_reduce(const Args &args)
{
  const bool strong = args.has("--strong");
  const bool shooting = args.has("--shooting");
  if (strong && shooting)
    return usage_error("reduce", "--strong and --shooting exclude each other");
  Arithmetic arithmetic;
  if (!arithmetic_of(args, "reduce", &arithmetic)) return kExitUsage;
  std::unique_ptr<QMatrix> rational;
  Matrix M = read_input(args.file, &rational, arithmetic == Arithmetic::Double);
  if (!M) return kExitUsage;
  // Exact rows leave nothing to the double shortcut.
  const bool exact_rows = rational != nullptr && arithmetic != Arithmetic::Double;
  if (shooting && M->representation == dd_Generator) {
    complain(display_name(args.file), "--shooting needs an H-representation");
    return kExitUsage;
  }
  dd_RedundancyMethod method = dd_RedundancyAuto;
  if (const auto m = args.value("--method")) {
    if (*m == "auto") method = dd_RedundancyAuto;
    else if (*m == "each") method = dd_RedundancyEachRow;
    else if (*m == "clarkson") method = dd_RedundancyClarkson;
    else return usage_error("reduce", "--method must be auto, each or clarkson");
  }
  dd_ErrorType err = dd_NoError;
  bool exact = false, ran_exact = false;
  Set red;
  ops::Request rq = make_request(arithmetic);
  ProgressLine progress(progress_wanted(args), args.has("--progress"), &rq);
  const ops::HookScope hooks(rq);
  if (shooting && arithmetic != Arithmetic::Exact && !exact_rows) {
    // Shooting is a double-precision shortcut; its exact stand-in is the
    // plain test of every row.
    red.reset(dd_RedundantRowsViaShooting(M.get(), &err));
    if (arithmetic == Arithmetic::Auto &&
        (err == dd_NumericallyInconsistent || err == dd_LPCycling)) {
      err = dd_NoError;
      red.reset(row_query(M.get(), RowQuery::Redundant, Arithmetic::Exact, &err, &exact));
      ran_exact = true;
    }
  } else if (strong) {
    ops::StrongRedundancy sr = ops::strong_redundancy(M.get(), false, rq, rational.get());
    red = std::move(sr.rows);
    err = sr.err;
    ran_exact = sr.exact_run;
  } else {
    red.reset(row_query(M.get(), RowQuery::Redundant, arithmetic, &err, &exact, rational.get(),
                        method, &ran_exact));
  }
  if (err != dd_NoError || !red) return computation_error(args, err);
  if (ran_exact) note_exact(args, "reduce", arithmetic, exact_rows);
  Matrix reduced(dd_MatrixSubmatrix(M.get(), red.get()));
  Output out(output_name(args, 'v', M->representation));
  if (!out.ok()) return kExitUsage;
  FILE *f = out.get();
  std::fprintf(f, "* %s of %s with its %s rows removed\n",
               representation_name(M->representation), comment_name(args.file).c_str(),
               strong ? "strongly redundant" : "redundant");
  write_row_list(f, strong ? "strongly redundant rows" : "redundant rows", red.get(),
                 M->rowsize);
  if (rational != nullptr)
    write_rational(f, rational_rows(*rational, red.get(), nullptr));
  else
    dd_WriteMatrix(f, reduced.get());
  return out.finish(args.has("--quiet")) ? kExitOk : kExitUsage;
}

// ---- interior ------------------------------------------------------------------------

int run_interior(const Args &args)
{
  Arithmetic arithmetic;
  if (!arithmetic_of(args, "interior", &arithmetic)) return kExitUsage;
  std::unique_ptr<QMatrix> rational;
  Matrix M = read_input(args.file, &rational, arithmetic == Arithmetic::Double);
  if (!M) return kExitUsage;
  if (M->representation == dd_Generator) {
    complain(display_name(args.file), "an interior point is sought for an H-representation");
    return kExitUsage;
  }
  const ops::Request rq = make_request(arithmetic);
  ops::InteriorPoint point = ops::interior_point(M.get(), dd_DualSimplex, rq, rational.get());
  const dd_ErrorType err = point.err;
  const LP &ilp = point.lp;
  if (point.exact_run && ilp != nullptr && err == dd_NoError) note_exact(args, "interior", arithmetic, rational != nullptr);
  Output out(output_name(args, 's', M->representation));
  if (!out.ok()) return kExitUsage;
  FILE *f = out.get();
  dd_WriteLPResult(f, ilp.get(), err);
  if (err == dd_NoError) {
    // The LP maximises the common slack t of every row at x: t > 0 makes x
    // an interior point.
    const bool found = ilp->LPS == dd_Optimal && dd_Positive(ilp->optvalue);
    if (found) {
      std::fputs("* an interior point (every inequality holds strictly):\n*", f);
      for (dd_colrange j = 1; j < M->colsize; ++j) dd_WriteNumber(f, ilp->sol[j]);
      std::fputc('\n', f);
    } else {
      std::fputs("* there is no interior point.\n", f);
    }
  }
  if (!out.finish(args.has("--quiet"))) return kExitUsage;
  if (err != dd_NoError) return computation_error(args, err);
  return kExitOk;
}

// ---- linearity -----------------------------------------------------------------------

int run_linearity(const Args &args)
{
  Arithmetic arithmetic;
  if (!arithmetic_of(args, "linearity", &arithmetic)) return kExitUsage;
  std::unique_ptr<QMatrix> rational;
  Matrix M = read_input(args.file, &rational, arithmetic == Arithmetic::Double);
  if (!M) return kExitUsage;
  dd_ErrorType err = dd_NoError;
  bool exact = false;
  const ops::Request rq = make_request(arithmetic);
  const ops::HookScope hooks(rq);
  bool ran_exact = false;
  Set lin(row_query(M.get(), RowQuery::ImplicitLinearity, arithmetic, &err, &exact,
                    rational.get(), dd_RedundancyAuto, &ran_exact));
  if (err != dd_NoError || !lin) return computation_error(args, err);
  if (ran_exact) note_exact(args, "linearity", arithmetic, rational != nullptr);
  // The input again, with the implicit linearities declared.
  Matrix marked(dd_MatrixCopy(M.get()));
  for (dd_rowrange i = 1; i <= M->rowsize; ++i)
    if (set_member(i, lin.get())) set_addelem(marked->linset, i);
  Output out(output_name(args, 'l', M->representation));
  if (!out.ok()) return kExitUsage;
  FILE *f = out.get();
  std::fprintf(f, "* %s of %s with its implicit linearities declared\n",
               representation_name(M->representation), comment_name(args.file).c_str());
  write_row_list(f, "implicit linearity rows", lin.get(), M->rowsize);
  if (rational != nullptr)
    write_rational(f, rational_rows(*rational, nullptr, lin.get()));
  else
    dd_WriteMatrix(f, marked.get());
  return out.finish(args.has("--quiet")) ? kExitOk : kExitUsage;
}

// ---- adjacency -----------------------------------------------------------------------

int run_adjacency(const Args &args)
{
  Arithmetic arithmetic;
  if (!arithmetic_of(args, "adjacency", &arithmetic)) return kExitUsage;
  std::unique_ptr<QMatrix> rational;
  Matrix M = read_input(args.file, &rational, arithmetic == Arithmetic::Double);
  if (!M) return kExitUsage;
  dd_ErrorType err = dd_NoError;
  bool exact = false;
  const ops::Request rq = make_request(arithmetic);
  const ops::HookScope hooks(rq);
  SetFamily F(row_adjacency(M.get(), arithmetic, &err, &exact, rational.get()));
  if (err != dd_NoError || !F) return computation_error(args, err != dd_NoError ? err : dd_EmptyRepresentation);
  if (exact) note_exact(args, "adjacency", arithmetic, rational != nullptr);
  Output out(output_name(args, 'j', M->representation));
  if (!out.ok()) return kExitUsage;
  FILE *f = out.get();
  std::fputs(M->representation == dd_Generator ? "ead_file: Adjacency of generators\n"
                                               : "iad_file: Adjacency of inequalities\n",
             f);
  dd_WriteSetFamilyCompressed(f, F.get());
  return out.finish(args.has("--quiet")) ? kExitOk : kExitUsage;
}

// ---- project -------------------------------------------------------------------------

// "2,4-6" as variable numbers 1..nvars; an error text otherwise.
std::optional<std::string> parse_variables(std::string_view text, long nvars,
                                           std::vector<bool> *chosen)
{
  chosen->assign(static_cast<std::size_t>(nvars + 1), false);
  auto number = [](std::string_view s, long *v) {
    if (s.empty() || s.size() > 9) return false;
    long x = 0;
    for (char c : s) {
      if (c < '0' || c > '9') return false;
      x = x * 10 + (c - '0');
    }
    *v = x;
    return true;
  };
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::size_t comma = std::min(text.find(',', pos), text.size());
    const std::string_view item = text.substr(pos, comma - pos);
    long lo = 0, hi = 0;
    if (const auto dash = item.find('-'); dash != std::string_view::npos) {
      if (!number(item.substr(0, dash), &lo) || !number(item.substr(dash + 1), &hi) || lo > hi)
        return "bad variable range '" + std::string(item) + "'";
    } else if (number(item, &lo)) {
      hi = lo;
    } else {
      return "bad variable number '" + std::string(item) + "'";
    }
    if (lo < 1 || hi > nvars)
      return "variable " + std::to_string(lo < 1 ? lo : hi) + " out of range 1.." +
             std::to_string(nvars);
    for (long v = lo; v <= hi; ++v) (*chosen)[static_cast<std::size_t>(v)] = true;
    pos = comma + 1;
  }
  return std::nullopt;
}

// M with its columns in the order keep (1-based column numbers).
Matrix select_columns(dd_MatrixPtr M, const std::vector<dd_colrange> &keep)
{
  Matrix R(dd_CreateMatrix(M->rowsize, static_cast<dd_colrange>(keep.size())));
  R->representation = M->representation;
  R->numbtype = M->numbtype;
  for (dd_rowrange i = 0; i < M->rowsize; ++i) {
    if (set_member(i + 1, M->linset)) set_addelem(R->linset, i + 1);
    for (std::size_t c = 0; c < keep.size(); ++c)
      ddd_set(R->matrix[i][c], M->matrix[i][keep[c] - 1]);
  }
  return R;
}

int run_project(const Args &args)
{
  const auto spec = args.value("--eliminate");
  if (!spec) return usage_error("project", "--eliminate COLS is required");
  Arithmetic arithmetic;
  if (!arithmetic_of(args, "project", &arithmetic)) return kExitUsage;
  std::unique_ptr<QMatrix> rational;
  Matrix M = read_input(args.file, &rational, arithmetic == Arithmetic::Double);
  if (!M) return kExitUsage;
  const dd_colrange d = M->colsize;
  std::vector<bool> chosen;
  if (auto e = parse_variables(*spec, d - 1, &chosen)) {
    complain(display_name(args.file), "--eliminate: " + *e);
    return kExitUsage;
  }
  std::vector<dd_colrange> kept, eliminated;
  for (dd_colrange j = 1; j <= d; ++j)
    (j >= 2 && chosen[static_cast<std::size_t>(j - 1)] ? eliminated : kept).push_back(j);

  Projection p;
  const char *projected_by = "coordinate";
  if (M->representation == dd_Generator) {
    // Generators project by dropping their coordinates.
    if (rational != nullptr && arithmetic != Arithmetic::Double) {
      p.exact = true;
      p.rational = *rational;
      p.rational.cols = static_cast<long>(kept.size());
      p.rational.entries.clear();
      for (long i = 0; i < rational->rows; ++i)
        for (dd_colrange c : kept) p.rational.entries.push_back(rational->at(i, c - 1));
    }
    p.output = select_columns(M.get(), kept);
  } else {
    proj::Method method = args.has("--fourier") ? proj::Method::Fourier : proj::Method::Auto;
    if (const auto m = args.value("--method")) {
      if (*m == "auto") method = proj::Method::Auto;
      else if (*m == "vertices") method = proj::Method::Vertices;
      else if (*m == "block") method = proj::Method::Block;
      else if (*m == "fourier") method = proj::Method::Fourier;
      else return usage_error("project", "--method must be auto, vertices, block or fourier");
    }
    method = proj::choose(M.get(), eliminated, method);
    projected_by = method == proj::Method::Vertices ? "vertices"
                   : method == proj::Method::Fourier ? "Fourier-Motzkin"
                                                     : "block";
    ops::Request rq = make_request(arithmetic);
    ProgressLine progress(progress_wanted(args), args.has("--progress"), &rq);
    const ops::HookScope hooks(rq);
    p = eliminate(M.get(), eliminated, method, !args.has("--no-reduce"), arithmetic, rational.get());
    if (p.error != dd_NoError) return computation_error(args, p.error);
    if (!p.output) {
      complain(display_name(args.file), "the elimination did not complete");
      return kExitComputation;
    }
    if (p.exact) note_exact(args, "project", arithmetic, rational != nullptr);
  }
  Output out(output_name(args, 'p', M->representation));
  if (!out.ok()) return kExitUsage;
  FILE *f = out.get();
  std::fprintf(f, "* projection of %s (%s elimination), variables eliminated:",
               comment_name(args.file).c_str(), projected_by);
  for (dd_colrange j : eliminated) std::fprintf(f, " %ld", j - 1);
  std::fputc('\n', f);
  if (p.exact)
    write_rational(f, p.rational);
  else
    dd_WriteMatrix(f, p.output.get());
  return out.finish(args.has("--quiet")) ? kExitOk : kExitUsage;
}

// ---- the table -----------------------------------------------------------------------

constexpr OptionSpec kConvertOptions[] = {
    {"--adjacency", false}, {"--incidence", false},
    {"--input-adjacency", false}, {"--input-incidence", false},
    {"--order", true}, {"--threads", true},
};
constexpr OptionSpec kLpOptions[] = {{"--method", true}};
constexpr OptionSpec kVolumeOptions[] = {{"--threads", true}};
constexpr OptionSpec kReduceOptions[] = {{"--strong", false}, {"--shooting", false}, {"--method", true}};
constexpr OptionSpec kProjectOptions[] = {
    {"--eliminate", true}, {"--fourier", false}, {"--method", true}, {"--no-reduce", false}};

constexpr std::string_view kCommonHelp =
    "\n"
    "FILE is a representation file (H-representation: rows b -A for b - A x >= 0;\n"
    "V-representation: rows 1 v for a point, 0 r for a ray), or - for standard input.\n"
    "The result goes to a file named after FILE (shown on standard error), to\n"
    "standard output when FILE is -, or where -o says.\n"
    "\n"
    "Common options:\n"
    "  -o, --output FILE  write the result to FILE (- for standard output)\n"
    "  --arithmetic A     double, exact or auto (the default: double precision when\n"
    "                     its answer is certified, else exact rationals, at once\n"
    "                     where they cost less; for a file with numbers that no\n"
    "                     double holds, such as 1/3, a double answer only once\n"
    "                     proved on those numbers); convert, lp, reduce, interior,\n"
    "                     linearity, adjacency, project and volume honour it and\n"
    "                     read such numbers exactly\n"
    "  --tolerance T      measured data (a number that is no integer) in auto: a\n"
    "                     double answer is kept when it is exactly right for data\n"
    "                     within relative distance T of the input (default 1e-12)\n"
    "  --quiet            no progress line, no notice of the files written\n"
    "  -h, --help         this text\n";

const Command kCommands[] = {
    {"convert", "compute the other representation (vertices and rays, or facets)",
     "Usage: zonix convert FILE [options]\n"
     "\n"
     "Computes the other representation of the polyhedron in FILE by the double\n"
     "description method: the generators of an H-representation (FILE.ext), or the\n"
     "inequalities of a V-representation (FILE.ine), with a run report.\n"
     "\n"
     "Options:\n"
     "  --adjacency        also write the adjacency of the output rows (.ead/.iad)\n"
     "  --incidence        also write the incidence of the output rows (.ecd/.icd)\n"
     "  --input-adjacency  also write the adjacency of the input rows (.iad/.ead)\n"
     "  --input-incidence  also write the incidence of the input rows (.icd/.ecd)\n"
     "  --order ORDER      the order of adding rows: spread (default: farthest-first\n"
     "                     where lexmin would sweep the points along one coordinate,\n"
     "                     else columns), lexmin, lexmax, minindex, maxindex,\n"
     "                     mincutoff, maxcutoff, mixcutoff, random, random:SEED or\n"
     "                     columns (rows as their columns come in, columns taken to\n"
     "                     complete the most rows; lexmin where rows use every column)\n"     "  --threads N        the threads to use, 1 to 64 (default: one per core); the\n"
     "                     result is the same for any N\n"
     "  --progress         show the progress line even when standard error is no terminal\n",
     kConvertOptions, run_convert},
    {"lp", "solve the LP of the file's maximize/minimize line",
     "Usage: zonix lp FILE [--method dual-simplex|criss-cross] [options]\n"
     "\n"
     "Solves the LP whose constraints are the H-representation in FILE and whose\n"
     "objective follows \"maximize\" or \"minimize\" after its end line, and writes\n"
     "the LP report (FILE.lps).  The default method is the dual simplex method.\n",
     kLpOptions, run_lp},
    {"reduce", "remove redundant rows",
     "Usage: zonix reduce FILE [--strong | --shooting] [options]\n"
     "\n"
     "Removes the redundant rows of FILE (FILE.solved): inequalities implied by\n"
     "the others, or generators that the others generate.\n"
     "\n"
     "Options:\n"
     "  --strong    remove the strongly redundant rows only: inequalities whose\n"
     "              hyperplane misses the polyhedron, generators in the relative\n"
     "              interior of the others\n"
     "  --shooting  find the essential inequalities by ray shooting first\n"
     "              (H-representations)\n"
     "  --method M  auto (default, by the file's shape), each (an LP over all\n"
     "              rows per row) or clarkson (LPs over the rows known to\n"
     "              stay); all remove the same rows\n"
     "  --progress  show the progress line even when standard error is no terminal\n",
     kReduceOptions, run_reduce},
    {"interior", "find an interior point",
     "Usage: zonix interior FILE [options]\n"
     "\n"
     "Finds a point of the H-representation in FILE at which every inequality\n"
     "holds strictly, by an LP that maximises the smallest slack (FILE.lps).\n",
     {}, run_interior},
    {"linearity", "find the implicit linearities",
     "Usage: zonix linearity FILE [options]\n"
     "\n"
     "Finds the rows of FILE that hold with equality on the whole polyhedron\n"
     "(inequalities) or whose negatives are generated too (generators), and\n"
     "writes the input with them declared as linearity (FILE.ddl).\n",
     {}, run_linearity},
    {"adjacency", "adjacency of the input rows",
     "Usage: zonix adjacency FILE [options]\n"
     "\n"
     "Writes for every row of FILE the rows adjacent to it (FILE.iad for\n"
     "inequalities, FILE.ead for generators), computed by LPs.\n",
     {}, run_adjacency},
    {"project", "eliminate variables",
     "Usage: zonix project FILE --eliminate COLS [--method M] [--no-reduce] [options]\n"
     "\n"
     "Projects the polyhedron of FILE by eliminating variables (FILEsub.ine).\n"
     "COLS lists variable numbers 1..d-1 (variable j is column j+1 of the file),\n"
     "separated by commas, with ranges such as 2-4.  Redundant rows are removed.\n"
     "\n"
     "Options:\n"
     "  --eliminate COLS  the variables to eliminate\n"
     "  --method M        auto (default: through the vertices for small systems,\n"
     "                    else Fourier-Motzkin for one or two variables, else\n"
     "                    block), vertices, block or fourier\n"
     "  --fourier         the same as --method fourier\n"
     "  --no-reduce       keep every row the elimination makes\n"
     "  --progress        show the progress line even when standard error is no terminal\n",
     kProjectOptions, run_project},
    {"volume", "the volume of a polytope", kVolumeUsage, kVolumeOptions, run_volume},
};

}  // namespace

std::span<const Command> commands() { return kCommands; }

std::string_view common_help() { return kCommonHelp; }

}  // namespace zonix::cli
