// Agreement lines of the linfit family.
#include "agreement.h"
#include "numerics/numerics.h"

void agree_linfit() {}
