#include "tw/Stable.h"

#include <gtest/gtest.h>
TEST(Stable, Placeholder) {}
