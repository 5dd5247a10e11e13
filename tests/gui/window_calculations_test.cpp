// Calculations from the window: "depth and energy resolution" from the menu shows the same
// report the batch mode writes; a run goes on beside a responsive window with its inputs
// locked, shows its progress and ends early on "Stop"; its messages reach the window's
// thread in order while the run waits for each.
#include <QAction>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/batch_run.hpp"
#include "app/output_actions.hpp"
#include "gui/drawing_window.hpp"
#include "io/layer_file.hpp"
#include "io/parameter_file.hpp"
#include "support/temp_dir.hpp"
#include "window_fixture.hpp"

namespace dodavev::testing {
namespace {

class WindowCalculations : public WindowTest {
 protected:
  WindowCalculations() {
    QObject::connect(window_.get(), &TDVornex::calculationFinished,
                     [this](const QString& caption, bool stopped) {
                       finished_.push_back(FromQt(caption));
                       stopped_ = stopped;
                     });
  }
  bool WaitForFinish(int ms = 60000) {
    const std::size_t before = finished_.size();
    return WaitUntil([&] { return finished_.size() > before || !window_->calculationRunning(); },
                     ms) &&
           WaitUntil([&] { return !finished_.empty(); }, ms);
  }
  std::string Report() { return FromQt(Find<QPlainTextEdit>("RichEdit3")->toPlainText()); }

  TempDir dir_;
  std::vector<std::string> finished_;
  bool stopped_ = false;
};

std::string WithoutCarriageReturns(std::string text) {
  std::erase(text, '\r');
  return text;
}

TEST_F(WindowCalculations, DepthResolutionFromTheMenuShowsWhatTheBatchModeWrites) {
  // The window on its default inputs.
  window_->calculations1Click();
  ASSERT_TRUE(messages_.empty()) << messages_.front();
  window_->findChild<QAction*>("depthandenergyresolution1")->trigger();
  ASSERT_TRUE(WaitForFinish());
  EXPECT_EQ(finished_.back(), "depth and energy resolution");
  EXPECT_TRUE(Shown("Output"));
  EXPECT_FALSE(Shown("Button12"));
  EXPECT_FALSE(Shown("Button13"));
  EXPECT_FALSE(Report().empty());

  // The batch mode on the same inputs, from files.
  ASSERT_EQ(WriteParameterFile(dir_ / "default.par", ParameterInputs{}), 0);
  ASSERT_EQ(WriteLayerText(dir_ / "default.lay", ParameterInputs{}.richedit1), 0);
  WriteFile(dir_ / "run.bat",
            (dir_ / "default.par").string() + "\n" + (dir_ / "default.lay").string() +
                "\n\ndepth and energy resolution\n" + (dir_ / "batch").string() + "\n");
  CollectingSink batchSink;
  auto batch = std::make_unique<Session>(batchSink);
  FormCreate(*batch, DODAVEV_SOURCE_DIR, DODAVEV_LEV_DIR);
  batchSink.messages.clear();
  ASSERT_EQ(RunBatchFile(*batch, dir_ / "run.bat"), 0);
  EXPECT_TRUE(batchSink.messages.empty());
  const std::string written = ReadFile(dir_ / "batch_1.dat");
  ASSERT_FALSE(written.empty());
  EXPECT_EQ(Report(), WithoutCarriageReturns(written));

  // "Save results" writes the very files of the batch run.
  Choose(dir_ / "window.txt");
  Click("Button4");
  EXPECT_EQ(ReadFile(dir_ / "window_1.dat"), written);
  EXPECT_EQ(ReadFile(dir_ / "window_2.dat"), ReadFile(dir_ / "batch_2.dat"));
  EXPECT_EQ(chooser_->filters.back(), "Data files(*.dat)|*.dat|All files (*.*)|*.*");
}

TEST_F(WindowCalculations, EnergyLossWithoutAbsorberSaysSoAndShowsTheOutputPanel) {
  window_->calculations1Click();
  window_->RunCalculation("energy loss");
  ASSERT_TRUE(WaitForFinish());
  EXPECT_FALSE(messages_.empty());
  EXPECT_TRUE(presentedOnWindowThread_);
  EXPECT_TRUE(Shown("Output"));
  Click("Button3");
  EXPECT_FALSE(Shown("Output"));
}

TEST_F(WindowCalculations, WindowStaysResponsiveAndStopEndsTheScanWithWhatItHas) {
  // A scan that stands in for a long one: a geometry every few milliseconds until stopped.
  std::atomic<int> geometries{0};
  ASSERT_TRUE(window_->StartTask("optimization", [&](Session& run, RunControl& control) {
    constexpr int kTotal = 100000;
    int done = 0;
    while (done < kTotal && !control.StopRequested()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      ++done;
      geometries = done;
      control.Progress(ScanProgress{"optimization", "geometries", done, kTotal});
    }
    run.OutputLog = "scanned " + std::to_string(done) + " geometries\r\n";
  }));
  EXPECT_TRUE(window_->calculationRunning());
  // Meanwhile the inputs, the calculations and a second run are locked.
  EXPECT_FALSE(Find("Panel_parameters")->isEnabled());
  EXPECT_FALSE(window_->findChild<QMenu*>("calculations1")->isEnabled());
  EXPECT_FALSE(window_->StartTask("second", [](Session&, RunControl&) {}));
  EXPECT_TRUE(Shown("Button_stop"));

  // The window's event loop keeps turning: timers fire while the scan runs.
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(5);
  ASSERT_TRUE(WaitUntil([&] { return ticks >= 10 && geometries >= 5; }, 20000));
  ASSERT_TRUE(
      WaitUntil([&] { return LabelText("Label_progress").find("optimization: ") == 0; }, 5000));
  EXPECT_NE(LabelText("Label_progress").find("/100000 geometries"), std::string::npos);
  EXPECT_EQ(Find<QProgressBar>("ProgressBar_run")->maximum(), 100000);

  Click("Button_stop");
  ASSERT_TRUE(WaitForFinish(20000));
  EXPECT_TRUE(stopped_);
  EXPECT_LT(geometries.load(), 100000);
  const std::string expected = "scanned " + std::to_string(geometries.load()) + " geometries";
  EXPECT_EQ(session_->OutputLog, expected + "\r\n");
  EXPECT_EQ(Report(), expected + "\n");
  EXPECT_TRUE(Find("Panel_parameters")->isEnabled());
  EXPECT_TRUE(window_->findChild<QMenu*>("calculations1")->isEnabled());
  EXPECT_FALSE(Shown("Button_stop"));
}

// "Stop" also ends a single walk, before its next depth step. The walk here (silicon under
// 300 nm of gold in steps of 1e-5 micron) would take many seconds to its own end.
TEST_F(WindowCalculations, StopEndsASingleWalkWithTheRowsItHas) {
  Session& s = window_->session();
  s.params.Edit1_e0 = "2000";
  s.params.Edit1_th = "170";
  s.params.Edit1_x = "0.00001";
  s.params.Edit1_target = "si";
  s.params.Edit1_mt = "28";
  s.params.richedit1 = "A=3000\nn=5.9e22\nau#,1\nS=\nn=4.99e22\nsi#,1\n";
  window_->ShowSession();
  window_->calculations1Click();
  messages_.clear();
  window_->findChild<QAction*>("spectrumsimulation1")->trigger();
  ASSERT_TRUE(window_->calculationRunning());
  Click("Button_stop");
  ASSERT_TRUE(WaitForFinish(20000));
  EXPECT_EQ(finished_.back(), "spectrum simulation");
  EXPECT_TRUE(stopped_);
  ASSERT_EQ(messages_.size(), 1U);
  EXPECT_EQ(messages_[0].rfind("spectrum simulation: stopped after ", 0), 0U) << messages_[0];
  EXPECT_EQ(Report().substr(Report().size() - messages_[0].size() - 1), messages_[0] + "\n");
  // The status bar gives the same count.
  EXPECT_EQ(FromQt(window_->statusBar()->currentMessage()), messages_[0]);
}

TEST_F(WindowCalculations, MessagesOfARunArriveInOrderAndTheRunWaitsForEach) {
  std::atomic<int> seenBeforeNext{0};
  ASSERT_TRUE(window_->StartTask("messages", [&](Session& run, RunControl&) {
    for (int i = 1; i <= 3; ++i) {
      run.messages.Show("message " + std::to_string(i));
      // Show returns once the box is acknowledged: the window has it by now.
      if (messages_.size() == static_cast<std::size_t>(i)) ++seenBeforeNext;
    }
  }));
  ASSERT_TRUE(WaitForFinish(20000));
  EXPECT_EQ(messages_, std::vector<std::string>({"message 1", "message 2", "message 3"}));
  EXPECT_EQ(seenBeforeNext.load(), 3);
  EXPECT_TRUE(presentedOnWindowThread_);
}

TEST_F(WindowCalculations, ACalculationThatFailsEndsWithAMessageNotTheProgram) {
  ASSERT_TRUE(window_->StartTask("failing", [](Session&, RunControl&) {
    throw std::runtime_error("table index out of range");
  }));
  ASSERT_TRUE(WaitForFinish(20000));
  EXPECT_EQ(messages_, std::vector<std::string>(
                           {"the calculation \"failing\" stopped: table index out of range"}));
  EXPECT_FALSE(window_->calculationRunning());
}

TEST_F(WindowCalculations, SubSpectrumShowsItsButtonsAndSavesTheDepthFileByFilter) {
  window_->calculations1Click();
  window_->RunCalculation("spectrum simulation");
  ASSERT_TRUE(WaitForFinish());
  ASSERT_EQ(session_->SpectrumFlag, SpectrumMode::kSpectrum)
      << (messages_.empty() ? "" : messages_.front());
  EXPECT_TRUE(Shown("Button12"));
  EXPECT_TRUE(Shown("Button13"));
  EXPECT_EQ(FromQt(Find<QPushButton>("Button12")->text()), "View subspectrum");

  // The second filter of the dialog is the depth file: energies beside the counts.
  Choose(dir_ / "sim.out", 2);
  Click("Button13");
  EXPECT_EQ(chooser_->filters.back(),
            "Spectrum files (*.dat)|*.dat|Depth files (*.txt)|*.txt|All files (*.*)|*.*");
  const std::string depth = ReadFile(dir_ / "sim.txt");
  EXPECT_EQ(depth.rfind("channels     energy_[keV]     measured       simulated\r\n", 0), 0u);
  // Channel 1 at 1 x 7.03 + 185.88 = 192.91 keV, printed with one decimal in 12 columns.
  EXPECT_NE(depth.find("   1            192.9   "), std::string::npos);

  // A calculation without a spectrum hides the two buttons again.
  window_->RunCalculation("depth and energy resolution");
  ASSERT_TRUE(WaitForFinish());
  EXPECT_FALSE(Shown("Button12"));
  EXPECT_FALSE(Shown("Button13"));
}

}  // namespace
}  // namespace dodavev::testing

namespace dodavev::testing {
namespace {

// The "Fit" group of the Simulation page: the check boxes add their parameter to the list
// and follow what the list names.
TEST_F(WindowCalculations, FitCheckBoxesAndTheParameterListFollowEachOther) {
  Type("Edit1_fit_parameters", "thickness 1");
  EXPECT_FALSE(Checked("CheckFit_dose"));
  Click("CheckFit_dose");
  EXPECT_EQ(Text("Edit1_fit_parameters"), "thickness 1, dose");
  Click("CheckFit_calibration");
  EXPECT_EQ(Text("Edit1_fit_parameters"), "thickness 1, dose, calibration");
  Click("CheckFit_dose");
  EXPECT_EQ(Text("Edit1_fit_parameters"), "thickness 1, calibration");
  Type("Edit1_fit_parameters", "resolution, Dose");
  EXPECT_TRUE(Checked("CheckFit_resolution"));
  EXPECT_TRUE(Checked("CheckFit_dose"));
  EXPECT_FALSE(Checked("CheckFit_calibration"));
}

// The example fit from the menu: the report of the batch run, the fitted thickness in the
// sample text and the spectrum buttons of a full spectrum.
TEST_F(WindowCalculations, SpectrumFitFromTheMenuShowsItsReportAndWritesBackTheThickness) {
  Session& s = window_->session();
  ASSERT_EQ(ReadParameterFile(DODAVEV_SOURCE_DIR "/examples/fit.par", s.params).code, 0);
  s.params.MeasuredSpectrumFile = DODAVEV_SOURCE_DIR "/examples/fit_measured.dat";
  s.params.richedit1 = "A=390\nn=5.907e22\nau#,1\nS=\nn=4.994e22\nsi#,1\n";
  LoadNamedMeasuredSpectrum(s, {});
  window_->ShowSession();
  window_->calculations1Click();
  ASSERT_TRUE(messages_.empty()) << messages_.front();
  window_->findChild<QAction*>("spectrumfit1")->trigger();
  ASSERT_TRUE(WaitForFinish());
  EXPECT_EQ(finished_.back(), "spectrum fit");
  EXPECT_TRUE(messages_.empty()) << messages_.front();
  EXPECT_EQ(Report().rfind("thickness 1 = 299.97 +- 0.24 A\n", 0), 0U) << Report();
  EXPECT_EQ(window_->session().params.richedit1.rfind("A=299.9", 0), 0U);
  EXPECT_TRUE(Shown("Button12"));
  EXPECT_TRUE(Shown("Button13"));
}

}  // namespace
}  // namespace dodavev::testing
