#include "physics/data_range_notes.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/messages.hpp"
#include "physics/srim_tables.hpp"
#include "physics/stopping.hpp"
#include "physics/zbl_test_elements.hpp"

namespace dodavev {
namespace {

using testing::MakeLayer;
using testing::TestElements;

TEST(DataRangeNotes, EachKeyIsNotedOnceInTheOrderFirstNoted) {
  DataRangeNotes notes;
  const int a = 0, b = 0;
  notes.OutsideTable(&a, "table", "a.txt", 10.0, 20.0, TableSide::kAbove, "X");
  notes.OutsideTable(&b, "table", "b.txt", 1.5, 2000.0, TableSide::kBelow, "Y");
  notes.OutsideTable(&a, "table", "a.txt", 10.0, 20.0, TableSide::kAbove, "X");
  notes.OutsideTable(&a, "table", "a.txt", 10.0, 20.0, TableSide::kBelow, "X");
  ASSERT_EQ(notes.texts().size(), 3u);
  EXPECT_EQ(notes.texts()[0], "table a.txt covers 10 to 20 keV; above 20 keV X was used");
  EXPECT_EQ(notes.texts()[1], "table b.txt covers 1.5 to 2000 keV; below 1.5 keV Y was used");
  EXPECT_EQ(notes.texts()[2], "table a.txt covers 10 to 20 keV; below 10 keV X was used");

  // Merging keeps the order and adds only what is new; showing says each text once.
  DataRangeNotes other;
  other.OutsideTable(&b, "table", "b.txt", 1.5, 2000.0, TableSide::kBelow, "Y");
  other.Add({&b, kNoteNoTable, {}}, "something else");
  notes.Merge(other);
  CollectingSink sink;
  notes.Show(sink);
  ASSERT_EQ(sink.messages.size(), 4u);
  EXPECT_EQ(sink.messages[3], "something else");
}

TEST(DataRangeNotes, NumbersAndElementNames) {
  EXPECT_EQ(NoteNumber(500.0), "500");
  EXPECT_EQ(NoteNumber(0.25), "0.25");
  EXPECT_EQ(NoteNumber(1234567.0), "1.23457e+06");
  EXPECT_EQ(NoteNumber(-0.0), "0");
  const ElementTable elements = TestElements();
  const DataRangeNotes named(&elements);
  EXPECT_EQ(named.ElementName(1), "H");
  EXPECT_EQ(named.ElementName(2), "He");
  EXPECT_EQ(named.ElementName(79), "Au");
  EXPECT_EQ(named.ElementName(26), "Z26");  // not in the table
  EXPECT_EQ(DataRangeNotes().ElementName(14), "Z14");
}

// SRIM 2003 tables of protons in Si and C from one file, 10 to 1000 keV.
class SrimFallbackNotes : public ::testing::Test {
 protected:
  SrimFallbackNotes() {
    auto energies = std::make_shared<const std::vector<double>>(std::vector<double>{10, 500, 1000});
    for (int z : {6, 14}) {
      SrimTable t;
      t.ionZ = 1;
      t.eMin = 10.0;
      t.eMax = 1000.0;
      t.eStep = 490.0;
      t.count = 3;
      t.energies = energies;
      t.values = {5.0, 10.0, 8.0};
      t.file = "/data/H in all.srim";
      tables.byTarget[static_cast<std::size_t>(z)].push_back(t);
    }
  }
  double Stopping(const Layer& layer, int z1, double m1, double e) {
    StoppingModel model{elements, &tables, true};
    model.notes = &notes;
    return LayerStopping(layer, z1, m1, e, model);
  }
  ElementTable elements = TestElements();
  SrimTableSet tables;
  DataRangeNotes notes{&elements};
};

TEST_F(SrimFallbackNotes, EnergiesBeyondTheTableAreSaidOncePerFileAndSide) {
  const Layer siC = MakeLayer(1.0, 9.6, {{14, 1.0}, {6, 1.0}});
  // Inside the table nothing is said.
  Stopping(siC, 1, 1.007941, 400.0);
  EXPECT_TRUE(notes.empty());
  // Below and above, in both elements, at many energies: one text per side for the file.
  for (double e : {9.0, 5.0, 1.0, 10.0})
    Stopping(siC, 1, 1.007941, e);
  for (double e : {1000.0, 1500.0, 3000.0})
    Stopping(siC, 1, 1.007941, e);
  ASSERT_EQ(notes.texts().size(), 2u);
  EXPECT_EQ(notes.texts()[0],
            "no SRIM 2003 data for all energy: table /data/H in all.srim covers 10 to 1000 keV; "
            "below 10 keV the ZBL'92 stopping was used");
  EXPECT_EQ(notes.texts()[1],
            "no SRIM 2003 data for all energy: table /data/H in all.srim covers 10 to 1000 keV; "
            "above 1000 keV the ZBL'92 stopping was used");
}

TEST_F(SrimFallbackNotes, AnIonWithoutATableIsSaidPerTargetElement) {
  const Layer siC = MakeLayer(1.0, 9.6, {{14, 1.0}, {6, 1.0}});
  Stopping(siC, 2, 4.002602, 2000.0);
  Stopping(siC, 2, 4.002602, 1000.0);
  ASSERT_EQ(notes.texts().size(), 2u);
  EXPECT_EQ(notes.texts()[0],
            "no SRIM 2003 data for all ions: no table of He in Si; the ZBL'92 stopping was used");
  EXPECT_EQ(notes.texts()[1],
            "no SRIM 2003 data for all ions: no table of He in C; the ZBL'92 stopping was used");
}

TEST_F(SrimFallbackNotes, AnIsotopeReadBeyondTheTableAtItsVelocityIsSaid) {
  // A deuteron at 800 keV has the velocity of a 400 keV proton: inside. At 15 keV it has
  // that of a 7.5 keV proton: below the table's 10 keV although 15 keV lies inside.
  const Layer si = MakeLayer(1.0, 5.0, {{14, 1.0}});
  Stopping(si, 1, 2.0159, 800.0);
  EXPECT_TRUE(notes.empty());
  Stopping(si, 1, 2.0159, 15.0);
  ASSERT_EQ(notes.texts().size(), 1u);
  EXPECT_NE(notes.texts()[0].find("below 10 keV the ZBL'92 stopping was used"), std::string::npos);
}

TEST_F(SrimFallbackNotes, WithoutTablesChosenOrWithoutNotesNothingIsSaid) {
  const Layer si = MakeLayer(1.0, 5.0, {{14, 1.0}});
  StoppingModel zbl{elements, &tables, false};
  zbl.notes = &notes;
  LayerStopping(si, 2, 4.002602, 2000.0, zbl);
  EXPECT_TRUE(notes.empty());
  const StoppingModel quiet{elements, &tables, true};
  EXPECT_GT(LayerStopping(si, 2, 4.002602, 2000.0, quiet), 0.0);
}

}  // namespace
}  // namespace dodavev
