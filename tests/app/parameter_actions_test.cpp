#include "app/parameter_actions.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "app/session_fixture.hpp"
#include "io/parameter_file.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

using ::testing::ElementsAre;

class ParameterActions : public testing::StartedSession {
 protected:
  testing::TempDir dir_;
};

TEST_F(ParameterActions, OpeningResetsTheSimulationChoicesEvenWithoutAFile) {
  params().ComboBox1 = "L'Ecuer screening";
  params().Edit1_itlength = "5E16";
  params().CheckBox1_given_target = true;
  open1Click(session(), std::nullopt);
  EXPECT_EQ(params().ComboBox1, "no screening");
  EXPECT_EQ(params().Edit1_itlength, "1e17");
  EXPECT_FALSE(params().CheckBox1_given_target);
  EXPECT_TRUE(session().parameterFileName.empty());
}

TEST_F(ParameterActions, OpeningAFileLoadsItRemembersItAndIdentifiesTheReaction) {
  ParameterInputs written;
  written.Edit1_e0 = "2500";
  ASSERT_EQ(WriteParameterFile(dir_ / "a.par", written), 0);
  params().Label_iba = "stale";
  open1Click(session(), dir_ / "a.par");
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(params().Edit1_e0, "2500");
  // Written with the file: the resets above are overwritten by the file's lines.
  EXPECT_EQ(params().ComboBox1, "Screening");
  EXPECT_EQ(session().parameterFileName, (dir_ / "a.par").string());
  // 4He on carbon seen at 165 degrees: backscattering.
  EXPECT_EQ(params().Label_iba, "RBS");
}

TEST_F(ParameterActions, LoadingAMissingFileShowsErrorTwoAndKeepsTheInputs) {
  params().Edit1_e0 = "1234";
  LoadParameterFile(session(), dir_ / "absent.par");
  EXPECT_THAT(messages(), ElementsAre("#2 " + (dir_ / "absent.par").string()));
  EXPECT_EQ(params().Edit1_e0, "1234");
}

TEST_F(ParameterActions, BadCountIsReportedAsInvalidNumericFormat) {
  testing::WriteFile(dir_ / "bad.par", std::string(133, '\n') + "many\n");
  LoadParameterFile(session(), dir_ / "bad.par");
  EXPECT_THAT(messages(), ElementsAre("#106 " + (dir_ / "bad.par").string() + ", line 134"));
}

TEST_F(ParameterActions, DroppedEntriesAreReported) {
  ParameterInputs written;
  written.registry.CheckListBox_ERD.assign(kMaxRegistryEntries + 1, RegistryEntry{"x", false});
  ASSERT_EQ(WriteParameterFile(dir_ / "many.par", written), 0);
  LoadParameterFile(session(), dir_ / "many.par");
  ASSERT_EQ(messages().size(), 1U);
  EXPECT_NE(messages()[0].find("1 were not read"), std::string::npos);
}

TEST_F(ParameterActions, SavingWritesTheInputsAndRemembersTheName) {
  params().Edit1_th = "170";
  savethe1Click(session(), dir_ / "s.par");
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(session().parameterFileName, (dir_ / "s.par").string());
  ParameterInputs read;
  ASSERT_EQ(ReadParameterFile(dir_ / "s.par", read).code, 0);
  EXPECT_EQ(read.Edit1_th, "170");
}

TEST_F(ParameterActions, FailedSaveShowsTheCode) {
  savethe1Click(session(), dir_ / "nodir" / "x.par");
  EXPECT_THAT(messages(), ElementsAre("#2 " + (dir_ / "nodir" / "x.par").string()));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "nodir"));
}

TEST_F(ParameterActions, DiaphragmChoiceRecomputesTheSolidAngle) {
  RadioButton4Click(session());
  EXPECT_TRUE(params().RadioButton4);
  EXPECT_FALSE(params().RadioButton3);
  // 8.4 mm x 6 mm at 100 mm = 5.04 msr; to 1e-12.
  EXPECT_NEAR(params().solid_angle, 5.04, 1e-12);
  RadioButton3Click(session());
  // 8 mm circle at 100 mm = pi * 16 / 10 msr = 5.0265482 msr; to 1e-7.
  EXPECT_NEAR(params().solid_angle, 5.0265482, 1e-7);
  EXPECT_EQ(session().activePage, "Detection");
}

TEST_F(ParameterActions, PanelsOpenAndThePagesShow) {
  Button1Click(session());
  Button2Click(session());
  parameters1Click(session());
  EXPECT_TRUE(session().Panel3Visible);
  EXPECT_TRUE(session().Panel14Visible);
  EXPECT_TRUE(session().parametersVisible);
}

}  // namespace
}  // namespace dodavev
