// Placeholder for the fft family; filled in with its routines.
#include "numerics/numerics.h"
