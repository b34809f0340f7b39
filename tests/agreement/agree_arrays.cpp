// Agreement lines of the arrays family.
#include "agreement.h"
#include "numerics/numerics.h"

void agree_arrays() {}
