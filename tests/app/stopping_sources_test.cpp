#include "app/stopping_sources.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/ok_action.hpp"
#include "app/session_fixture.hpp"
#include "model/layer_structure.hpp"
#include "physics/srim_tables.hpp"
#include "physics/zbl_test_elements.hpp"

namespace dodavev {
namespace {

LayerElement Element(char a, char b, int z) {
  LayerElement e;
  e.symbol = {a, b};
  e.Z = z;
  e.amount = 1.0;
  return e;
}

TEST(StoppingSources, EveryElementOfEveryLayerNamesItsData) {
  const ElementTable elements = testing::TestElements();
  LayerStructure sample;
  sample.layers.resize(2);
  sample.layers[0].elements = {Element('S', 'I', 14), Element('O', ' ', 8)};
  sample.layers[1].elements = {Element('S', 'I', 14)};
  LayerStructure absorber;
  absorber.layers.resize(1);
  absorber.layers[0].elements = {Element('A', 'L', 13)};

  SrimTableSet tables;
  SrimTable table;
  table.ionZ = 2;
  table.eMin = 10.0;
  table.eMax = 2000.0;
  table.count = 2;
  table.energies = std::make_shared<const std::vector<double>>(std::vector<double>{10.0, 2000.0});
  table.values = {1.0, 2.0};
  tables.byTarget[14].push_back(table);

  EXPECT_EQ(StoppingSourcesLine(2, sample, absorber, &tables, elements),
            "stopping data for HE: sample layer 1: SI SRIM table 10-2000 keV, O  ZBL-92 (no "
            "table); sample layer 2: SI SRIM table 10-2000 keV; absorber layer 1: AL ZBL-92 (no "
            "table)");
  // The table is for helium: protons find none.
  EXPECT_EQ(StoppingSourcesLine(1, sample, LayerStructure{}, &tables, elements),
            "stopping data for H : sample layer 1: SI ZBL-92 (no table), O  ZBL-92 (no table); "
            "sample layer 2: SI ZBL-92 (no table)");
  // Without tables chosen.
  EXPECT_EQ(StoppingSourcesLine(2, LayerStructure{}, absorber, nullptr, elements),
            "stopping data for HE: absorber layer 1: AL ZBL-92");
  EXPECT_EQ(StoppingSourcesLine(2, LayerStructure{}, LayerStructure{}, nullptr, elements),
            "stopping data for HE: no layers");
}

class StoppingSourcesShown : public testing::StartedSession {
 protected:
  int LinesShownByOk() {
    messages().clear();
    Button5Click(session());
    int n = 0;
    for (const std::string& m : messages())
      n += m.rfind("stopping data for ", 0) == 0 ? 1 : 0;
    return n;
  }
};

TEST_F(StoppingSourcesShown, OncePerChangeNotAtEveryOk) {
  params().RadioButton_ZBL2003 = true;
  params().RadioButton_ZBL92 = false;
  params().richedit1 = "S=\nn=5e22\nsi,1\n";
  EXPECT_EQ(LinesShownByOk(), 1);  // helium in, helium out: one particle
  EXPECT_EQ(LinesShownByOk(), 0);  // the same sample and tables again
  params().richedit1 = "S=\nn=5e22\nau,1\n";
  EXPECT_EQ(LinesShownByOk(), 1);  // another sample
  params().RadioButton_ZBL2003 = false;
  params().RadioButton_ZBL92 = true;
  EXPECT_EQ(LinesShownByOk(), 0);  // formulas only: nothing to say
}

}  // namespace
}  // namespace dodavev
