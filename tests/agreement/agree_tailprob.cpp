// Agreement lines of the tailprob family.
#include "agreement.h"
#include "numerics/numerics.h"

void agree_tailprob() {}
