// Agreement lines of the sorting family.
#include "agreement.h"
#include "numerics/numerics.h"

void agree_sorting() {}
