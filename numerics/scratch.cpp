// The state behind scratch.h: the test switch that refuses scratch and the byte counts.
#include "numerics/scratch.h"

namespace numerics {
namespace detail {

bool refuse_scratch = false;
std::size_t scratch_bytes_in_use = 0;
std::size_t scratch_bytes_peak = 0;

}  // namespace detail
}  // namespace numerics
