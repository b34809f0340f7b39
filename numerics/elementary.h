// The elementary functions the library computes with: exp, log and sin in double, exp and log in float.
// They are built from + - * / and sqrt in IEEE double and float only, with no fused multiply-add and no
// table that depends on the platform, so every compiler and C runtime gives the same bits. expf and logf
// are correctly rounded; exp, log and sin err by less than one unit in the last place.
#pragma once

namespace numerics {
namespace elementary {

// Special values as C99 Annex F gives them (NaN, ±∞, ±0, overflow to +∞, underflow through the
// subnormals to +0); no floating-point status flags or errno are promised.
double exp(double x);
inline double log(double x);  // main path inline, in elementary_log.h
double sin(double x);         // any finite argument, huge ones reduced with the full 2/π
float expf(float x);
float logf(float x);

}  // namespace elementary
}  // namespace numerics

#include "numerics/elementary_log.h"
