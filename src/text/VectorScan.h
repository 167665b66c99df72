// The vector instructions the byte scans may use: SSE2 where the compiler targets it, AVX2 on
// x86-64 (its use is checked at run time by each scan).
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define NORRA_AVX2_SCAN 1
#endif
