// File dialog filters: the "|"-separated lists of the actions become Qt name filters that
// list every file for "*.*", and default extensions become suffixes.
#include <gtest/gtest.h>

#include "gui/file_chooser.hpp"

namespace dodavev {
namespace {

TEST(QtNameFilters, DescriptionWithItsPatternInBracketsKeepsItsText) {
  EXPECT_EQ(QtNameFilters("Parameter files (*.par)|*.par|All files (*.*)|*.*"),
            QStringList({"Parameter files (*.par)", "All files (*)"}));
  EXPECT_EQ(QtNameFilters("Data files(*.dat)|*.dat|All files (*.*)|*.*"),
            QStringList({"Data files(*.dat)", "All files (*)"}));
}

TEST(QtNameFilters, DescriptionWithoutBracketsGetsThePatternAppended) {
  EXPECT_EQ(QtNameFilters("parameter files *.par|*.par|All files *.*|*.*"),
            QStringList({"parameter files *.par (*.par)", "All files *.* (*)"}));
}

TEST(QtNameFilters, BarePatternsStandForThemselves) {
  EXPECT_EQ(QtNameFilters("*.lay|*.lay|*.dat|*.dat|*.*|*.*"),
            QStringList({"*.lay", "*.dat", "All files (*)"}));
}

TEST(QtNameFilters, SpectrumFiltersKeepTheirOrderForTheKindOfFile) {
  // The writer takes the position of the chosen filter: 1 spectrum, 2 depth file.
  const QStringList filters =
      QtNameFilters("Spectrum files (*.dat)|*.dat|Depth files (*.txt)|*.txt|All files (*.*)|*.*");
  ASSERT_EQ(filters.size(), 3);
  EXPECT_EQ(filters[0], "Spectrum files (*.dat)");
  EXPECT_EQ(filters[1], "Depth files (*.txt)");
}

TEST(QtNameFilters, SeveralPatternsAndOddOrEmptyLists) {
  EXPECT_EQ(QtNameFilters("Tables|*.dat;*.txt"), QStringList({"Tables (*.dat *.txt)"}));
  // A description without a pattern is dropped; nothing gives nothing.
  EXPECT_EQ(QtNameFilters("Tables|*.dat|Lonely"), QStringList({"Tables (*.dat)"}));
  EXPECT_TRUE(QtNameFilters("").isEmpty());
}

TEST(DefaultSuffix, TakesTheEndingWithoutStarOrPoint) {
  EXPECT_EQ(DefaultSuffix("*.par"), "par");
  EXPECT_EQ(DefaultSuffix(".par"), "par");
  EXPECT_EQ(DefaultSuffix("dat"), "dat");
  EXPECT_EQ(DefaultSuffix(""), "");
  EXPECT_EQ(DefaultSuffix("*.*"), "");
  EXPECT_EQ(DefaultSuffix("*"), "");
}

}  // namespace
}  // namespace dodavev
