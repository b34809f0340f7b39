// Agreement lines of the eigen family.
#include "agreement.h"
#include "numerics/numerics.h"

void agree_eigen() {}
