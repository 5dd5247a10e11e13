#include "io/measured_spectrum.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/messages.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

using testing::TempDir;
using testing::WriteFile;

struct LayoutCase {
  const char* name;
  const char* text;
};

// The same three channels 10, 20.5, 0 in every layout a detector program writes.
class MeasuredLayouts : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(MeasuredLayouts, ReadTheSameCounts) {
  const MeasuredSpectrumRead r = ParseMeasuredSpectrumText(GetParam().text);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.channelsInFile, 3);
  ASSERT_EQ(r.counts.channels(), 3);
  EXPECT_DOUBLE_EQ(r.counts[1], 10.0);
  EXPECT_DOUBLE_EQ(r.counts[2], 20.5);
  EXPECT_DOUBLE_EQ(r.counts[3], 0.0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, MeasuredLayouts,
    ::testing::Values(LayoutCase{"TwoColumnsCrLf", "1 10\r\n2   20.5 trailing text\r\n3 0\r\n"},
                      LayoutCase{"OneColumn", "10\n20.5\n0\n"},
                      LayoutCase{"Comma", "1,10\n2, 20.5\n3 ,0,\n"},
                      LayoutCase{"OneColumnTrailingComma", "10,\n20.5,\n0,\n"},
                      LayoutCase{"Tabs", "1\t10\n2\t20.5\n3\t0"},
                      LayoutCase{
                          "CommentsAndBlankLines",
                          "# MCA export\n  # live time 300 s\n\n1 10\n2 20.5\n\n3 0\n# end\n"},
                      LayoutCase{"ByteOrderMark",
                                 "\xEF\xBB\xBF"
                                 "10\n20.5\n0\n"},
                      LayoutCase{"ChannelNumbersAreNotUsed", "0 10\n0 20.5\n7 0\n"}),
    [](const ::testing::TestParamInfo<LayoutCase>& p) { return std::string(p.param.name); });

struct BadCase {
  const char* name;
  const char* text;
  const char* reason;  // part of the message
};

class MeasuredRefused : public ::testing::TestWithParam<BadCase> {};

TEST_P(MeasuredRefused, SaysWhyAndLoadsNothing) {
  const MeasuredSpectrumRead r = ParseMeasuredSpectrumText(GetParam().text);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find(GetParam().reason), std::string::npos) << r.error;
}

INSTANTIATE_TEST_SUITE_P(
    Files, MeasuredRefused,
    ::testing::Values(
        BadCase{"Text", "1 10\n2 x\n3 30\n", "line 2: the counts \"x\" are not a number"},
        BadCase{"Negative", "10\n-3\n", "line 2: negative counts \"-3\""},
        BadCase{"NaN", "10\nnan\n", "line 2: the counts \"nan\" are not a number"},
        BadCase{"Overflow", "10\n1e400\n", "line 2: the counts \"1e400\" are not a number"},
        BadCase{"ColumnsGrow", "10\n1 2\n",
                "line 2: two values where the first data line has only"},
        BadCase{"MissingBetweenCommas", "1,,5\n", "line 1: a value is missing"},
        BadCase{"ChannelText", "# h\nch counts\n", "line 2: the channel \"ch\" is not a number"},
        BadCase{"ColumnsChange", "1 10\n20\n",
                "line 2: one value where the first data line has two"},
        BadCase{"OnlyComments", "# nothing\n\n", "no channel counts"},
        BadCase{"Empty", "", "no channel counts"}),
    [](const ::testing::TestParamInfo<BadCase>& p) { return std::string(p.param.name); });

TEST(MeasuredSpectrum, LongerFileKeepsAllChannelsAndSaysSoOnce) {
  TempDir dir;
  std::string text;
  for (int c = 1; c <= 2048; ++c)
    text += std::to_string(c) + " " + std::to_string(c * 2) + "\n";
  WriteFile(dir / "mca.txt", text);
  CollectingSink sink;
  Spectrum m{};
  ASSERT_TRUE(LoadMeasuredSpectrum(dir / "mca.txt", 600, m, sink));
  EXPECT_EQ(sink.messages,
            std::vector<std::string>{"the measured spectrum has 2048 channels; 600 are used: raise "
                                     "the number of channels on the Simulation page"});
  ASSERT_EQ(m.channels(), 2048);
  EXPECT_DOUBLE_EQ(m[2048], 4096.0);
  // A file as long as the channel count, or shorter, needs no word.
  sink.messages.clear();
  ASSERT_TRUE(LoadMeasuredSpectrum(dir / "mca.txt", 2048, m, sink));
  EXPECT_TRUE(sink.messages.empty());
}

TEST(MeasuredSpectrum, MoreThanTheLargestChannelCountIsCut) {
  std::string text;
  for (int c = 1; c <= kMaxSpectrumChannels + 5; ++c)
    text += "1\n";
  const MeasuredSpectrumRead r = ParseMeasuredSpectrumText(text);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.channelsInFile, kMaxSpectrumChannels + 5);
  EXPECT_EQ(r.counts.channels(), kMaxSpectrumChannels);
  EXPECT_EQ(MeasuredChannelsNote(r.channelsInFile, kMaxSpectrumChannels),
            "the measured spectrum has 16389 channels; 16384 are used (the most a spectrum of "
            "this program holds)");
}

TEST(MeasuredSpectrum, FaultsLeaveTheLoadedSpectrumAlone) {
  TempDir dir;
  CollectingSink sink;
  Spectrum m(3);
  m.fill(9.0);
  WriteFile(dir / "bad.dat", "1 10\n2 x\n3 30\n");
  EXPECT_FALSE(LoadMeasuredSpectrum(dir / "bad.dat", 600, m, sink));
  ASSERT_EQ(sink.messages.size(), 1U);
  EXPECT_EQ(sink.messages[0], "the measured spectrum " + (dir / "bad.dat").string() +
                                  " is not loaded: line 2: the counts \"x\" are not a number");
  EXPECT_EQ(m.channels(), 3);
  EXPECT_DOUBLE_EQ(m[1], 9.0);  // nothing of the faulty file is taken

  sink.messages.clear();
  EXPECT_FALSE(LoadMeasuredSpectrum(dir / "missing.dat", 600, m, sink));
  EXPECT_EQ(sink.messages, std::vector<std::string>{"#2 " + (dir / "missing.dat").string()});
  // A folder chosen by mistake is refused unread (EISDIR, 21).
  sink.messages.clear();
  EXPECT_FALSE(LoadMeasuredSpectrum(dir.path(), 600, m, sink));
  EXPECT_EQ(sink.messages, std::vector<std::string>{"#21 " + dir.path().string()});
  EXPECT_DOUBLE_EQ(m[3], 9.0);
}

}  // namespace
}  // namespace dodavev
