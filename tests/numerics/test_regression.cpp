// Tests of the regression family (to be written with its routines).
#include <gtest/gtest.h>

#include "numerics/numerics.h"
