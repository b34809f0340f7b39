// Agreement lines of the regression family.
#include "agreement.h"
#include "numerics/numerics.h"

void agree_regression() {}
