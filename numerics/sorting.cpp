// Placeholder for the sorting family; filled in with its routines.
#include "numerics/numerics.h"
