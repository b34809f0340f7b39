// Agreement lines of the random generators: the uniform stream is integer arithmetic and one double
// product; the normal deviates add a logf and a square root.
#include "agreement.h"
#include "numerics/numerics.h"

namespace {

constexpr int kCount = 16;

}  // namespace

void agree_random() {
  float values[kCount];
  int seed = -1;
  for (float& v : values) v = numerics::uniform_deviate(&seed);
  agreement::emit("uniform_deviate_seed-1", values, kCount);
  agreement::emit_ints("uniform_deviate_seed_after", {seed});
  seed = -12345;
  for (float& v : values) v = numerics::normal_deviate(&seed);
  agreement::emit("normal_deviate_seed-12345", values, kCount);
}
