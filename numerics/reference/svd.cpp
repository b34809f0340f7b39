// The singular value decomposition in its plain step order: Householder bidiagonalisation, the
// accumulation of the right-hand and left-hand reflections, and implicitly shifted QR sweeps, each sum
// running down a column and each rotation over all rows before the next. numerics::svd_decompose
// reorders these steps for speed and gives the same bits.
#include <cmath>

#include "numerics/numerics.h"
#include "numerics/precision.h"
#include "numerics/reference/reference.h"

namespace numerics {
namespace reference {
namespace {

using detail::reciprocal_in_double;

// Bidiagonal entries below this magnitude count as zero in the split search.
constexpr float kSplitThreshold = 1.0e-6f;
// QR sweeps allowed for one singular value before the decomposition is marked as not converged.
constexpr int kMaxIterations = 100;

float sign_of(float magnitude, float sign) {
  return sign >= 0.0f ? std::fabs(magnitude) : -std::fabs(magnitude);
}

// The set-up of the reflection of x(first..last): the vector is divided by its scale (the sum of
// magnitudes), s = Σ x², g = −sign(√s, x(first)), h = x(first)·g − s, and x(first) becomes x(first) − g.
// Returns 0 for a zero vector, and for one whose scale·g is so small that its reciprocal overflows
// (accumulating it would fill U or V with NaN), which is cleared; else scale·g, the bidiagonal value.
template <typename Element>
float set_up_reflection(Element x, int first, int last, float& scale, float& h) {
  scale = 0.0f;
  for (int k = first; k <= last; ++k) scale += std::fabs(x(k));
  if (scale == 0.0f) return 0.0f;
  float s = 0.0f;
  for (int k = first; k <= last; ++k) {
    x(k) /= scale;
    s += x(k) * x(k);
  }
  const float f = x(first);
  const float g = -sign_of(std::sqrt(s), f);
  if (std::isinf(reciprocal_in_double(scale * g))) {
    for (int k = first; k <= last; ++k) x(k) = 0.0f;
    scale = 0.0f;
    return 0.0f;
  }
  h = f * g - s;
  x(first) = f - g;
  return scale * g;
}

// Reflection of column i (rows i..m) applied to the columns right of it, one column at a time.
float reflect_column(float** a, int m, int n, int i) {
  float scale = 0.0f, h = 0.0f;
  const float value = set_up_reflection([a, i](int k) -> float& { return a[k][i]; }, i, m, scale, h);
  if (scale == 0.0f) return 0.0f;
  for (int j = i + 1; j <= n; ++j) {
    float t = 0.0f;
    for (int k = i; k <= m; ++k) t += a[k][i] * a[k][j];
    const float factor = t / h;
    for (int k = i; k <= m; ++k) a[k][j] += factor * a[k][i];
  }
  for (int k = i; k <= m; ++k) a[k][i] *= scale;
  return value;
}

// Reflection of row i (columns i+1..n) applied to the rows below it, one row at a time; e[i+1..n]
// holds the reflection divided by h.
float reflect_row(float** a, int m, int n, int i, float* e) {
  const int l = i + 1;
  float scale = 0.0f, h = 0.0f;
  const float value = set_up_reflection([a, i](int k) -> float& { return a[i][k]; }, l, n, scale, h);
  if (scale == 0.0f) return 0.0f;
  for (int k = l; k <= n; ++k) e[k] = a[i][k] / h;
  for (int j = l; j <= m; ++j) {
    float t = 0.0f;
    for (int k = l; k <= n; ++k) t += a[j][k] * a[i][k];
    for (int k = l; k <= n; ++k) a[j][k] += t * e[k];
  }
  for (int k = l; k <= n; ++k) a[i][k] *= scale;
  return value;
}

// Upper bidiagonal form: diagonal in w[1..n], superdiagonal in e[2..n].
void bidiagonalise(float** a, int m, int n, float* w, float* e) {
  float superdiagonal = 0.0f;
  for (int i = 1; i <= n; ++i) {
    e[i] = superdiagonal;
    w[i] = i <= m ? reflect_column(a, m, n, i) : 0.0f;
    superdiagonal = (i <= m && i != n) ? reflect_row(a, m, n, i, e) : 0.0f;
  }
}

// The right-hand reflections accumulated into v, from the last one back.
void accumulate_right(float** a, int n, const float* e, float** v) {
  float g = 0.0f;
  int l = n + 1;
  for (int i = n; i >= 1; --i) {
    if (i < n) {
      if (g != 0.0f) {
        for (int j = l; j <= n; ++j) v[j][i] = (a[i][j] / a[i][l]) / g;
        for (int j = l; j <= n; ++j) {
          float t = 0.0f;
          for (int k = l; k <= n; ++k) t += a[i][k] * v[k][j];
          for (int k = l; k <= n; ++k) v[k][j] += t * v[k][i];
        }
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

// The left-hand reflections accumulated into a, which then holds U; the column of a zero diagonal
// value is cleared, never divided by.
void accumulate_left(float** a, int m, int n, const float* w) {
  for (int i = (m < n ? m : n); i >= 1; --i) {
    const int l = i + 1;
    float g = w[i];
    for (int j = l; j <= n; ++j) a[i][j] = 0.0f;
    if (g != 0.0f) {
      g = reciprocal_in_double(g);
      for (int j = l; j <= n; ++j) {
        float t = 0.0f;
        for (int k = l; k <= m; ++k) t += a[k][i] * a[k][j];
        const float f = (t / a[i][i]) * g;
        for (int k = i; k <= m; ++k) a[k][j] += f * a[k][i];
      }
      for (int j = i; j <= m; ++j) a[j][i] *= g;
    } else {
      for (int j = i; j <= m; ++j) a[j][i] = 0.0f;
    }
    a[i][i] += 1.0f;
  }
}

// Plane rotation of columns p and q over rows 1..rows: (p, q) <- (p·c + q·s, q·c − p·s).
void rotate(float** q, int rows, int p, int r, float c, float s) {
  for (int j = 1; j <= rows; ++j) {
    const float y = q[j][p];
    const float z = q[j][r];
    q[j][p] = y * c + z * s;
    q[j][r] = z * c - y * s;
  }
}

// Removes e[l..k] against the negligible w[l−1] by rotations of the columns of U.
void cancel_superdiagonal(float** a, int m, float* w, float* e, int l, int k) {
  float c = 0.0f;
  float s = 1.0f;
  for (int i = l; i <= k; ++i) {
    const float f = s * e[i];
    e[i] = c * e[i];
    if (std::fabs(f) < kSplitThreshold) break;
    const float g = w[i];
    w[i] = safe_hypot(f, g);
    const float h = reciprocal_in_double(w[i]);
    c = g * h;
    s = -f * h;
    rotate(a, m, l - 1, i, c, s);
  }
}

// One implicitly shifted QR sweep over the block l..k, each rotation applied to V and U as it is formed.
void qr_sweep(float** a, int m, int n, float* w, float* e, float** v, int l, int k) {
  float x = w[l];
  float y = w[k - 1];
  float z = w[k];
  float g = e[k - 1];
  float h = e[k];
  float f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0f * h * y);
  g = safe_hypot(f, 1.0f);
  f = ((x - z) * (x + z) + h * ((y / (f + sign_of(g, f))) - h)) / x;
  float c = 1.0f;
  float s = 1.0f;
  for (int j = l; j <= k - 1; ++j) {
    const int i = j + 1;
    g = e[i];
    y = w[i];
    h = s * g;
    g = c * g;
    z = safe_hypot(f, h);
    e[j] = z;
    c = f / z;
    s = h / z;
    f = x * c + g * s;
    g = g * c - x * s;
    h = y * s;
    y = y * c;
    rotate(v, n, j, i, c, s);
    z = safe_hypot(f, h);
    w[j] = z;
    if (z != 0.0f) {
      z = reciprocal_in_double(z);
      c = f * z;
      s = h * z;
    }
    f = c * g + s * y;
    x = c * y - s * g;
    rotate(a, m, j, i, c, s);
  }
  e[l] = 0.0f;
  e[k] = f;
  w[k] = x;
}

// The bidiagonal form diagonalised one singular value at a time from the bottom.
void diagonalise(float** a, int m, int n, float* w, float* e, float** v) {
  for (int k = n; k >= 1; --k) {
    for (int iter = 1; iter <= kMaxIterations; ++iter) {
      bool cancel = true;
      int l = k;
      for (; l >= 1; --l) {
        if (std::fabs(e[l]) < kSplitThreshold) {
          cancel = false;
          break;
        }
        if (std::fabs(w[l - 1]) < kSplitThreshold) break;
      }
      if (cancel) cancel_superdiagonal(a, m, w, e, l, k);
      if (l == k) {
        if (w[k] < 0.0f) {
          w[k] = -w[k];
          for (int j = 1; j <= n; ++j) v[j][k] = -v[j][k];
        }
        break;
      }
      if (iter == kMaxIterations) svd_not_converged = true;
      qr_sweep(a, m, n, w, e, v, l, k);
    }
  }
}

}  // namespace

void svd_decompose(float** a, int m, int n, float* w, float** v) {
  svd_not_converged = false;
  float* e = vector(1, n);
  bidiagonalise(a, m, n, w, e);
  accumulate_right(a, n, e, v);
  accumulate_left(a, m, n, w);
  diagonalise(a, m, n, w, e, v);
  release_vector(e, 1, n);
}

}  // namespace reference
}  // namespace numerics
