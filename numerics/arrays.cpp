// Placeholder for the arrays family; filled in with its routines.
#include "numerics/numerics.h"
