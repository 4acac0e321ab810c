#include <gtest/gtest.h>
#include "report/fortran_format.h"
TEST(Smoke, Builds) { EXPECT_EQ(vorta::format("(F5.2)", 1.0), " 1.00"); }
