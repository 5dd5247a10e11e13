#include "engine/resolution_report.hpp"

#include <gtest/gtest.h>

#include <string>

namespace dodavev {
namespace {

TEST(ResolutionReportNumbers, RoundedToSignificantDigitsThenFixed) {
  EXPECT_EQ(FormatSignificant(165.0, 3, 2), "165.00");
  EXPECT_EQ(FormatSignificant(80.0, 3, 2), "80.00");
  EXPECT_EQ(FormatSignificant(164.996, 3, 2), "165.00");
  EXPECT_EQ(FormatSignificant(0.04583, 3, 2), "0.05");  // 0.0458 to two decimals
  EXPECT_EQ(FormatSignificant(-75.0, 3, 2), "-75.00");
  EXPECT_EQ(FormatSignificant(2.0, 3, 0), "2");
  EXPECT_EQ(FormatSignificant(0.0, 3, 2), "0.00");
  EXPECT_EQ(FormatSignificant(6000.0, 6, 0), "6000");
  EXPECT_EQ(FormatSignificant(1234.4, 6, 0), "1234");
  EXPECT_EQ(FormatSignificant(6.0, 8, 3), "6.000");
  EXPECT_EQ(FormatSignificant(-0.0001, 3, 2), "0.00");  // no negative zero
}

TEST(ResolutionReportNumbers, MoreIntegerDigitsThanSignificantOnesGoToExponentForm) {
  EXPECT_EQ(FormatSignificant(1234.0, 3, 2), "1.23E+03");
  EXPECT_EQ(FormatSignificant(999.6, 3, 2), "1.00E+03");  // rounding adds a digit
  EXPECT_EQ(FormatSignificant(2.5e7, 6, 0), "2.50000E+07");
}

TEST(ResolutionReportHeaders, MainHeaderLinesAsPrinted) {
  const std::string h = MainReportHeader('R', 165.0, 80.0);
  EXPECT_EQ(h,
            "REFLECTION GEOMETRY\r\n"
            "           theta = 165.00         alpha = 80.00\r\n"
            "\r\n"
            " depth| depth & energy |      before the     |                main energy spread "
            "contributions               |error| mean\r\n"
            "      |   resolution   |       reaction      |                        after the "
            "sample                       |from | det.\r\n"
            "   x  |    dx    det   |   E      dE    dfi  | dopll.   beame   beama    geo     ss"
            "      msi    mso     tot  |appr.| energy\r\n"
            " [nm] |   [nm]  [keV]  |     [keV]     [deg] |                          [keV]"
            "                                |  %  | [keV]\r\n");
  EXPECT_EQ(MainReportHeader('T', 30.0, 80.0).rfind("TRANSMISSION GEOMETRY\r\n", 0), 0U);
}

TEST(ResolutionReportHeaders, DetailHeaderCarriesTheTwoCodePageBytes) {
  const std::string h = DetailReportHeader(80.0, 165.0, 80.0, 75.0, 2, 4, 2, 4);
  const std::string expected =
      "       alpha_in =  80.00     theta  = 165.00\r\n"
      "       beta_out_1 = 80.00  beta_out_2 = 75.00\r\n"
      "       Z1 = 2    M1 = 4    Z2 = 2    M2 = 4\r\n"
      "\r\n"
      "depth |  straggling  | ms in after the sample   |   ms out after the sample         |S eff"
      "    |m  \r\n"
      "      |  in   |  out | tau  | fi   |  nu  |  k  |  tau |  fi   | nu   |  k   |  k   |    "
      "     |res    \r\n"
      "[nm]  |     [keV]    |  -   |[deg] |  -   | - \xC1 |   -  | [deg] |  -   | - \xC1  |  -"
      "\xBA |[keV/nm] | -  \r\n";
  EXPECT_EQ(h, expected);
  // Single bytes, not UTF-8 sequences.
  EXPECT_EQ(static_cast<unsigned char>(h[h.find("- \xC1") + 2]), 0xC1U);
  EXPECT_EQ(static_cast<unsigned char>(h[h.find("-\xBA") + 1]), 0xBAU);
  EXPECT_EQ(h.find("\xC3"), std::string::npos);
}

TEST(ResolutionReportLines, MainLineWidthsAndDecimals) {
  ResolutionTable t;
  const double values[][2] = {{1, 50.0}, {2, 29.99}, {3, 18.31},  {4, 3085.49},
                              {5, 5.68}, {6, 0.18},  {26, 0.14},  {7, 0.26},
                              {8, 0.11}, {9, 6.56},  {10, 5.55},  {11, 0.4},
                              {12, 1.6}, {13, 8.82}, {14, -0.77}, {39, 762.31}};
  for (const auto& v : values)
    t.at(0, static_cast<int>(v[0])) = v[1];
  // 6.1, 7.2, then 7.1 / 6.1 columns, one blank between numbers.
  EXPECT_EQ(MainReportLine(t.row(0)),
            "  50.0   29.99    18.3  3085.5    5.7    0.2     0.1     0.3     0.1     6.6     5.5"
            "     0.4     1.6     8.8   -0.8   762.3\r\n");
}

TEST(ResolutionReportLines, DetailLineTakesItsTwelveValuesThenSeffAndShape) {
  ResolutionTable t;
  const int sixOne[] = {1, 16, 17, 18, 19, 20, 23, 27, 28, 29, 32, 35};
  double x = 1.0;
  for (int v : sixOne)
    t.at(0, v) = x++;
  t.at(0, 36) = 0.61;
  t.at(0, 41) = 92.06;
  EXPECT_EQ(DetailReportLine(t.row(0)),
            "   1.0    2.0    3.0    4.0    5.0    6.0    7.0    8.0    9.0   10.0   11.0   12.0"
            "      0.6     92.1\r\n");
}

TEST(ResolutionReportClosing, ReasonsInTheirOrder) {
  WalkEnd end;
  end.stopDepth = 0.1;
  end.cumulativeThickness = 0.1;
  end.depthmax = 6.0;
  end.detectedEnergy = 500.0;
  end.thr = 150.0;
  EXPECT_EQ(ClosingLines(end),
            "the max. probing depth = 100 nm\r\nThe calculation was finished: sample "
            "thickness!!!\r\n");
  end.cumulativeThickness = 2e22;
  end.stopDepth = 6.0;
  EXPECT_EQ(ClosingLines(end),
            "the max. probing depth = 6000 nm\r\nThe calculation was finished: Max. depth = "
            "6.000\r\n");
  end.stopDepth = 1.05;
  end.detectedEnergy = 150.0;
  EXPECT_EQ(ClosingLines(end),
            "the max. probing depth = 1050 nm\r\nThe calculation was finished: e < thr  \r\n");
  // No known reason: the line stays open.
  end.detectedEnergy = 500.0;
  EXPECT_EQ(ClosingLines(end),
            "the max. probing depth = 1050 nm\r\nThe calculation was finished: ");
  // An error code names itself before anything else.
  end.ErrorCode = StepProblem::kSecondOrder;
  end.cumulativeThickness = 1.05;
  EXPECT_EQ(ClosingLines(end),
            "the max. probing depth = 1050 nm\r\nThe calculation was finished: ctg(alpha) \r\n");
}

TEST(ResolutionReportClosing, ErrorReasonsAndTheSublayerLimit) {
  EXPECT_EQ(ErrorReason(StepProblem::kLinearError), "error > 1000% ");
  EXPECT_EQ(ErrorReason(StepProblem::kEnergyBelowSpread), "E < dE/100 ");
  EXPECT_EQ(ErrorReason(StepProblem::kAbsorberUnresolved), "absorber ");
  EXPECT_EQ(ErrorReason(StepProblem::kDetectorResolutionZero),
            "The detector resolution reaches 0 !");
  EXPECT_EQ(ErrorReason(StepProblem::kNone), "");
  EXPECT_EQ(SublayerLimitLine(),
            "The calculation was finished: the number of sublayers reaches the limit (200)\r\n");
}

}  // namespace
}  // namespace dodavev
