// Placeholder for the nonlinfit family; filled in with its routines.
#include "numerics/numerics.h"
