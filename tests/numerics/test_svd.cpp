// Tests of the svd family (to be written with its routines).
#include <gtest/gtest.h>

#include "numerics/numerics.h"
