#!/usr/bin/env python3
"""Seeds one fault at a time into lib-src/ and gateway/, rebuilds, runs the
tests, and records whether they notice.  A fault is (file, a line fragment
that must occur exactly once, its replacement): it says "does not apply"
once the code has moved.  The tree is restored after each fault.

The faults of AUTO go into the double build of a solver only (the line is
kept as it was for the exact build, under ZONIX_EXACT): the default
arithmetic must still answer right (the unit tests AutoAnswers pass) while
double precision shows the fault (DoubleAnswers fail): "auto right, double
wrong".  "AUTO WRONG" is a wrong default answer; "double unaffected", a
fault the double answers do not show.  The faults of EXACT go into the
exact build only: the default answers must be right or an error.

    tests/seed_faults.py [--tree DIR] [--build DIR] [--out FILE] [--unit-only] [--list] [IDS...]

Results go to FILE (default DIR/build-faults/faults.tsv), one line a fault,
so an interrupted run resumes where it stopped.
"""
import argparse, os, subprocess, sys

F = [  # id, file, fragment, replacement
    ("set-blocks", "lib-src/setoper.cpp", "/ set_word_bits + 2;", "/ set_word_bits + 1;"),
    ("set-diff", "lib-src/setoper.cpp", "set[i] = set1[i] & ~set2[i];", "set[i] = set1[i] & set2[i];"),
    ("set-subset", "lib-src/setoper.cpp", "if ((set1[i] | set2[i]) != set2[i])", "if ((set1[i] & set2[i]) != set2[i])"),
    ("set-compl-mask", "lib-src/setoper.cpp", "if (used < kWordBits) set[B - 1]", "if (used > kWordBits) set[B - 1]"),
    ("lp-eq-neg", "lib-src/zonixlp.cpp", "ddd_neg(lp->A[irev - 1][j], M->matrix[i - 1][j]);", "ddd_set(lp->A[irev - 1][j], M->matrix[i - 1][j]);"),
    ("lp-pivot-total", "lib-src/zonixlp.cpp", "for (int k = 0; k < 5; ++k) lp->total_pivots", "for (int k = 0; k < 4; ++k) lp->total_pivots"),
    ("cc-inconsistent", "lib-src/zonixlp_crisscross.cpp", "if (!*selected) *lps = dd_Inconsistent;", "if (!*selected) *lps = dd_DualInconsistent;"),
    ("cc-bflag", "lib-src/zonixlp_crisscross.cpp", "if (bflag[i] <= 0) continue;", "if (bflag[i] < 0) continue;"),
    ("ds-dual-feasible", "lib-src/zonixlp_dualsimplex.cpp", "if (j != rhscol && dd_Positive(rcost[j - 1])) return;", "if (j != rhscol && dd_Negative(rcost[j - 1])) return;"),
    ("ds-ratio-min", "lib-src/zonixlp_dualsimplex.cpp", "const bool better = *s == 0 || dd_Smaller(rat, minrat) ||", "const bool better = *s == 0 || dd_Larger(rat, minrat) ||"),
    ("ds-ratio-max", "lib-src/zonixlp_dualsimplex.cpp", "if (dd_Larger(ratio, maxratio)) {", "if (dd_Smaller(ratio, maxratio)) {"),
    ("ds-bflag", "lib-src/zonixlp_internal.hpp", "if (i != objrow && bflag[i] == -1) rows[n++] = i;", "if (i != objrow - 1 && bflag[i] == -1) rows[n++] = i;"),
    ("dict-entering", "lib-src/zonixlp_dict.cpp", "if (entering > 0) bflag[entering] = -1;", "if (entering < 0) bflag[entering] = -1;"),
    ("dict-rank", "lib-src/zonixlp_dict.cpp", "if (rank >= d_size - 1) {", "if (rank >= d_size - 2) {"),
    ("red-sign", "lib-src/zonixlp_redundancy.cpp", "if (dd_Negative(lp->optvalue)) return dd_FALSE;", "if (dd_Positive(lp->optvalue)) return dd_FALSE;"),
    ("red-strong-swap", "lib-src/zonixlp_redundancy.cpp", "return dd_Positive(lp2->optvalue) ? dd_FALSE : dd_TRUE;", "return dd_Positive(lp2->optvalue) ? dd_TRUE : dd_FALSE;"),
    ("red-relax", "lib-src/zonixlp_redundancy.cpp", "ddd_add(lp->A[itest - 1][0], lp->A[itest - 1][0], dd_one);", "ddd_sub(lp->A[itest - 1][0], lp->A[itest - 1][0], dd_one);"),
    ("red-implicit", "lib-src/zonixlp_redundancy.cpp", "if (implicit_row(N.get(), i, cvec.get(), error)) set_addelem(", "if (!implicit_row(N.get(), i, cvec.get(), error)) set_addelem("),
    ("red-skip-free", "lib-src/zonixlp_redundancy.cpp", "    set_delelem(Mcopy->linset, i);", "    set_delelem(Mcopy->linset, i);\n    (void)red.release();"),
    ("proj-positive", "lib-src/zonixproj.cpp", "if (dd_Positive(last))", "if (dd_Nonnegative(last))"),
    ("proj-dual-lin", "lib-src/zonixproj.cpp", "if (!set_member(j + 1, M->linset)) ddd_set(Mdual", "if (set_member(j + 1, M->linset)) ddd_set(Mdual"),
    ("shoot-min", "lib-src/zonixlp_shooting.cpp", "if (dd_Smaller(alpha, min)) {", "if (dd_Larger(alpha, min)) {"),
    ("shoot-dir", "lib-src/zonixlp_shooting.cpp", "ddd_set_si(shootdir[j - 1], sign);", "ddd_set_si(shootdir[j - 1], -sign);"),
    ("interior-neg", "lib-src/zonixlp_interior.cpp", "ddd_neg(lpnew->A[i - 1][d], dd_one);", "ddd_set(lpnew->A[i - 1][d], dd_one);"),
    ("interior-bmax", "lib-src/zonixlp_interior.cpp", "if (dd_Larger(lp->A[i - 1][rhs - 1], bmax))", "if (dd_Smaller(lp->A[i - 1][rhs - 1], bmax))"),
    ("order-mininf", "lib-src/zonixcore_order.cpp", "if (inf < infmin) {", "if (inf > infmin) {"),
    ("order-lexmin", "lib-src/zonixcore_order.cpp", "if (*hh == 0 || dd_LexSmaller(cone->A[i - 1]", "if (*hh == 0 || dd_LexLarger(cone->A[i - 1]"),
    ("order-maxindex", "lib-src/zonixcore_order.cpp", "for (dd_rowrange i = 1; i <= m; ++i) OV[i] = m - i + 1;", "for (dd_rowrange i = 1; i <= m; ++i) OV[i] = i;"),
    ("rays-snap", "lib-src/zonixcore_rays.cpp", "if (ddd_get_d(a) <= near) return snapped_sign(", "if (ddd_get_d(a) >= near) return snapped_sign("),
    ("rays-equal", "lib-src/zonixcore_rays.cpp", "if (!dd_Equal((*RP1)->Ray[j - 1], (*RP2)->Ray[j - 1])) *equal", "if (dd_Equal((*RP1)->Ray[j - 1], (*RP2)->Ray[j - 1])) *equal"),
    ("rays-lex", "lib-src/zonixcore_rays.cpp", "return dd_Smaller(v1[j - 1], v2[j - 1]);", "return dd_Larger(v1[j - 1], v2[j - 1]);"),
    ("rays-normalize", "lib-src/zonixcore_rays.cpp", "for (dd_colrange j = 2; j <= d_origsize; ++j) ddd_div(", "for (dd_colrange j = 2; j < d_origsize; ++j) ddd_div("),
    ("basis-bound", "lib-src/zonixcore_basis.cpp", "if (ddd_get_d(a) <= zonix::core::value_bound(v, 0.0, d))", "if (ddd_get_d(a) >= zonix::core::value_bound(v, 0.0, d))"),
    ("basis-iteration", "lib-src/zonixcore_basis.cpp", "cone->Iteration = d + 1;", "cone->Iteration = d + 2;"),
    ("basis-pivot", "lib-src/zonixcore_basis.cpp", "ddd_mul(temp, Rtemp[j], Tk[s - 1]);", "ddd_mul(temp, Rtemp[j], Tk[s]);"),
    ("edges-card", "lib-src/zonixcore_edges.cpp", "if (card >= pf.need) {", "if (card > pf.need) {"),
    ("edges-range", "lib-src/zonixcore_adjacency.cpp", "if (pos >= walk_end && pos < fmin && eqidx[r] >= 0) return true;", "if (pos > walk_end && pos < fmin && eqidx[r] >= 0) return true;"),
    ("driver-zeros", "lib-src/dovavozu.cpp", "if (zeros < d - 1 || set_subset(cone->InitialHalfspaces, r->ZeroSet)", "if (zeros < d - 2 || set_subset(cone->InitialHalfspaces, r->ZeroSet)"),
    ("driver-bound", "lib-src/dovavozu.cpp", "if (val < -bound) return true;", "if (val < bound) return true;"),
    ("io-submatrix-lin", "lib-src/zonixio.cpp", "set_addelem(S->linset, i - skipped);", "set_addelem(S->linset, i);"),
    ("io-remove-row", "lib-src/zonixio.cpp", "for (dd_rowrange i = r + 1; i <= m; ++i) {", "for (dd_rowrange i = r + 1; i < m; ++i) {"),
    ("io-append-lin", "lib-src/zonixio.cpp", "if (set_member(i, src)) set_addelem(dst, i + offset);", "if (set_member(i, src)) set_addelem(dst, i + 0 * offset);"),
    ("read-zero-den", "lib-src/zonixio_file.cpp", "if (!nonzero_digits(s, p.end + 1, q.end)) return false;  // a zero denominator", "// a zero denominator"),
    ("read-lin-range", "lib-src/zonixio_file.cpp", "else if (row < 1 || row > m)", "else if (row < 1 || row >= m)"),
    ("out-adj-need", "lib-src/zonixio_output.cpp", "if (shared[static_cast<size_t>(b)] >= need) decide(a, b);", "if (shared[static_cast<size_t>(b)] > need) decide(a, b);"),
    ("out-ainc", "lib-src/zonixio_output.cpp", "if (i <= last) set_addelem(poly->Ainc[i - 1], k);", "if (i < last) set_addelem(poly->Ainc[i - 1], k);"),
    ("out-face", "lib-src/zonixcore_bits.hpp", "if ((face[k] & ~z[k]) != 0u) return false;", "if ((face[k] & z[k]) != 0u) return false;"),
    ("chk-side", "lib-src/zonixcheck.cpp", "if (s < 0) return no(named(c.elems, x) + \" is on the wrong side of \"", "if (s < -1) return no(named(c.elems, x) + \" is on the wrong side of \""),
    ("chk-farkas-zero", "lib-src/zonixcheck.cpp", "return M.cols == 0 || sgn(sum[0]) >= 0 ||", "return M.cols == 0 || sgn(sum[0]) > 0 ||"),
    ("chk-implicit", "lib-src/zonixcheck.cpp", "bool shown = !implicit(a) || c.atoms.bits[a] == 0 ||", "bool shown = true ||"),
    ("chk-open-ridge", "lib-src/zonixcheck.cpp", "if (f == degfaces.end()) return no(\"a 2-face at \"", "if (false) return no(\"a 2-face at \""),
    ("chk-lp-value", "lib-src/zonixcheck.cpp", "const bool equal = s * value(lp.rowvec.data(), x) == s * lp.rowvec[0] + sum[0];", "const bool equal = s * value(lp.rowvec.data(), x) <= s * lp.rowvec[0] + sum[0];"),
    ("chk-lp-sense", "lib-src/zonixcheck.cpp", "const int s = lp.objective == dd_LPmax ? 1 : -1;", "const int s = lp.objective == dd_LPmax ? 1 : 1;"),
    ("chk-margin", "lib-src/zonixcheck.cpp", ": s < low)", ": sgn(s) < 0)"),
    ("chk-slack", "lib-src/zonixcheck.cpp", "hrep ? sgn(sum[0]) >= int{strong}", "hrep ? sgn(sum[0]) >= -1"),
    ("chk-rank-fallback", "lib-src/zonixcheck.cpp", "R - 1) < R - 1 && rank_with(w.eqbase, c.atoms, w.z(x), R - 1) < R - 1)", "R - 1) < R - 1)"),
    ("chk-unproved-wrong", "lib-src/zonixcheck.cpp", "return Verdict{false, std::move(why), unproved};", "return Verdict{false, std::move(why), unproved || why.size() < 1000};"),
    ("chk-strong-coef", "lib-src/zonixcheck.cpp", "std::vector<char> positive(kept.size());", "std::vector<char> positive(kept.size(), 1);"),
    ("chk-strong-zero", "lib-src/zonixcheck.cpp", "++i) off = sign_dot(kr, i, wr, k) != 0;", "++i) off = true;"),
    ("chk-strong-touch", "lib-src/zonixcheck.cpp", "i == k ? sv >= int{strong} :", "i == k ? sv >= 2 * int{strong} :"),
    ("chk-lines-constant", "lib-src/zonixcheck.cpp", "V.entries.emplace_back(0)", "V.entries.emplace_back(1)"),
    ("chk-proj-inner", "lib-src/zonixcheck.cpp", "if (at(k, project(inner)) <= 0)", "if (at(k, project(inner)) < 0)"),
    ("chk-radix", "lib-src/zonixcheck.cpp", "for (int b = 0; b < 32 && !t.empty(); b += 11, v.swap(t))", "for (int b = 11; b < 32 && !t.empty(); b += 11, v.swap(t))"),
    ("chk-ridge-run", "lib-src/zonixcheck.cpp", "std::equal(p + hi + 1, p + n, q + hi + 1)", "std::equal(p + hi + 1, p + n - 1, q + hi + 1)"),
    ("chk-int-row", "lib-src/zonixcheck.cpp", "small.push_back(g > 1 ? e[j] / g : e[j]);", "small.push_back(j + 1 < d ? (g > 1 ? e[j] / g : e[j]) : 0);"),
    ("settle-w128-quotient", "lib-src/zonixarith_settle.cpp", "<< shift) >> shift; }", ") >> shift; }"),
    ("exact-int-rows-sign", "lib-src/zonixio_output.cpp", "      a[j] = x->v;", "      a[j] = j == 1 ? -x->v : x->v;"),
    ("gw-h-sign", "gateway/convert.cpp", "ddd_set_d(M->matrix[i][j + 1], -a[i + j * m]);", "ddd_set_d(M->matrix[i][j + 1], a[i + j * m]);"),
    ("gw-h-out-sign", "gateway/convert.cpp", "= 0.0 - ddd_get_d(M->matrix[i][j + 1]);", "= 0.0 + ddd_get_d(M->matrix[i][j + 1]);"),
    ("gw-lin-range", "gateway/convert.cpp", "v[i] <= static_cast<double>(n) &&", "v[i] < static_cast<double>(n) &&"),
    ("gw-ray-index", "gateway/convert.cpp", "rp[ir++] = static_cast<double>(i + 1);", "rp[ir++] = static_cast<double>(i);"),
    ("gw-r-cols", "gateway/convert.cpp", "if (q > 0 && static_cast<mwSize>(mxGetN(R)) != d) {", "if (q > 1 && static_cast<mwSize>(mxGetN(R)) != d) {"),
    ("gw-dual-sign", "gateway/cmd_lp.cpp", "l[r - 1] = ddd_get_d(lp->dsol[j - 1]);", "l[r - 1] = -ddd_get_d(lp->dsol[j - 1]);"),
    ("mchk-valid-side", "lib-src/zonixcheck_measured.cpp", "if (s < 0) return no(\"element \"", "if (s < -1) return no(\"element \""),
    ("mchk-valid-rank", "lib-src/zonixcheck_measured.cpp", "if (rank_of(atoms, on, scratch) != d - 1)", "if (rank_of(atoms, on, scratch) < d - 2)"),
    ("gw-reduce-nlhs", "gateway/cmd_reduce.cpp", "check_call(nlhs, nrhs, prhs, 1, 1, 2, usage);", "check_call(nlhs, nrhs, prhs, 1, 1, 3, usage);"),
]

AUTO = [  # id, file, fragment, replacement: in the double build only
    ("auto-lp-value", "lib-src/zonixlp.cpp", "ddd_set_d(lp->optvalue, a.optvalue);", "ddd_set_d(lp->optvalue, a.optvalue + 1);"),
    ("auto-lp-status", "lib-src/zonixlp.cpp", "ddd_set_d(lp->optvalue, a.optvalue);", "ddd_set_d(lp->optvalue, a.optvalue); if (lp->LPS == dd_Inconsistent) lp->LPS = dd_DualInconsistent;"),
    ("auto-lp-point", "lib-src/zonixlp.cpp", "ddd_set_d(lp->sol[j], a.sol[j]);", "ddd_set_d(lp->sol[j], -a.sol[j]);"),
    ("auto-vertex-moved", "lib-src/zonixio_output.cpp", "dd_CopyRay(a, d, r, rep, cone->newcol);", "dd_CopyRay(a, d, r, rep, cone->newcol); ddd_add(a[d - 1], a[d - 1], a[0]);"),
    ("auto-edge-removed", "lib-src/zonixio_output.cpp", "zonix::core::ridge_pairs(z, added + 1, nw, need, pairs);", "zonix::core::ridge_pairs(z, added + 1, nw, need, pairs); if (!pairs.empty()) pairs.pop_back();"),
    ("auto-edges-added", "lib-src/zonixio_output.cpp", "zonix::core::ridge_pairs(z, added + 1, nw, need, pairs);", "zonix::core::ridge_pairs(z, added + 1, nw, need, pairs); for (int k = 1; k <= 4 && nshown > 5; ++k) pairs.emplace_back(0, static_cast<int>(nshown) - k);"),
    ("auto-lp-ray-sign", "lib-src/zonixlp_dict.cpp", "for (dd_colrange j = 1; j <= d_size; ++j) ddd_set(sol[j - 1], T[j - 1][se - 1]);", "for (dd_colrange j = 1; j <= d_size; ++j) ddd_neg(sol[j - 1], T[j - 1][se - 1]);"),
    ("auto-row-dropped", "lib-src/zonixio_output.cpp", "dd_bigrange total = cone->LinearityDim + cone->FeasibleRayCount;", "dd_bigrange total = cone->LinearityDim + cone->FeasibleRayCount - 1;"),
    ("auto-incidence", "lib-src/zonixio_output.cpp", "if (i <= last) set_addelem(poly->Ainc[i - 1], k);", "if (i + 1 < last) set_addelem(poly->Ainc[i - 1], k);"),
    ("auto-red-kept-dropped", "lib-src/zonixlp_redundancy.cpp", "if (dd_Negative(lp->optvalue)) return dd_FALSE;", "if (dd_Positive(lp->optvalue)) return dd_FALSE;"),
    ("auto-clarkson-kept", "lib-src/zonixlp_clarkson.cpp", "if (run.flags()[static_cast<size_t>(i)] == kRedundant) set_addelem(red.get(), i + 1);",
     "if (run.flags()[static_cast<size_t>(i)] == kRedundant || i == m - 1) set_addelem(red.get(), i + 1);"),
    ("auto-clarkson-dropped", "lib-src/zonixlp_clarkson.cpp", "if (run.flags()[static_cast<size_t>(i)] == kRedundant) set_addelem(red.get(), i + 1);",
     "if (run.flags()[static_cast<size_t>(i)] == kRedundant && i != 0) set_addelem(red.get(), i + 1);"),
    ("auto-red-relax", "lib-src/zonixlp_redundancy.cpp", "ddd_add(lp->A[itest - 1][0], lp->A[itest - 1][0], dd_one);", "ddd_sub(lp->A[itest - 1][0], lp->A[itest - 1][0], dd_one);"),
    ("auto-implicit", "lib-src/zonixlp_redundancy.cpp", "if (implicit_row(N.get(), i, cvec.get(), error)) set_addelem(", "if (!implicit_row(N.get(), i, cvec.get(), error)) set_addelem("),
    ("auto-proj-equations", "lib-src/zonixproj.cpp", "if (set_member(i + 1, G->linset)) set_addelem(R->linset, i + 1);", "set_addelem(R->linset, i + 1);"),
    ("auto-interior-margin", "lib-src/zonixlp_interior.cpp", "for (dd_rowrange i = 1; i <= m; ++i) ddd_neg(lpnew->A[i - 1][d], dd_one);", "for (dd_rowrange i = 1; i <= m; ++i) ddd_set(lpnew->A[i - 1][d], dd_one);"),
    ("auto-interior-ceiling", "lib-src/zonixlp_interior.cpp", "if (dd_Larger(lp->A[i - 1][rhs - 1], bmax))", "if (dd_Smaller(lp->A[i - 1][rhs - 1], bmax))"),
]

EXACT = [  # id, file, fragment, replacement: in the exact build only
    ("exact-vertex-moved", "lib-src/zonixio_output.cpp", "dd_CopyRay(a, d, r, rep, cone->newcol);", "dd_CopyRay(a, d, r, rep, cone->newcol); ddd_add(a[d - 1], a[d - 1], a[0]);"),
    ("exact-row-dropped", "lib-src/zonixio_output.cpp", "dd_bigrange total = cone->LinearityDim + cone->FeasibleRayCount;", "dd_bigrange total = cone->LinearityDim + cone->FeasibleRayCount - 1;"),
    ("exact-proj-positive", "lib-src/zonixproj.cpp", "if (dd_Positive(last))", "if (dd_Nonnegative(last))"),
    ("exact-proj-dual-lin", "lib-src/zonixproj.cpp", "if (!set_member(j + 1, M->linset)) ddd_set(Mdual", "if (set_member(j + 1, M->linset)) ddd_set(Mdual"),
    ("exact-normalize", "lib-src/zonixcore_rays.cpp", "for (dd_colrange j = 2; j <= d_origsize; ++j) ddd_div(", "for (dd_colrange j = 2; j < d_origsize; ++j) ddd_div("),
]

CHECKED = [  # id, file, fragment, replacement: in the proofs auto relies on, which the checker must overrule
    ("proof-red-last-row", "lib-src/zonixlp_certify.cpp", "found = test == RowTest::Redundant || second ? *sign >= 0 : *sign > 0;",
     "found = test == RowTest::Redundant || second ? *sign >= 0 || i == m : *sign > 0;"),
    ("proof-red-kept", "lib-src/zonixlp_certify.cpp", "found = test == RowTest::Redundant || second ? *sign >= 0 : *sign > 0;",
     "found = test == RowTest::Redundant || second ? *sign > 0 : *sign > 0;"),
    ("proof-strong-touching", "lib-src/zonixlp_certify.cpp", "found = test == RowTest::Redundant || second ? *sign >= 0 : *sign > 0;",
     "found = test == RowTest::Redundant || second ? *sign >= 0 : *sign >= 0;"),
    ("proof-strong-gen-first-inside", "lib-src/zonixlp_certify.cpp", "if (sgn(s.optvalue) > 0) {", "if (sgn(s.optvalue) > 0 && i > 1) {"),
    ("proof-strong-gen-none-inside", "lib-src/zonixlp_certify.cpp", "if (sgn(s.optvalue) > 0) {", "if (sgn(s.optvalue) >= 0) {"),
    ("proof-implicit-last-row", "lib-src/zonixlp_certify.cpp", "found = lp->LPS == dd_Optimal && *sign == 0;",
     "found = (lp->LPS == dd_Optimal && *sign == 0) || i == m;"),
    ("proof-implicit-none", "lib-src/zonixlp_certify.cpp", "found = lp->LPS == dd_Optimal && *sign == 0;", "found = false;"),
    ("proof-rounds-claim-zero", "lib-src/zonixarith.cpp", "if (sgn(w[static_cast<size_t>(i)]) > 0 && candidate[static_cast<size_t>(i)] != 0)",
     "if (sgn(w[static_cast<size_t>(i)]) >= 0 && candidate[static_cast<size_t>(i)] != 0)"),
    ("proof-rounds-open-point", "lib-src/zonixarith.cpp", "    if (sgn(s.optvalue) > 0) {\n      x.assign(", "    if (sgn(s.optvalue) >= 0) {\n      x.assign("),
    ("proof-proj-vertex-out", "lib-src/zonixarith.cpp", "  if (!holds_exactly(q, G)) return p;",
     "  if (G.rows > 0) G.at(0, 1) += 1;\n  if (!holds_exactly(q, G)) return p;"),
    ("proof-proj-multipliers", "lib-src/zonixarith.cpp", "    w.canonicalize();", "    w.canonicalize(); w *= 2;"),
    ("proof-exact-proj-rows", "lib-src/zonixarith.cpp", "ExactResult res = run_exact(zonix_exact_eliminate, rq);",
     "ExactResult res = run_exact(zonix_exact_eliminate, rq); if (res.output.rows > 1) { res.output.rows -= 1; "
     "res.output.entries.resize(static_cast<size_t>(res.output.rows * res.output.cols)); res.output.linearity.clear(); }"),
]


def double_only(text, frag, repl, exact=False):
    """The line holding frag twice: as it was for the exact build, with the
    fault for the double build."""
    start = text.rfind("\n", 0, text.index(frag)) + 1
    end = text.index("\n", text.index(frag))
    line = text[start:end]
    first, second = (line.replace(frag, repl), line) if exact else (line, line.replace(frag, repl))
    return text[:start] + "#ifdef ZONIX_EXACT\n" + first + "\n#else\n" + second + "\n#endif" + text[end:]


def auto_suite(bdir):
    if not build(bdir, ["unit_tests"]):
        return "does not build"
    if run(["nice", "./unit_tests", "--gtest_filter=AutoAnswers.*", "--gtest_brief=1"], bdir, UNIT_TIMEOUT):
        return "AUTO WRONG"
    if run(["nice", "./unit_tests", "--gtest_filter=DoubleAnswers.*", "--gtest_brief=1"], bdir, UNIT_TIMEOUT):
        return "auto right, double wrong"
    return "double unaffected"


def checked_suite(bdir):
    """A fault in what auto takes as proof: the checker must leave the
    default answers right or refused."""
    if not build(bdir, ["unit_tests"]):
        return "does not build"
    if run(["nice", "./unit_tests", "--gtest_filter=AutoAnswers.RightOrRefused", "--gtest_brief=1"], bdir, UNIT_TIMEOUT):
        return "AUTO WRONG"
    if run(["nice", "./unit_tests", "--gtest_filter=*", "--gtest_brief=1"], bdir, UNIT_TIMEOUT):
        return "auto right or refused, other tests fail"
    return "auto right or refused"


def exact_suite(bdir):
    """A fault in the exact run: auto answers right or refuses, never wrong."""
    if not build(bdir, ["unit_tests"]):
        return "does not build"
    if run(["nice", "./unit_tests", "--gtest_filter=AutoAnswers.RightOrRefused", "--gtest_brief=1"], bdir, UNIT_TIMEOUT):
        return "AUTO WRONG"
    if run(["nice", "./unit_tests", "--gtest_filter=AutoAnswers.ExactAnswersRight", "--gtest_brief=1"], bdir, UNIT_TIMEOUT):
        return "auto right or refused, exact wrong"
    return "exact unaffected"


UNIT_TIMEOUT = 600   # the whole unit binary; a fault may make a loop endless
CTEST_TIMEOUT = 300  # one CTest test


def run(cmd, cwd, timeout=None):
    try:
        return subprocess.run(cmd, cwd=cwd, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return -1


def build(bdir, targets=()):
    return run(["nice", "cmake", "--build", bdir, "-j2"] + (["--target", *targets] if targets else []), bdir) == 0


def suite(bdir, gateway, unit_only=False):
    """Returns the first stage that fails, or '' when everything passes."""
    if gateway and unit_only:
        return "skipped"
    if not gateway:
        if not build(bdir, ["unit_tests"]):
            return "build"
        if run(["nice", "./unit_tests", "--gtest_fail_fast", "--gtest_brief=1"], bdir, UNIT_TIMEOUT):
            return "unit"
        if unit_only:
            return "skipped"
    if not build(bdir):
        return "build"
    # Quick stages first: the oracles take minutes.
    stages = ["octave", "cli", "capi|example|fuzz", "oracle"] if gateway else \
             ["cli", "capi|example|fuzz", "octave", "oracle"]
    for label in stages:
        if run(["nice", "ctest", "-L", label, "-LE", "^unit$", "--stop-on-failure", "-j2",
                "--timeout", str(CTEST_TIMEOUT)], bdir):
            return label.split("|")[0]
    return ""


def main():
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    ap = argparse.ArgumentParser()
    ap.add_argument("--tree", default=here)
    ap.add_argument("--build")
    ap.add_argument("--out")
    ap.add_argument("--list", action="store_true", help="only check which faults apply")
    ap.add_argument("--unit-only", action="store_true",
                    help="a quick first pass: the unit tests only; a later full run "
                         "completes the faults they miss")
    ap.add_argument("ids", nargs="*")
    a = ap.parse_args()
    tree = os.path.abspath(a.tree)
    bdir = os.path.abspath(a.build or os.path.join(tree, "build-faults"))
    out = a.out or os.path.join(bdir, "faults.tsv")
    if not a.list and not os.path.exists(os.path.join(bdir, "CMakeCache.txt")):
        subprocess.run(["cmake", "-S", tree, "-B", bdir, "-DCMAKE_BUILD_TYPE=Release"],
                       check=True, stdout=subprocess.DEVNULL)
    done = {line.split("\t")[0]: line for line in open(out)} if os.path.exists(out) and not a.list else {}
    order = {fid: k for k, fid in enumerate(a.ids)}
    auto_ids = {f[0] for f in AUTO}
    exact_ids = {f[0] for f in EXACT}
    checked_ids = {f[0] for f in CHECKED}
    for fid, rel, frag, repl in sorted(F + AUTO + EXACT + CHECKED, key=lambda f: order.get(f[0], len(order))):
        if a.ids and fid not in a.ids:
            continue
        if fid in done and (a.unit_only or fid in auto_ids | exact_ids | checked_ids or "not caught by the unit" not in done[fid]):
            print(done[fid], end="")
            continue
        path = os.path.join(tree, rel)
        text = open(path).read()
        n = text.count(frag)
        if n != 1:
            result = "does not apply" + (" (ambiguous)" if n > 1 else "")
        elif a.list:
            result = "applies"
        else:
            try:
                if fid in auto_ids or fid in exact_ids:
                    open(path, "w").write(double_only(text, frag, repl, fid in exact_ids))
                    result = auto_suite(bdir) if fid in auto_ids else exact_suite(bdir)
                elif fid in checked_ids:
                    open(path, "w").write(text.replace(frag, repl))
                    result = checked_suite(bdir)
                else:
                    open(path, "w").write(text.replace(frag, repl))
                    stage = suite(bdir, rel.startswith("gateway/"), a.unit_only)
                    result = ("does not build" if stage == "build" else
                              "not caught by the unit tests" if stage == "skipped" else
                              f"caught ({stage})" if stage else "not caught")
            finally:
                open(path, "w").write(text)
        line = f"{fid}\t{rel}\t{result}\n"
        print(line, end="", flush=True)
        if not a.list:
            open(out, "a").write(line)
    if not a.list:
        build(bdir)  # leave the build matching the restored tree
    return 0


if __name__ == "__main__":
    sys.exit(main())
