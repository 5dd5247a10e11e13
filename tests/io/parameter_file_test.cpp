#include "io/parameter_file.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/text_file.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  LineCursor cursor(text);
  while (!cursor.AtEnd())
    lines.emplace_back(cursor.Next());
  return lines;
}

std::string Join(const std::vector<std::string>& lines, const char* end) {
  std::string text;
  for (const auto& l : lines)
    text += l + end;
  return text;
}

// Inputs that differ from the defaults everywhere a file can carry them.
ParameterInputs Modified() {
  ParameterInputs in;
  in.Edit1_e0 = "2000";
  in.Edit1_z1 = "1";
  in.Edit1_r = "0.25";
  in.Edit1_leng = "0.75";
  in.Edit1_target = "si";
  in.Edit1_x = " 0.01";  // texts are kept as typed, blanks included
  in.CheckMS = false;
  in.CheckKinematic2 = true;
  SelectRadio(in.RadioButton4, in.RadioButton3);
  SelectRadio(in.RadioButton5, in.RadioButton6);
  SelectRadio(in.RadioButton_ZBL2003, in.RadioButton_ZBL92);
  SelectRadio(in.RadioButton_NRA_Files, in.RadioButton_NRAConstans);
  in.registry.CheckListBox1 = {{"4HE    /data/He in Si.txt", true}, {"1H     /data/p.txt", false}};
  in.registry.CheckListBox_NRA = {{"Theta=150; 16O (2H ,4HE)14N ; level=0;    /x.dat", true}};
  in.ComboBox1 = "L'Ecuer screening";
  in.CheckBox1_given_target = true;
  in.Edit1_channels = "2048";
  in.MeasuredSpectrumFile = "/data/run 7.mca";
  in.CheckNuclearStopping = true;
  in.Edit1_fit_parameters = "thickness 1, amount 2 Si, dose";
  in.Edit1_fit_channels = "120 480";
  return in;
}

TEST(ParameterFileFormat, DefaultsHaveTheFixedLinesAndLabels) {
  const std::string text = FormatParameterFile(ParameterInputs{});
  const auto lines = Lines(text);
  ASSERT_EQ(lines.size(), kParameterFileFixedLines);
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);  // CR LF line ends
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  // Line numbers counted from 1, as a reader of the file counts them.
  EXPECT_EQ(lines[0], "atomic number of the incident ion");
  EXPECT_EQ(lines[7], "3100");
  EXPECT_EQ(lines[13], "rectangular");
  EXPECT_EQ(lines[36], "circular");
  EXPECT_EQ(lines[37], "8");  // the diameter, twice
  EXPECT_EQ(lines[38], "8");
  EXPECT_EQ(lines[40], "Cornell");
  EXPECT_EQ(lines[49],
            "the detector resolution = a0 + a1 * E^a2 + a3 * E^a4  , where E is the energy of "
            "the detected ion [keV]");
  EXPECT_EQ(lines[80], "  Iteration step [micron]  ");
  EXPECT_EQ(lines[92], "Chu`s correction for Bohr straggling");
  EXPECT_EQ(lines[93], "true");
  EXPECT_EQ(lines[105], "false");  // "No energy spread at all"
  EXPECT_EQ(lines[120], "Step  [deg]");
  EXPECT_EQ(lines[131], "FALSE");  // ZBL 2003 not chosen
  EXPECT_EQ(lines[133], "0");      // no stopping files
  EXPECT_EQ(lines[154], "FALSE");  // the given-target switch
  // The lines added after it: the channel count and the measured spectrum (none).
  EXPECT_EQ(lines[155], "number of channels");
  EXPECT_EQ(lines[156], "600");
  EXPECT_EQ(lines[157], "measured spectrum file");
  EXPECT_EQ(lines[158], "");
  EXPECT_EQ(lines[159], "nuclear stopping for H and He ions");
  EXPECT_EQ(lines[160], "FALSE");  // off by default
  EXPECT_EQ(lines[161], "fit parameters");
  EXPECT_EQ(lines[162], "");  // nothing to fit
  EXPECT_EQ(lines[163], "fit channels");
  EXPECT_EQ(lines[164], "");  // last
}

// A file of an earlier format ends before the pairs added since (the channel count, the
// measured spectrum, the nuclear stopping switch, the fit parameters, the fit channels): the
// pairs it has are read, the ones it lacks take their defaults whatever was there before.
TEST(ParameterFileRead, FilesOfEarlierFormatsReadDefaultsForThePairsTheyLack) {
  const auto lines = Lines(FormatParameterFile(Modified()));
  for (std::size_t present = 0; present <= 5; ++present) {
    std::vector<std::string> cut = lines;
    cut.resize(lines.size() - 2 * (5 - present));
    for (const ParameterInputs& before : {ParameterInputs{}, Modified()}) {
      SCOPED_TRACE("added pairs present: " + std::to_string(present));
      ParameterInputs in = before;
      ASSERT_EQ(ParseParameterText(Join(cut, "\r\n"), in).code, 0);
      EXPECT_TRUE(in.CheckBox1_given_target);  // the last line of the oldest format
      EXPECT_EQ(in.Edit1_channels, present > 0 ? "2048" : "600");
      EXPECT_EQ(in.MeasuredSpectrumFile, present > 1 ? "/data/run 7.mca" : "");
      EXPECT_EQ(in.CheckNuclearStopping, present > 2);
      EXPECT_EQ(in.Edit1_fit_parameters, present > 3 ? "thickness 1, amount 2 Si, dose" : "");
      EXPECT_EQ(in.Edit1_fit_channels, present > 4 ? "120 480" : "");
    }
  }
}

TEST(ParameterFileFormat, EachListEntryAddsTwoLines) {
  ParameterInputs in;
  in.registry.CheckListBox1 = {{"a", true}, {"b", false}};
  const auto lines = Lines(FormatParameterFile(in));
  ASSERT_EQ(lines.size(), kParameterFileFixedLines + 4);
  EXPECT_EQ(lines[133], "2");
  EXPECT_EQ(lines[134], "TRUE");
  EXPECT_EQ(lines[135], "a");
  EXPECT_EQ(lines[136], "FALSE");
  EXPECT_EQ(lines[137], "b");
}

TEST(ParameterFileFormat, LineBreaksInsideAValueCannotShiftTheLines) {
  ParameterInputs in;
  in.Edit1_e0 = "31\r\n00";
  in.registry.CheckListBox_ESS = {{"path\nwith break", true}};
  const auto lines = Lines(FormatParameterFile(in));
  EXPECT_EQ(lines.size(), kParameterFileFixedLines + 2);
  EXPECT_EQ(lines[7], "31  00");
}

TEST(ParameterFileRead, WrittenInputsReadBackUnchanged) {
  for (const ParameterInputs& written : {ParameterInputs{}, Modified()}) {
    ParameterInputs read = Modified() == written ? ParameterInputs{} : Modified();
    ParameterReadResult r = ParseParameterText(FormatParameterFile(written), read);
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(read == written);
  }
}

TEST(ParameterFileRead, CircularSlitSetsTheDiameterOnly) {
  ParameterInputs written;
  SelectRadio(written.RadioButton1, written.RadioButton2);
  written.Edit1_diam = "2.5";
  ParameterInputs read;
  read.Edit1_r = "0.3";
  read.Edit1_leng = "0.7";
  ParseParameterText(FormatParameterFile(written), read);
  EXPECT_TRUE(read.RadioButton1);
  EXPECT_FALSE(read.RadioButton2);
  EXPECT_EQ(read.Edit1_diam, "2.5");
  EXPECT_EQ(read.Edit1_r, "0.3");
  EXPECT_EQ(read.Edit1_leng, "0.7");
}

TEST(ParameterFileRead, BooleansAndShapesCompareExactly) {
  auto lines = Lines(FormatParameterFile(ParameterInputs{}));
  lines[93] = "True";      // CheckChu
  lines[131] = "true";     // ZBL 2003 radio: only "TRUE" chooses it
  lines[135] = "true";     // ESS Rutherford radio
  lines[36] = "Circular";  // detector diaphragm
  lines[40] = "ibm";       // detector position
  ParameterInputs in;
  ParseParameterText(Join(lines, "\r\n"), in);
  EXPECT_FALSE(in.CheckChu);
  EXPECT_FALSE(in.RadioButton_ZBL2003);
  EXPECT_TRUE(in.RadioButton_ZBL92);
  EXPECT_FALSE(in.RadioButton_ESS_Rutherford);
  EXPECT_TRUE(in.RadioButton_ESS_NonRutherford);
  EXPECT_TRUE(in.RadioButton4);  // "Circular" is not "circular": rectangular
  EXPECT_FALSE(in.RadioButton3);
  EXPECT_EQ(in.Edit1_ss, "8");  // what was written as the diameter is now the slit width
  EXPECT_TRUE(in.RadioButton6);
}

TEST(ParameterFileRead, TruncatedFileSetsTheRestFromEmptyLines) {
  auto lines = Lines(FormatParameterFile(Modified()));
  lines.resize(19);  // up to the label of the angular spread
  ParameterInputs in = Modified();
  ParameterReadResult r = ParseParameterText(Join(lines, "\r\n"), in);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(in.Edit1_e0, "2000");  // read
  EXPECT_EQ(in.Edit1_bes, "1");    // line 18, read
  EXPECT_EQ(in.Edit1_asb, "");     // line 20 is missing
  EXPECT_EQ(in.Edit1_temperature, "");
  EXPECT_EQ(in.Edit1_itlength, "");
  EXPECT_FALSE(in.CheckMS);
  EXPECT_FALSE(in.CheckAll);
  EXPECT_FALSE(in.RadioButton3);  // second choices
  EXPECT_TRUE(in.RadioButton4);
  EXPECT_FALSE(in.RadioButton_ESS_Rutherford);
  EXPECT_TRUE(in.RadioButton_NRA_Files);
  EXPECT_TRUE(in.registry.CheckListBox1.empty());
  EXPECT_TRUE(in.registry.CheckListBox_NRA.empty());
  EXPECT_FALSE(in.CheckBox1_given_target);
  EXPECT_EQ(in.Edit1_channels, "600");  // a file without the line: the old 600 channels
  EXPECT_EQ(in.MeasuredSpectrumFile, "");
}

TEST(ParameterFileRead, CountThatIsNotAnIntegerStopsWithInvalidNumericFormat) {
  auto lines = Lines(FormatParameterFile(ParameterInputs{}));
  lines[133] = "two";
  ParameterInputs in = Modified();
  ParameterReadResult r = ParseParameterText(Join(lines, "\r\n"), in);
  EXPECT_EQ(r.code, kInvalidNumericFormat);
  EXPECT_EQ(in.Edit1_e0, "3100");                  // read before the count: new text
  EXPECT_FALSE(in.RadioButton_ZBL2003);            // line 132, read
  EXPECT_TRUE(in.registry.CheckListBox1.empty());  // emptied before its count
  EXPECT_TRUE(in.RadioButton_NRA_Files);           // after the count: old choice
  EXPECT_EQ(in.ComboBox1, "L'Ecuer screening");
  EXPECT_EQ(in.registry.CheckListBox_NRA.size(), 1U);
}

TEST(ParameterFileRead, CountWithTrailingBlanksIsStillACount) {
  auto lines = Lines(FormatParameterFile(Modified()));
  lines[133] = " 2 ";
  ParameterInputs in;
  EXPECT_EQ(ParseParameterText(Join(lines, "\r\n"), in).code, 0);
  EXPECT_TRUE(in == Modified());
}

TEST(ParameterFileRead, HugeCountEndsWithTheFile) {
  auto lines = Lines(FormatParameterFile(ParameterInputs{}));
  lines.resize(134);
  lines[133] = "2147483647";
  lines.insert(lines.end(), {"TRUE", "first", "FALSE", "second"});
  ParameterInputs in;
  ParameterReadResult r = ParseParameterText(Join(lines, "\r\n"), in);
  EXPECT_EQ(r.code, 0);
  ASSERT_EQ(in.registry.CheckListBox1.size(), 2U);
  EXPECT_EQ(in.registry.CheckListBox1[1], (RegistryEntry{"second", false}));
}

// A count of entries below zero counts nothing: refused as a count that is no number,
// with its line (134, from 1).
TEST(ParameterFileRead, NegativeCountIsRefusedWithItsLine) {
  auto lines = Lines(FormatParameterFile(ParameterInputs{}));
  lines[133] = "-1";
  ParameterInputs in = Modified();
  const ParameterReadResult r = ParseParameterText(Join(lines, "\r\n"), in);
  EXPECT_EQ(r.code, kInvalidNumericFormat);
  EXPECT_EQ(r.line, 134U);
  EXPECT_TRUE(in.registry.CheckListBox1.empty());
  lines[133] = "0";  // zero is an empty list
  EXPECT_EQ(ParseParameterText(Join(lines, "\r\n"), in).code, 0);
  EXPECT_TRUE(in == ParameterInputs{});
}

TEST(ParameterFileRead, EntriesBeyondTheCapAreDroppedButTheLinesStayInStep) {
  ParameterInputs written;
  written.registry.CheckListBox1.assign(kMaxRegistryEntries + 3, RegistryEntry{"e", true});
  written.ComboBox1 = "no screening";
  ParameterInputs in;
  ParameterReadResult r = ParseParameterText(FormatParameterFile(written), in);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.droppedEntries, 3U);
  EXPECT_EQ(in.registry.CheckListBox1.size(), kMaxRegistryEntries);
  EXPECT_EQ(in.ComboBox1, "no screening");  // later lines were read in their places
}

TEST(ParameterFileRead, GarbageNeverThrowsOrHangs) {
  std::string garbage;
  for (int i = 0; i < 5000; ++i)
    garbage.push_back(static_cast<char>((i * 7919) % 256));
  ParameterInputs in;
  ParseParameterText(garbage, in);
  ParseParameterText(std::string(1 << 20, 'x'), in);  // one very long line
  EXPECT_EQ(in.Edit1_z1, "");
}

TEST(ParameterFileIo, MissingFileIsErrorTwo) {
  testing::TempDir dir;
  ParameterInputs in;
  EXPECT_EQ(ReadParameterFile(dir / "absent.par", in).code, 2);
  EXPECT_TRUE(in == ParameterInputs{});
}

TEST(ParameterFileIo, DirectoryIsAReadError) {
  testing::TempDir dir;
  ParameterInputs in;
  EXPECT_NE(ReadParameterFile(dir.path(), in).code, 0);
}

TEST(ParameterFileIo, WriteThenReadRoundTripsThroughTheFile) {
  testing::TempDir dir;
  ASSERT_EQ(WriteParameterFile(dir / "p.par", Modified()), 0);
  ParameterInputs in;
  EXPECT_EQ(ReadParameterFile(dir / "p.par", in).code, 0);
  EXPECT_TRUE(in == Modified());
}

TEST(ParameterFileIo, FailedWriteKeepsNoPartialFile) {
  testing::TempDir dir;
  EXPECT_EQ(WriteParameterFile(dir / "no" / "such" / "dir.par", ParameterInputs{}), 2);
  EXPECT_FALSE(std::filesystem::exists(dir / "no"));
}

TEST(ParameterFileIo, OversizedFileIsRefusedUnread) {
  testing::TempDir dir;
  testing::WriteFile(dir / "big.par", std::string(kMaxParameterFileBytes + 1, '\n'));
  ParameterInputs in;
  EXPECT_EQ(ReadParameterFile(dir / "big.par", in).code, EFBIG);
  EXPECT_TRUE(in == ParameterInputs{});
}

TEST(ParameterFileIo, ShippedExampleHoldsTheDefaultInputs) {
  std::string text;
  ASSERT_EQ(ReadWholeFile(std::filesystem::path(DODAVEV_SOURCE_DIR) / "examples/default.par", text),
            0);
  EXPECT_EQ(text, FormatParameterFile(ParameterInputs{}));
}

}  // namespace
}  // namespace dodavev
