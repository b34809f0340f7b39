// Random deviates: a multiplicative congruential generator (16807 mod 2^31 - 1, Schrage's method)
// behind a 32-entry shuffle table, and standard normal deviates from it by the polar method.
// Both keep module-level state; they are for one thread at a time.
#include <climits>
#include <cmath>

#include "numerics/elementary.h"
#include "numerics/numerics.h"

namespace numerics {
namespace {

constexpr int kMultiplier = 16807;
constexpr int kModulus = 2147483647;      // 2^31 - 1
constexpr int kSchrageQuotient = 127773;  // kModulus / kMultiplier
constexpr int kSchrageRemainder = 2836;   // kModulus % kMultiplier
constexpr int kTableSize = 32;
constexpr int kWarmUpSteps = 8;
constexpr int kTableDivisor = 67108864;                 // 1 + (kModulus - 1) / kTableSize = 2^26
constexpr double kOutputScale = 4.656612875245797e-10;  // 1 / kModulus
constexpr double kLargestOutputBound = 0.99999988;
constexpr float kLargestOutput = 0.99999988079071044921875f;  // 1 - 2^-23

// Shuffle table and the value last taken out of it; last_output == 0 means not yet initialised.
int shuffle_table[kTableSize];
int last_output = 0;

// The second deviate of the last accepted polar pair, waiting to be handed out.
float saved_normal = 0.0f;
int saved_normal_waiting = 0;

// seed = 16807 seed mod (2^31 - 1) without overflowing 32 bits (Schrage's multiplication).
void congruential_step(int* seed) {
  const int k = *seed / kSchrageQuotient;
  *seed = kMultiplier * (*seed - k * kSchrageQuotient) - kSchrageRemainder * k;
  if (*seed < 0) *seed = *seed + kModulus;
}

// Restart from the seed's magnitude (1 for a non-negative seed, the most negative int, whose negation
// does not exist, and -(2^31 - 1)), warm up, and fill the table from its last entry down to its first.
void restart(int* seed) {
  // -(2^31 - 1) would restart from the modulus itself, the generator's fixed point 0 (a table of zeros
  // and deviates of exactly 0): it starts from 1 as well.
  if (*seed >= 0 || *seed == INT_MIN || *seed == -kModulus) {
    *seed = 1;
  } else {
    *seed = -*seed;
  }
  for (int j = kTableSize + kWarmUpSteps - 1; j >= 0; --j) {
    congruential_step(seed);
    if (j < kTableSize) shuffle_table[j] = *seed;
  }
  last_output = shuffle_table[0];
}

}  // namespace

// A new seed value replaces a table entry chosen by the previous output (Bays-Durham shuffle),
// which removes the low-order serial correlations of the plain congruential sequence.
float uniform_deviate(int* seed) {
  // 2^31 - 1 is 0 modulo the modulus: stepping it gives the generator's fixed point 0, which entered the
  // table and came out later as a deviate of exactly 0. It restarts, as 0 does.
  if (*seed <= 0 || *seed == kModulus || last_output == 0) restart(seed);
  congruential_step(seed);
  const int j = last_output / kTableDivisor;
  last_output = shuffle_table[j];
  shuffle_table[j] = *seed;
  const float value = static_cast<float>(static_cast<double>(last_output) * kOutputScale);
  // Values next to 1 (including a product rounding to 1 in float) are held just below it.
  if (static_cast<double>(value) > kLargestOutputBound) return kLargestOutput;
  return value;
}

// Polar method: a point (a, b) uniform in the unit disc gives the two independent normal deviates
// a fac and b fac with fac = sqrt(-2 ln(rsq) / rsq); the second one is saved for the next call.
float normal_deviate(int* seed) {
  if (saved_normal_waiting != 0) {
    saved_normal_waiting = 0;
    return saved_normal;
  }
  float a;
  float b;
  float rsq;
  do {
    a = static_cast<float>(2.0 * static_cast<double>(uniform_deviate(seed)) - 1.0);
    b = static_cast<float>(2.0 * static_cast<double>(uniform_deviate(seed)) - 1.0);
    rsq = a * a + b * b;
  } while (rsq >= 1.0f || rsq == 0.0f);
  const float fac = static_cast<float>(
      std::sqrt(-2.0 * static_cast<double>(elementary::logf(rsq)) / static_cast<double>(rsq)));
  saved_normal = a * fac;
  saved_normal_waiting = 1;
  return b * fac;
}

}  // namespace numerics
