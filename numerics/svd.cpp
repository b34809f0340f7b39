// Placeholder for the svd family; filled in with its routines.
#include "numerics/numerics.h"
