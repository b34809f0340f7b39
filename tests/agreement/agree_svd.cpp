// Agreement lines of the svd family.
#include "agreement.h"
#include "numerics/numerics.h"

void agree_svd() {}
