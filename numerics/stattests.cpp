// Placeholder for the stattests family; filled in with its routines.
#include "numerics/numerics.h"
