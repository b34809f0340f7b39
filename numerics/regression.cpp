// Placeholder for the regression family; filled in with its routines.
#include "numerics/numerics.h"
