// Agreement lines of the random family.
#include "agreement.h"
#include "numerics/numerics.h"

void agree_random() {}
