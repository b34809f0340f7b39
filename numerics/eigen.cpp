// Placeholder for the eigen family; filled in with its routines.
#include "numerics/numerics.h"
