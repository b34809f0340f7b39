// Placeholder for the matrixops family; filled in with its routines.
#include "numerics/numerics.h"
