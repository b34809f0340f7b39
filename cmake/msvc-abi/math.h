/* The C library's <math.h> for the Microsoft-ABI cross build, completed for libc++'s <cmath>.
   Wine's headers declare the double and most float functions but not the long-double family, which
   Microsoft's own header supplies as inline forwards to the double functions (long double is double
   in this ABI); this file does the same. erfc, erfcf, nexttoward and nexttowardf exist in the C runtime but
   are not declared, so they are declared here. */
#pragma once
#include_next <math.h>

#ifdef __cplusplus
extern "C" {
#endif

_ACRTIMP double __cdecl erfc(double);
_ACRTIMP float __cdecl erfcf(float);
_ACRTIMP float __cdecl nexttowardf(float, long double);
_ACRTIMP double __cdecl nexttoward(double, long double);

#define TARVEL_LONG_DOUBLE_1(name) \
  static inline long double name##l(long double x) { return name((double)x); }
#define TARVEL_LONG_DOUBLE_2(name) \
  static inline long double name##l(long double x, long double y) { return name((double)x, (double)y); }

TARVEL_LONG_DOUBLE_1(acos)
TARVEL_LONG_DOUBLE_1(acosh)
TARVEL_LONG_DOUBLE_1(asin)
TARVEL_LONG_DOUBLE_1(asinh)
TARVEL_LONG_DOUBLE_1(atan)
TARVEL_LONG_DOUBLE_1(atanh)
TARVEL_LONG_DOUBLE_1(cbrt)
TARVEL_LONG_DOUBLE_1(ceil)
TARVEL_LONG_DOUBLE_1(cos)
TARVEL_LONG_DOUBLE_1(cosh)
TARVEL_LONG_DOUBLE_1(erf)
TARVEL_LONG_DOUBLE_1(erfc)
TARVEL_LONG_DOUBLE_1(exp)
TARVEL_LONG_DOUBLE_1(exp2)
TARVEL_LONG_DOUBLE_1(expm1)
TARVEL_LONG_DOUBLE_1(fabs)
TARVEL_LONG_DOUBLE_1(floor)
TARVEL_LONG_DOUBLE_1(lgamma)
TARVEL_LONG_DOUBLE_1(log)
TARVEL_LONG_DOUBLE_1(log10)
TARVEL_LONG_DOUBLE_1(log1p)
TARVEL_LONG_DOUBLE_1(log2)
TARVEL_LONG_DOUBLE_1(logb)
TARVEL_LONG_DOUBLE_1(nearbyint)
TARVEL_LONG_DOUBLE_1(sin)
TARVEL_LONG_DOUBLE_1(sinh)
TARVEL_LONG_DOUBLE_1(sqrt)
TARVEL_LONG_DOUBLE_1(tan)
TARVEL_LONG_DOUBLE_1(tanh)
TARVEL_LONG_DOUBLE_1(tgamma)
TARVEL_LONG_DOUBLE_2(atan2)
TARVEL_LONG_DOUBLE_2(fdim)
TARVEL_LONG_DOUBLE_2(fmax)
TARVEL_LONG_DOUBLE_2(fmin)
TARVEL_LONG_DOUBLE_2(fmod)
TARVEL_LONG_DOUBLE_2(hypot)
TARVEL_LONG_DOUBLE_2(nextafter)
TARVEL_LONG_DOUBLE_2(pow)
TARVEL_LONG_DOUBLE_2(remainder)

#undef TARVEL_LONG_DOUBLE_1
#undef TARVEL_LONG_DOUBLE_2

static inline long double nexttowardl(long double x, long double y) { return nexttoward((double)x, y); }
static inline long double frexpl(long double x, int* e) { return frexp((double)x, e); }
static inline long double ldexpl(long double x, int e) { return ldexp((double)x, e); }
static inline long double scalbnl(long double x, int e) { return scalbn((double)x, e); }
static inline long double scalblnl(long double x, long e) { return scalbln((double)x, e); }
static inline int ilogbl(long double x) { return ilogb((double)x); }
static inline long double remquol(long double x, long double y, int* q) {
  return remquo((double)x, (double)y, q);
}
static inline long double modfl(long double x, long double* i) {
  double whole = 0;
  double fraction = modf((double)x, &whole);
  *i = whole;
  return fraction;
}

#ifdef __cplusplus
}
#endif
