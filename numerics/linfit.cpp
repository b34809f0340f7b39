// Placeholder for the linfit family; filled in with its routines.
#include "numerics/numerics.h"
