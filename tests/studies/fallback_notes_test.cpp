// Whole calculations with data files that do not cover every energy, reaction or ion: each
// run says once per file and side what it used instead, again in the next run, and a scan
// on many threads says exactly what it says on one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/calculations.hpp"
#include "app/ok_action.hpp"
#include "app/session_fixture.hpp"
#include "engine/cross_sections.hpp"
#include "physics/srim_tables.hpp"

namespace dodavev {
namespace {

long Count(const std::vector<std::string>& texts, const std::string& text) {
  return std::count(texts.begin(), texts.end(), text);
}

// Texts that appear more than once.
std::vector<std::string> Repeated(const std::vector<std::string>& texts) {
  std::vector<std::string> repeated;
  for (const std::string& t : texts) {
    if (Count(texts, t) > 1 && Count(repeated, t) == 0) repeated.push_back(t);
  }
  return repeated;
}

class FallbackNotes : public testing::StartedSession {
 protected:
  void Ok() {
    Button5Click(session());
    messages().clear();
  }
  // 18O(p,alpha)15N: a resonance table from 500 to 800 keV (a Lorentzian of 2.1 keV at
  // 629 keV), read "From Files", for protons detected at 165 degrees in 18O-rich SiO2.
  void ProtonsOnOxygen18() {
    params().Edit1_z1 = "1";
    params().Edit1_m1 = "1";
    params().Edit1_chargestate_in = "1";
    params().Edit1_z2 = "2";
    params().Edit1_m2 = "4";
    params().Edit1_th = "165";
    params().Edit1_target = "o";
    params().Edit1_mt = "18";
    params().Edit1_qm = "3.98";
    params().richedit1 = "S=\nn=6.6e22\nsi,1\no18,2\n";
    params().RadioButton_NRAConstans = false;
    params().RadioButton_NRA_Files = true;
  }
  void UseResonanceTable() {
    std::string text = "resonance\nE [keV]  sigma [mbarn/sr]\n\n";
    for (double e = 500.0; e <= 800.0 + 1e-9; e += 0.5) {
      const double u = 2.0 * (e - 629.0) / 2.1;
      char line[64];
      std::snprintf(line, sizeof line, "%.2f %.8g\n", e, 200.0 / (1.0 + u * u));
      text += line;
    }
    CrossSectionDataSet set;
    std::string problem;
    ASSERT_EQ(ParseCrossSectionText(text, set, problem), 0) << problem;
    set.key = {1, 1.0, 8, 18.0, 2, 4.0, 165.0, 0};
    set.file = "18O(p,a).txt";
    session().crossSections.nra.push_back(std::move(set));
  }
  static constexpr const char* kBelow =
      "cross section file 18O(p,a).txt covers 500 to 800 keV; below 500 keV the constant 100 "
      "mbarn/sr was used";
  static constexpr const char* kAbove =
      "cross section file 18O(p,a).txt covers 500 to 800 keV; above 800 keV the constant 100 "
      "mbarn/sr was used";
};

TEST_F(FallbackNotes, ThickTargetSpectrumSaysOncePerRunWhatTheResonanceTableLeftOut) {
  ProtonsOnOxygen18();
  params().Edit1_e0 = "1000";
  params().Edit1_x = "0.05";
  params().Edit1_depthmax = "30";  // the protons slow down to the threshold
  Ok();
  UseResonanceTable();
  spectrumsimulation1Click(session());
  EXPECT_EQ(Count(messages(), kBelow), 1);
  EXPECT_EQ(Count(messages(), kAbove), 1);
  EXPECT_TRUE(Repeated(messages()).empty()) << Repeated(messages()).front();
  // The next run says it again, once.
  spectrumsimulation1Click(session());
  EXPECT_EQ(Count(messages(), kBelow), 2);
  EXPECT_EQ(Count(messages(), kAbove), 2);
}

TEST_F(FallbackNotes, ExcitationCurveOnManyThreadsSaysWhatItSaysOnOne) {
  ProtonsOnOxygen18();
  params().Edit1_er = "629";
  params().Edit1_fwhm = "2.1";
  params().Edit1_rezmin = "589";
  params().Edit1_rezmax = "889";
  params().Edit1_estep = "20";
  params().Edit1_depthmax = "2";
  Ok();
  UseResonanceTable();
  session().scan.jobs = 1;
  exitationcurvesforresonances1Click(session());
  const std::vector<std::string> serial = messages();
  EXPECT_EQ(Count(serial, kBelow), 1);  // the lowest beams slow down below 500 keV
  EXPECT_EQ(Count(serial, kAbove), 1);  // the highest start above 800 keV
  EXPECT_TRUE(Repeated(serial).empty()) << Repeated(serial).front();
  for (int jobs : {2, 5}) {
    messages().clear();
    session().scan.jobs = jobs;
    exitationcurvesforresonances1Click(session());
    EXPECT_EQ(messages(), serial) << jobs << " threads";
  }
}

// 2 MeV helium on natural SiC at 170 degrees with a 12C elastic table from 1950 to 3000
// keV: the full spectrum runs every isotope; the silicon isotopes and 13C have no file.
TEST_F(FallbackNotes, FullSpectrumOnManyThreadsSaysWhatItSaysOnOne) {
  params().Edit1_e0 = "2000";
  params().Edit1_a = "90";
  params().Edit1_th = "170";
  params().Edit1_depthmax = "2";
  params().CheckBox1_given_target = false;  // every isotope of the sample
  params().richedit1 = "S=\nn=9.64e22\nc#,1\nsi#,1\n";
  params().RadioButton_ESS_Rutherford = false;
  params().RadioButton_ESS_NonRutherford = true;
  Ok();
  CrossSectionDataSet set;
  std::string problem;
  ASSERT_EQ(ParseCrossSectionText("a\nb\nc\n1950 0.5\n3000 0.9\n", set, problem), 0);
  set.key = {2, 4.0, 6, 12.0, 2, 4.0, 170.0, 0};
  set.file = "C12(a,a).txt";
  session().crossSections.elastic.push_back(std::move(set));
  session().scan.jobs = 1;
  spektrumsim21Click(session());
  const std::vector<std::string> serial = messages();
  EXPECT_EQ(Count(serial,
                  "cross section file C12(a,a).txt covers 1950 to 3000 keV; below 1950 keV the "
                  "Rutherford cross section was used"),
            1);
  for (const char* isotope : {"28Si", "29Si", "30Si", "13C"}) {
    EXPECT_EQ(Count(serial, std::string("no cross section file for 4He on ") + isotope +
                                " (emitted 4He) at 170 deg, level 0; the Rutherford cross "
                                "section was used"),
              1)
        << isotope;
  }
  EXPECT_TRUE(Repeated(serial).empty()) << Repeated(serial).front();
  messages().clear();
  session().scan.jobs = 3;
  spektrumsim21Click(session());
  EXPECT_EQ(messages(), serial);
}

// "ZBL 2003 from files" with a table for helium that starts at 500 keV: the depth
// resolution run tells the file's range once, and that no table holds the ion elsewhere.
TEST_F(FallbackNotes, DepthResolutionRunTellsWhatTheStoppingTablesLeftOut) {
  params().Edit1_depthmax = "3";
  params().RadioButton_ZBL92 = false;
  params().RadioButton_ZBL2003 = true;
  Ok();
  session().srimTables.Clear();
  auto energies = std::make_shared<const std::vector<double>>(std::vector<double>{500, 5000});
  SrimTable t;
  t.ionZ = 2;
  t.eMin = 500.0;
  t.eMax = 5000.0;
  t.eStep = 4500.0;
  t.count = 2;
  t.energies = energies;
  t.values = {70.0, 30.0};  // a made-up table: only what is said is looked at here
  t.file = "He.srim";
  session().srimTables.byTarget[14].push_back(t);
  depthandenergyresolution1Click(session());
  EXPECT_EQ(Count(messages(),
                  "no SRIM 2003 data for all ions: no table of He in C; the "
                  "ZBL'92 stopping was used"),
            1);
  EXPECT_EQ(Count(messages(),
                  "no SRIM 2003 data for all energy: table He.srim covers 500 to "
                  "5000 keV; below 500 keV the ZBL'92 stopping was used"),
            1);
  EXPECT_TRUE(Repeated(messages()).empty()) << Repeated(messages()).front();
}

}  // namespace
}  // namespace dodavev
