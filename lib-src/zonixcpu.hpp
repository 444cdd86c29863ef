// Which instruction sets the processor offers, for the few loops written
// twice.  glibc asked the processor once at start; the compiler's own test
// links in a constructor that asks again in every process, with CPUID
// calls that each trap under a hypervisor.
#ifndef ZONIX_CPU_HPP
#define ZONIX_CPU_HPP

// glibc's header is C: its _Bool reads as C++ with GCC only.
#if defined(__x86_64__) && !defined(__clang__) && __has_include(<sys/platform/x86.h>)
#include <sys/platform/x86.h>
#define ZONIX_CPU_HAS(glibc_name, gcc_name) (CPU_FEATURE_ACTIVE(glibc_name) != 0)
#else
#define ZONIX_CPU_HAS(glibc_name, gcc_name) (__builtin_cpu_supports(gcc_name) != 0)
#endif

namespace zonix::cpu {

inline bool popcnt() { return ZONIX_CPU_HAS(POPCNT, "popcnt"); }
inline bool avx2_fma() { return ZONIX_CPU_HAS(AVX2, "avx2") && ZONIX_CPU_HAS(FMA, "fma"); }
inline bool avx512_dq() { return ZONIX_CPU_HAS(AVX512F, "avx512f") && ZONIX_CPU_HAS(AVX512DQ, "avx512dq"); }
inline bool avx512_cd() { return ZONIX_CPU_HAS(AVX512F, "avx512f") && ZONIX_CPU_HAS(AVX512CD, "avx512cd"); }
inline bool avx512_dq_vl() { return avx512_dq() && ZONIX_CPU_HAS(AVX512VL, "avx512vl"); }

}  // namespace zonix::cpu

#undef ZONIX_CPU_HAS
#endif
