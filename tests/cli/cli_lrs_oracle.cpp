// Checks `zonix convert` against lrs on the generated families: both
// programs read the very same .ine/.ext file (the text notation is shared),
// and the answer of the command-line tool, read back from its output file
// with the library's reader, is compared with lrs's by the comparison of
// the library's own lrs oracle (tests/oracle/lrs_oracle.cpp, compiled in
// here), its adjacency file with the graph derived from lrs's rows.
//
//   cli_lrs_oracle ZONIX [--only TEXT] [--keep DIR]
//
// Prints "ok", "FAIL" or "xfail" per instance and closes with
// "N passed, M failed".
#define main lrs_oracle_main
#include "lrs_oracle.cpp"
#undef main

namespace {

std::string g_zonix;

std::string shell_quoted(const std::string &s) { return "'" + s + "'"; }

// The family file that `zonix convert --adjacency` writes: a header line,
// "begin", sizes, then "i card : members" (a negative card lists the
// complement), "end".
bool read_family(const fs::path &p, std::vector<std::vector<long>> *sets, long *ground,
                 std::string *err)
{
  std::ifstream in(p);
  std::string line;
  if (!std::getline(in, line) || !std::getline(in, line) || line != "begin") {
    *err = "no family in " + p.string();
    return false;
  }
  long count = 0;
  if (!(in >> count >> *ground)) {
    *err = "no family sizes in " + p.string();
    return false;
  }
  for (long k = 1; k <= count; ++k) {
    long index = 0, card = 0;
    std::string colon;
    if (!(in >> index >> card >> colon) || index != k || colon != ":") {
      *err = "bad family line " + std::to_string(k) + " in " + p.string();
      return false;
    }
    std::vector<bool> member(static_cast<std::size_t>(*ground + 1), card < 0);
    const long listed = card < 0 ? *ground + card : card;
    for (long t = 0; t < listed; ++t) {
      long e = 0;
      if (!(in >> e) || e < 1 || e > *ground) {
        *err = "bad member in family line " + std::to_string(k);
        return false;
      }
      member[static_cast<std::size_t>(e)] = card >= 0;
    }
    std::vector<long> s;
    for (long e = 1; e <= *ground; ++e)
      if (member[static_cast<std::size_t>(e)]) s.push_back(e);
    sets->push_back(std::move(s));
  }
  std::string end;
  if (!(in >> end) || end != "end") {
    *err = "family without end in " + p.string();
    return false;
  }
  return true;
}

// Runs the tool on the file lrs read and reads its answer back.
std::optional<ZonixResult> run_cli(const fs::path &input, const Instance &inst, std::string *err)
{
  const fs::path out = input.parent_path() / (input.stem().string() + ".zonix");
  const fs::path adj =
      input.parent_path() / (input.stem().string() + (inst.rep == Rep::H ? ".ead" : ".iad"));
  fs::remove(out);
  fs::remove(adj);
  const std::string cmd = shell_quoted(g_zonix) + " convert " + shell_quoted(input.string()) + " -o " +
                          shell_quoted(out.string()) + " --adjacency --quiet 2>" +
                          shell_quoted((input.parent_path() / "stderr.txt").string());
  const int rc = std::system(cmd.c_str());
  if (rc != 0) {
    *err = "zonix convert exited with status " + std::to_string(rc);
    return std::nullopt;
  }
  FILE *f = std::fopen(out.c_str(), "r");
  if (f == nullptr) {
    *err = "no output file " + out.string();
    return std::nullopt;
  }
  dd_ErrorType e = dd_NoError;
  std::FILE *saved = stderr;
  // The reader's size notice is of no interest here.
  stderr = std::fopen("/dev/null", "w");
  dd_MatrixPtr R = dd_PolyFile2Matrix(f, &e);
  std::fclose(stderr);
  stderr = saved;
  std::fclose(f);
  std::optional<ZonixResult> res;
  if (R == nullptr || e != dd_NoError) {
    *err = "the output file does not read back (error " + std::to_string(static_cast<int>(e)) + ")";
  } else if (R->colsize != inst.cols) {
    *err = "output has " + std::to_string(R->colsize) + " columns, input " +
           std::to_string(inst.cols);
  } else if (R->representation != (inst.rep == Rep::H ? dd_Generator : dd_Inequality)) {
    *err = "output file has the wrong representation";
  } else {
    ZonixResult z;
    z.out.inequalities = inst.rep == Rep::V;
    for (long i = 0; i < R->rowsize; ++i) {
      Vec v;
      for (long j = 0; j < R->colsize; ++j) v.push_back(ddd_get_d(R->matrix[i][j]));
      z.out.rows.push_back(std::move(v));
      z.out.lin.push_back(set_member(i + 1, R->linset) != 0);
    }
    std::string ferr;
    z.has_adjacency = read_family(adj, &z.adjacency, &z.adjacency_ground, &ferr);
    if (!z.has_adjacency && R->rowsize <= static_cast<long>(kMaxAdjacencyRows)) *err = ferr;
    else res = std::move(z);
  }
  dd_FreeMatrix(R);
  return res;
}

void check_cli(const Instance &original, Tally *tally, bool known_failure)
{
  // lrs reads a V-representation only with a point in it, so a cone gets
  // its apex; the tool then reads the same file.
  Instance inst = original;
  if (inst.rep == Rep::V && !has_point(inst)) {
    std::vector<Rational> origin(static_cast<std::size_t>(inst.cols), fam::rat(0));
    origin[0] = fam::rat(1);
    inst.rows.push_back(origin);
  }
  const std::string stem = file_stem(inst.name);
  const fs::path input = g_workdir / (stem + (inst.rep == Rep::V ? ".ext" : ".ine"));
  std::string err;
  Verdict v;
  auto lrs = run_lrs_text(fam::lrs_text(inst), stem, inst.cols, &err);
  if (!lrs) {
    v.fail("lrs: " + err);
    tally->report(inst.name, v, "");
    return;
  }
  auto z = run_cli(input, inst, &err);
  if (!z) {
    v.fail(err);
    tally->report(inst.name, v, "", known_failure);
    return;
  }
  const Context ctx = context_of(inst);
  Match match;
  std::string summary;
  v = compare(ctx, z->out, *lrs, &match, &summary);
  if (v.ok && !lrs->infeasible) check_adjacency(inst, ctx, z->out, *z, *lrs, match, &v, &summary);
  tally->report(inst.name, v, summary + input_summary(inst), known_failure);
}

}  // namespace

int main(int argc, char **argv)
{
  std::string only, keep;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--only" && i + 1 < argc) only = argv[++i];
    else if (a == "--keep" && i + 1 < argc) keep = argv[++i];
    else if (g_zonix.empty() && a[0] != '-') g_zonix = a;
    else {
      std::fprintf(stderr, "usage: %s ZONIX [--only TEXT] [--keep DIR]\n", argv[0]);
      return 2;
    }
  }
  if (g_zonix.empty()) {
    std::fprintf(stderr, "usage: %s ZONIX [--only TEXT] [--keep DIR]\n", argv[0]);
    return 2;
  }
  g_lrs = find_lrs();
  if (g_lrs.empty()) {
    std::printf("FAIL: lrs not found on PATH (package lrslib, installed by scripts/setup)\n");
    std::printf("0 passed, 1 failed\n");
    return 1;
  }
  if (!keep.empty()) {
    g_workdir = keep;
    fs::create_directories(g_workdir);
  } else {
    std::string tmpl = (fs::temp_directory_path() / "cli_lrs_oracle.XXXXXX").string();
    if (!mkdtemp(tmpl.data())) {
      std::printf("FAIL: cannot create a temporary directory\n0 passed, 1 failed\n");
      return 1;
    }
    g_workdir = tmpl;
  }
  auto wanted = [&](const Instance &inst) {
    return only.empty() || inst.name.find(only) != std::string::npos;
  };
  Tally tally;
  for (const auto &inst : suite())
    if (wanted(inst)) check_cli(inst, &tally, false);
  for (const auto &inst : known_numerical_failures())
    if (wanted(inst)) check_cli(inst, &tally, true);
  if (keep.empty()) fs::remove_all(g_workdir);
  if (tally.xfailed) std::printf("%d known failures (numerical limits of the engine)\n", tally.xfailed);
  std::printf("%d passed, %d failed\n", tally.passed, tally.failed);
  return tally.failed == 0 ? 0 : 1;
}
