// (being written)
#include <gtest/gtest.h>

#include "numerics/elementary.h"
