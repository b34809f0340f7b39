// Agreement lines of sorting, selection and ranking on fixed inputs: comparisons and moves only, so
// both builds must give the same arrays bit for bit.
#include <cstdint>
#include <vector>

#include "agreement.h"
#include "numerics/numerics.h"

namespace {

constexpr std::uint32_t kCount = 40;

// One-based array of kCount fixed values; with `coarse`, values are rounded to a few distinct ones so
// that ties occur.
std::vector<float> fixed_array(std::uint32_t seed, bool coarse) {
  std::vector<float> values(kCount + 1, 0.0f);
  for (std::uint32_t i = 1; i <= kCount; ++i) {
    const float v = agreement::fixed_value(seed + i, -50.0f, 50.0f);
    values[i] = coarse ? static_cast<float>(static_cast<int>(v / 10.0f)) : v;
  }
  return values;
}

void emit_one_based(const char* name, const std::vector<float>& values) {
  agreement::emit(name, values.data() + 1, static_cast<int>(values.size() - 1));
}

}  // namespace

void agree_sorting() {
  std::vector<float> a = fixed_array(1000, false);
  numerics::sort(kCount, a.data());
  emit_one_based("sort", a);

  std::vector<float> keys = fixed_array(2000, true);
  std::vector<float> companions = fixed_array(3000, false);
  numerics::sort2(kCount, keys.data(), companions.data());
  emit_one_based("sort2_keys", keys);
  emit_one_based("sort2_companions", companions);

  std::vector<float> h = fixed_array(4000, false);
  numerics::heap_sort(kCount, h.data());
  emit_one_based("heap_sort", h);

  std::vector<float> s = fixed_array(5000, false);
  const float kth = numerics::select_kth(13, kCount, s.data());
  agreement::emit("select_kth", {kth});
  emit_one_based("select_kth_array", s);

  std::uint16_t shorts[kCount + 1] = {};
  for (std::uint32_t i = 1; i <= kCount; ++i)
    shorts[i] = static_cast<std::uint16_t>(agreement::fixed_value(6000 + i, 0.0f, 65535.0f));
  const std::uint16_t kth_short = numerics::select_kth_ushort(30, kCount, shorts);
  agreement::emit_ints("select_kth_ushort", {kth_short, shorts[1], shorts[kCount]});

  std::vector<float> w = fixed_array(7000, true);
  numerics::sort(kCount, w.data());
  float ties = 0.0f;
  numerics::rank_with_ties(kCount, w.data(), &ties);
  emit_one_based("rank_with_ties", w);
  agreement::emit("rank_with_ties_s", {ties});
}
