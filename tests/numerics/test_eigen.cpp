// Tests of the eigen family (to be written with its routines).
#include <gtest/gtest.h>

#include "numerics/numerics.h"
