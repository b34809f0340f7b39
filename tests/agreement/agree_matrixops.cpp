// Agreement lines of the matrixops family.
#include "agreement.h"
#include "numerics/numerics.h"

void agree_matrixops() {}
