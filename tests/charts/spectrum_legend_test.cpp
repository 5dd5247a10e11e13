// The legend of the spectrum chart names "measured" only when a measured spectrum is there.
#include <gtest/gtest.h>

#include <memory>

#include "app/session.hpp"
#include "charts/chart_sets.hpp"
#include "model/messages.hpp"

namespace dodavev {
namespace {

class SpectrumLegend : public ::testing::Test {
 protected:
  SpectrumLegend() : session_(std::make_unique<Session>(sink_)) {
    session_->CalcMode = CalculationMode::kDepthWalk;
    session_->SpectrumFlag = SpectrumMode::kSpectrum;
    session_->results.SimulatedSpectrum[20] = 50.0;
  }
  const ChartSeries& Measured() {
    chart_ = BuildChartSet(*session_, ChartSetKind::SpectrumChart);
    return chart_.series.at(0);
  }

  CollectingSink sink_;
  std::unique_ptr<Session> session_;
  Chart chart_;
};

TEST_F(SpectrumLegend, WithoutAMeasuredSpectrumOnlyTheSimulationIsListed) {
  const ChartSeries& measured = Measured();
  EXPECT_EQ(measured.title, "measured");
  EXPECT_FALSE(measured.inLegend);
  EXPECT_TRUE(chart_.series.at(1).inLegend);  // "simulated"
}

TEST_F(SpectrumLegend, CountsOrALoadedFileListIt) {
  session_->MeasuredSpectrum[600] = 1.0;  // the last channel
  EXPECT_TRUE(Measured().inLegend);
  // A loaded file of empty channels is still a measured spectrum.
  session_->MeasuredSpectrum = Spectrum{};
  session_->params.MeasuredSpectrumFile = "/data/empty.dat";
  EXPECT_TRUE(Measured().inLegend);
}

}  // namespace
}  // namespace dodavev
