// Placeholder for the specfun family; filled in with its routines.
#include "numerics/numerics.h"
