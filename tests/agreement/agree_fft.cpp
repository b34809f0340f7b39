// Agreement lines of the fft family.
#include "agreement.h"
#include "numerics/numerics.h"

void agree_fft() {}
