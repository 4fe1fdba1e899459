#include <gtest/gtest.h>

#include "stats/stats_line.h"
#include "test_support.h"

namespace fragtally {
namespace {

TEST(ReadNumber, Basics) {
  EXPECT_EQ(ReadNumber("123"), 123.0);
  EXPECT_EQ(ReadNumber(" 1 2 3 "), 123.0);
  EXPECT_EQ(ReadNumber("45%"), 45.0);
  EXPECT_EQ(ReadNumber("abc"), 0.0);
  EXPECT_EQ(ReadNumber(""), 0.0);
  EXPECT_EQ(ReadNumber("-.5"), -0.5);
  EXPECT_EQ(ReadNumber("1.2.3"), 1.2);
  EXPECT_EQ(ReadNumber("1e3"), 1000.0);
  EXPECT_EQ(ReadNumber("1e"), 1.0);
  EXPECT_EQ(ReadNumber("\t-\n7"), -7.0);
  EXPECT_THROW(ReadNumber("1e400"), StatsError);
}

}  // namespace
}  // namespace fragtally
