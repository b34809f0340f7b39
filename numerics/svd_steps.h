// The steps of the singular value decomposition that numerics::svd_decompose and
// reference::svd_decompose share: the order of the phases, the reflection set-ups, the split search,
// the shift and the bulge chase of a QR sweep. Only the updates of whole columns, rows and rotations
// differ between the two, and each passes its own (a Steps type, see decompose below).
#pragma once

#include <cmath>

#include "numerics/numerics.h"
#include "numerics/precision.h"

namespace numerics {
namespace svd_steps {

// Bidiagonal entries below this magnitude count as zero in the split search. The threshold is
// absolute on purpose: the decomposition's results are defined by this fixed test, which needs no norm
// of A, so entries below 1e-6 count as zero whatever the scale of A (scale A first for relative accuracy).
constexpr float kSplitThreshold = 1.0e-6f;
// QR sweeps allowed for one singular value before the decomposition is marked as not converged.
constexpr int kMaxIterations = 100;

// |magnitude| carrying the sign of `sign` (a zero `sign` counts as positive).
inline float sign_of(float magnitude, float sign) {
  return sign >= 0.0f ? std::fabs(magnitude) : -std::fabs(magnitude);
}

// A reflection whose diagonal or superdiagonal value scale·g lies below about 3e-39 (subnormal, or
// zero after underflow) cannot be accumulated: the accumulation divides by that value, the quotient
// overflows to infinity, and U or V fill with NaN. Such a vector is negligible (its norm is below
// 1e-38), so it is cleared and the reflection skipped, as for a vector that is exactly zero. Above
// that size nothing changes.
inline bool too_small_to_reflect(float scale, float g) {
  return std::isinf(detail::reciprocal_in_double(scale * g));
}

// A Householder vector x(first..last) ready to apply: its scale (the sum of its magnitudes), g and h.
struct Reflector {
  float scale;
  float g;
  float h;
};

// The set-up shared by the column and the row reflection: the vector x(first..last) is divided by its
// scale, s = Σ x², g = −sign(√s, x(first)), h = x(first)·g − s, and x(first) becomes x(first) − g.
// Returns false, with nothing left to apply, for a zero vector and for one too small to reflect (which
// is then cleared). Element(k) gives the k-th element by reference.
template <typename Element>
bool set_up_reflection(Element x, int first, int last, Reflector* r) {
  float scale = 0.0f;
  for (int k = first; k <= last; ++k) scale += std::fabs(x(k));
  if (scale == 0.0f) return false;
  float s = 0.0f;
  for (int k = first; k <= last; ++k) {
    x(k) /= scale;
    s += x(k) * x(k);
  }
  const float f = x(first);
  const float g = -sign_of(std::sqrt(s), f);
  if (too_small_to_reflect(scale, g)) {
    for (int k = first; k <= last; ++k) x(k) = 0.0f;
    return false;
  }
  *r = Reflector{scale, g, f * g - s};
  x(first) = f - g;
  return true;
}

// Householder reflection of column i (rows i..m) applied to columns i+1..n by
// Steps::apply_column_reflection(a, m, n, i, h, e), with e[i+1..n] (not yet in use) as scratch.
// Returns the diagonal value scale·g.
template <typename Steps>
float reflect_column(float** a, int m, int n, int i, float* e) {
  Reflector r{};
  if (!set_up_reflection([a, i](int k) -> float& { return a[k][i]; }, i, m, &r)) return 0.0f;
  Steps::apply_column_reflection(a, m, n, i, r.h, e);
  for (int k = i; k <= m; ++k) a[k][i] *= r.scale;
  return r.scale * r.g;
}

// Householder reflection of row i (columns i+1..n) applied to rows i+1..m by
// Steps::apply_row_reflection(a, m, n, i, e), e[i+1..n] holding the reflection divided by h. Returns
// the superdiagonal value scale·g.
template <typename Steps>
float reflect_row(float** a, int m, int n, int i, float* e) {
  const int l = i + 1;
  float* row = a[i];
  Reflector r{};
  if (!set_up_reflection([row](int k) -> float& { return row[k]; }, l, n, &r)) return 0.0f;
  for (int k = l; k <= n; ++k) e[k] = row[k] / r.h;
  Steps::apply_row_reflection(a, m, n, i, e);
  for (int k = l; k <= n; ++k) row[k] *= r.scale;
  return r.scale * r.g;
}

// Reduces a to upper bidiagonal form, diagonal in w[1..n], superdiagonal in e[2..n].
template <typename Steps>
void bidiagonalise(float** a, int m, int n, float* w, float* e) {
  float superdiagonal = 0.0f;
  for (int i = 1; i <= n; ++i) {
    e[i] = superdiagonal;
    w[i] = i <= m ? reflect_column<Steps>(a, m, n, i, e) : 0.0f;
    superdiagonal = (i <= m && i != n) ? reflect_row<Steps>(a, m, n, i, e) : 0.0f;
  }
}

// Accumulates the right-hand reflections into v, from the last one back. Column i of v below the
// diagonal first holds the reflection of row i of a divided by a[i][i+1] and g; then
// Steps::apply_right_reflection(a, n, i, v) applies it to columns i+1..n of v.
template <typename Steps>
void accumulate_right(float** a, int n, const float* e, float** v) {
  float g = 0.0f;
  int l = n + 1;
  for (int i = n; i >= 1; --i) {
    if (i < n) {
      if (g != 0.0f) {
        for (int j = l; j <= n; ++j) v[j][i] = (a[i][j] / a[i][l]) / g;
        Steps::apply_right_reflection(a, n, i, v);
      }
      for (int j = l; j <= n; ++j) {
        v[i][j] = 0.0f;
        v[j][i] = 0.0f;
      }
    }
    v[i][i] = 1.0f;
    g = e[i];
    l = i;
  }
}

// Accumulates the left-hand reflections into a, which then holds U; the reflection of column i is
// applied to columns i+1..n by Steps::apply_left_reflection(a, m, n, i, g), g being the reciprocal
// of w[i], row i right of the diagonal just cleared. The column of a zero diagonal value is cleared
// before the 1 is added, so it is never divided by.
template <typename Steps>
void accumulate_left(float** a, int m, int n, const float* w) {
  for (int i = (m < n ? m : n); i >= 1; --i) {
    const int l = i + 1;
    float g = w[i];
    for (int j = l; j <= n; ++j) a[i][j] = 0.0f;
    if (g != 0.0f) {
      g = detail::reciprocal_in_double(g);
      Steps::apply_left_reflection(a, m, n, i, g);
      for (int j = i; j <= m; ++j) a[j][i] *= g;
    } else {
      for (int j = i; j <= m; ++j) a[j][i] = 0.0f;
    }
    a[i][i] += 1.0f;
  }
}

// Plane rotation of columns p and q over rows 1..rows: (p, q) <- (p·c + q·s, q·c − p·s).
inline void rotate_columns(float** m, int rows, int p, int q, float c, float s) {
  for (int j = 1; j <= rows; ++j) {
    const float y = m[j][p];
    const float z = m[j][q];
    m[j][p] = y * c + z * s;
    m[j][q] = z * c - y * s;
  }
}

// Split search for the bottom block ending at k. Returns its first index l; *cancel is true when
// w[l−1] is negligible and e[l] must first be chased out by cancel_superdiagonal. e[1] is always 0,
// so the search stops at l = 1 at the latest and w[0] is never read.
inline int find_split(const float* w, const float* e, int k, bool* cancel) {
  *cancel = true;
  int l = k;
  for (; l >= 1; --l) {
    if (std::fabs(e[l]) < kSplitThreshold) {
      *cancel = false;
      break;
    }
    if (std::fabs(w[l - 1]) < kSplitThreshold) break;
  }
  return l;
}

// Removes e[l..k] against the negligible w[l−1] by rotations applied to the columns of U.
inline void cancel_superdiagonal(float** a, int m, float* w, float* e, int l, int k) {
  const int pr = l - 1;
  float cs = 0.0f;
  float sn = 1.0f;
  for (int i = l; i <= k; ++i) {
    const float f = sn * e[i];
    e[i] = cs * e[i];
    if (std::fabs(f) < kSplitThreshold) break;
    const float g = w[i];
    float h = safe_hypot(f, g);
    w[i] = h;
    h = detail::reciprocal_in_double(h);
    cs = g * h;
    sn = -f * h;
    rotate_columns(a, m, pr, i, cs, sn);
  }
}

// State carried from one rotation of a QR sweep to the next.
struct Sweep {
  float f, x, cs, sn;
};

// The start of an implicitly shifted QR sweep over the block l..k, the shift taken from its bottom
// 2×2 minor.
inline Sweep start_sweep(const float* w, const float* e, int l, int k) {
  const float x = w[l];
  const float y = w[k - 1];
  const float z = w[k];
  float g = e[k - 1];
  const float h = e[k];
  float f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0f * h * y);
  g = safe_hypot(f, 1.0f);
  f = ((x - z) * (x + z) + h * (y / (f + sign_of(g, f)) - h)) / x;
  return Sweep{f, x, 1.0f, 1.0f};
}

// Chases the bulge from j to j + 1: updates e[j], w[j] and the sweep state and returns the parameters
// of the rotation of V (vc, vs) and of U (uc, us) for the column pair (j, j + 1).
inline void chase_bulge(float* w, float* e, int j, Sweep* s, float* vc, float* vs, float* uc, float* us) {
  const int i = j + 1;
  float g = e[i];
  float y = w[i];
  float h = s->sn * g;
  g = s->cs * g;
  float z = safe_hypot(s->f, h);
  e[j] = z;
  s->cs = s->f / z;
  s->sn = h / z;
  const float f = s->x * s->cs + g * s->sn;
  g = g * s->cs - s->x * s->sn;
  h = y * s->sn;
  y = y * s->cs;
  *vc = s->cs;
  *vs = s->sn;
  z = safe_hypot(f, h);
  w[j] = z;
  if (z != 0.0f) {
    z = detail::reciprocal_in_double(z);
    s->cs = f * z;
    s->sn = h * z;
  }
  s->f = s->cs * g + s->sn * y;
  s->x = s->cs * y - s->sn * g;
  *uc = s->cs;
  *us = s->sn;
}

// The end of a QR sweep over the block l..k.
inline void finish_sweep(float* w, float* e, int l, int k, const Sweep& s) {
  e[l] = 0.0f;
  e[k] = s.f;
  w[k] = s.x;
}

// Diagonalises the bidiagonal form, one singular value at a time from the bottom, each QR sweep made
// by Steps::qr_sweep(a, m, n, w, e, v, l, k). A converged negative value turns positive with its
// column of V.
template <typename Steps>
void diagonalise(float** a, int m, int n, float* w, float* e, float** v) {
  for (int k = n; k >= 1; --k) {
    for (int iter = 1; iter <= kMaxIterations; ++iter) {
      bool cancel = true;
      const int l = find_split(w, e, k, &cancel);
      if (cancel) cancel_superdiagonal(a, m, w, e, l, k);
      if (l == k) {
        if (w[k] < 0.0f) {
          w[k] = -w[k];
          for (int j = 1; j <= n; ++j) v[j][k] = -v[j][k];
        }
        break;
      }
      if (iter == kMaxIterations) svd_not_converged = true;
      Steps::qr_sweep(a, m, n, w, e, v, l, k);
    }
  }
}

// The decomposition, phase by phase, with the updates of Steps.
template <typename Steps>
void decompose(float** a, int m, int n, float* w, float** v) {
  svd_not_converged = false;
  float* e = vector(1, n);
  bidiagonalise<Steps>(a, m, n, w, e);
  accumulate_right<Steps>(a, n, e, v);
  accumulate_left<Steps>(a, m, n, w);
  diagonalise<Steps>(a, m, n, w, e, v);
  release_vector(e, 1, n);
}

}  // namespace svd_steps
}  // namespace numerics
