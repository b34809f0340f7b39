// Agreement lines of the tail probabilities and their inverse searches on fixed arguments.
#include "agreement.h"
#include "numerics/numerics.h"

namespace {

unsigned index(int i) { return static_cast<unsigned>(i); }

}  // namespace

void agree_tailprob() {
  float t[8], r[8], f[8];
  for (int i = 0; i < 8; ++i) {
    t[i] = numerics::t_probability(agreement::fixed_value(600u + index(i), -5.0f, 5.0f), 3u + index(i));
    r[i] = numerics::correlation_probability(agreement::fixed_value(700u + index(i), -0.95f, 0.95f),
                                             4u + index(i));
    f[i] = numerics::f_probability(agreement::fixed_value(800u + index(i), 0.0f, 6.0f), 1u + index(i), 12u);
  }
  agreement::emit("t_probability", t, 8);
  agreement::emit("correlation_probability", r, 8);
  agreement::emit("f_probability", f, 8);
  agreement::emit("t_for_probability",
                  {numerics::t_for_probability(0.05f, 10), numerics::t_for_probability(0.01f, 20),
                   numerics::t_for_probability(0.2f, 4)});
  agreement::emit("correlation_for_probability", {numerics::correlation_for_probability(0.05f, 10),
                                                  numerics::correlation_for_probability(0.01f, 30)});
  agreement::emit("f_for_probability",
                  {numerics::f_for_probability(0.05f, 3, 10), numerics::f_for_probability(0.1f, 5, 25)});
}
