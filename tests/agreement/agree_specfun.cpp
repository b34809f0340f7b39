// Agreement lines of the specfun family.
#include "agreement.h"
#include "numerics/numerics.h"

void agree_specfun() {}
