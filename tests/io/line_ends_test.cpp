// Parameter files and BatchFiles written with a lone CR at each line end (as old Macintosh
// editors write them) read as their CR LF and LF versions do, as layer files already do.
#include <gtest/gtest.h>

#include <string>

#include "app/batch_run.hpp"
#include "app/session_fixture.hpp"
#include "io/parameter_file.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

std::string WithLineEnds(const std::string& crlf, const std::string& end) {
  std::string out;
  for (std::size_t pos = 0; pos < crlf.size();) {
    const std::size_t next = crlf.find("\r\n", pos);
    if (next == std::string::npos) {
      out += crlf.substr(pos);
      break;
    }
    out += crlf.substr(pos, next - pos) + end;
    pos = next + 2;
  }
  return out;
}

TEST(LineCursor, CrLfLfAndCrEachEndOneLine) {
  LineCursor lines("a\r\nb\nc\rd\r\r\ne");
  EXPECT_EQ(lines.Next(), "a");
  EXPECT_EQ(lines.Next(), "b");
  EXPECT_EQ(lines.Next(), "c");
  EXPECT_EQ(lines.Next(), "d");
  EXPECT_EQ(lines.Next(), "");  // CR, then CR LF: an empty line between
  EXPECT_EQ(lines.Next(), "e");
  EXPECT_EQ(lines.LinesRead(), 6U);
  EXPECT_TRUE(lines.AtEnd());
  EXPECT_EQ(lines.Next(), "");
}

TEST(ParameterFileLineEnds, CrOnlyFileReadsAsItsCrLfOriginal) {
  ParameterInputs written;
  written.Edit1_e0 = "2000";
  written.Edit1_th = "150";
  written.registry.CheckListBox_ESS = {{"Theta=165; 12C(4HE,4HE)12C ; level=0;    /x.dat", true}};
  written.Edit1_channels = "1024";
  const std::string crlf = FormatParameterFile(written);
  for (const char* end : {"\r", "\n"}) {
    ParameterInputs read;
    ASSERT_EQ(ParseParameterText(WithLineEnds(crlf, end), read).code, 0);
    EXPECT_TRUE(read == written) << (end[0] == '\r' ? "CR" : "LF");
  }
}

class BatchLineEnds : public testing::StartedSession {
 protected:
  testing::TempDir dir_;
};

TEST_F(BatchLineEnds, CrOnlyBatchFileRunsItsRecords) {
  WriteParameterFile(dir_ / "run.par", ParameterInputs{});
  testing::WriteFile(dir_ / "foil.lay", "A=10000\rn=6e22\ral,1\r");
  testing::WriteFile(dir_ / "sample.lay", "S=\rn=5e22\rsi,1\r");
  std::string batch;
  for (const char* out : {"one", "two"}) {
    batch += (dir_ / "run.par").string() + "\r" + (dir_ / "sample.lay").string() + "\r" +
             (dir_ / "foil.lay").string() + "\renergy loss\r" + (dir_ / out).string() + "\r";
  }
  testing::WriteFile(dir_ / "mac.bat", batch);
  EXPECT_EQ(RunBatchFile(session(), dir_ / "mac.bat"), 0);
  for (const std::string& m : messages())
    ADD_FAILURE() << m;
  EXPECT_TRUE(std::filesystem::exists(dir_ / "one.dat"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "two.dat"));
}

}  // namespace
}  // namespace dodavev
