// Agreement lines of the stattests family.
#include "agreement.h"
#include "numerics/numerics.h"

void agree_stattests() {}
