// Agreement lines of the nonlinfit family.
#include "agreement.h"
#include "numerics/numerics.h"

void agree_nonlinfit() {}
