// Placeholder for the random family; filled in with its routines.
#include "numerics/numerics.h"
