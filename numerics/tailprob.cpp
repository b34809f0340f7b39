// Placeholder for the tailprob family; filled in with its routines.
#include "numerics/numerics.h"
