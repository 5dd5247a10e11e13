// The prepared Rutherford cross section must give exactly the values of the full formula
// at every energy: the spectra are summed from it and compared channel by channel.
#include "engine/rutherford_at_angle.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace dodavev {
namespace {

struct Case {
  ReactionKind kind;
  int z1, z2;
  double struck, projectile, thetaDeg;
  Screening screening;
};

class PreparedRutherford : public testing::TestWithParam<Case> {};

TEST_P(PreparedRutherford, EqualsTheFullFormulaBitForBit) {
  const Case& c = GetParam();
  const double theta = c.thetaDeg * std::numbers::pi / 180.0;
  const RutherfordAtAngle r =
      PrepareRutherford(c.kind, c.z1, c.z2, c.struck, c.projectile, theta, c.screening);
  for (double e : {0.0, 1e-9, 0.05, 0.3, 1.0, 2.0, 1.7321, 5.0, 30.0}) {
    EXPECT_EQ(r.At(e), RutherfordCrossSection(c.kind, c.z1, c.z2, c.struck, c.projectile, e, theta,
                                              c.screening))
        << "at " << e << " MeV";
  }
}

INSTANTIATE_TEST_SUITE_P(
    KindsAndAngles, PreparedRutherford,
    testing::Values(Case{ReactionKind::kRbs, 2, 79, 196.966569, 4.002603, 170.0, Screening::kNone},
                    Case{ReactionKind::kRbs, 2, 14, 27.976927, 4.002603, 165.0, Screening::kLEcuer},
                    Case{ReactionKind::kRbs, 2, 14, 28.0, 4.0, 60.0, Screening::kNone},
                    // Lighter target: only forward angles up to the largest one have a value.
                    Case{ReactionKind::kRbs, 3, 2, 4.0, 7.0, 20.0, Screening::kNone},
                    Case{ReactionKind::kRbs, 3, 2, 4.0, 7.0, 60.0, Screening::kNone},
                    Case{ReactionKind::kRbs, 2, 2, 4.0, 4.0, 170.0, Screening::kNone},
                    Case{ReactionKind::kForwardScattering, 2, 1, 1.0, 4.0, 10.0,
                         Screening::kLEcuer},
                    Case{ReactionKind::kErd, 2, 1, 1.007825, 4.002603, 30.0, Screening::kNone},
                    Case{ReactionKind::kErd, 2, 1, 2.014102, 4.002603, 30.0, Screening::kLEcuer},
                    Case{ReactionKind::kErd, 2, 1, 1.0, 4.0, 95.0, Screening::kNone},
                    Case{ReactionKind::kRbs, 2, 79, 197.0, 4.0, 0.0, Screening::kNone},
                    Case{ReactionKind::kNra, 1, 6, 12.0, 1.0, 150.0, Screening::kNone}));

// 2 MeV 4He on 197Au at 170 degrees from the laboratory formula by hand:
// (Z1 Z2 e^2 / 4E)^2 4 (cos + sqrt(1 - (m1/M sin)^2))^2 / (sin^4 sqrt(1 - (m1/M sin)^2)) with
// e^4 = 0.0207350 MeV^2 b, m1/M = 4/197: 0.0207350 x (158/8)^2 = 8.08795 b/sr times the
// angular part 4 (cos 170 + 0.9999938)^2 / (sin^4 170 x 0.9999938) = 1.01454: 8.2056 b/sr.
TEST(RutherfordAtAngle, GoldAt170DegreesByHand) {
  const double theta = 170.0 * std::numbers::pi / 180.0;
  const RutherfordAtAngle r =
      PrepareRutherford(ReactionKind::kRbs, 2, 79, 197.0, 4.0, theta, Screening::kNone);
  const double s = std::sin(theta);
  const double root = std::sqrt(1.0 - (4.0 / 197.0 * s) * (4.0 / 197.0 * s));
  const double byHand = 0.0207350 * (2.0 * 79.0 / 8.0) * (2.0 * 79.0 / 8.0) * 4.0 *
                        (std::cos(theta) + root) * (std::cos(theta) + root) /
                        (s * s * s * s * root);
  EXPECT_NEAR(r.At(2.0), byHand, 1e-12 * byHand);
  EXPECT_NEAR(r.At(2.0), 8.2056, 1e-4);  // barn/sr, the two factors above
}

TEST(RutherfordAtAngle, PlainOnlyWithoutFilesAndFits) {
  CrossSectionRequest request;
  request.kind = ReactionKind::kRbs;
  request.z1 = 2;
  request.m1 = 4.0;
  request.targetZ = 14;
  request.targetMass = 28.0;
  request.theta = 3.0;
  CrossSectionChoices choices;
  EXPECT_TRUE(PlainRutherford(request, choices).has_value());
  choices.elasticFromFiles = true;
  EXPECT_FALSE(PlainRutherford(request, choices).has_value());
  request.kind = ReactionKind::kErd;
  EXPECT_TRUE(PlainRutherford(request, choices).has_value());
  choices.erdFromFiles = true;
  EXPECT_FALSE(PlainRutherford(request, choices).has_value());
  request.kind = ReactionKind::kNra;
  EXPECT_FALSE(PlainRutherford(request, CrossSectionChoices{}).has_value());
}

}  // namespace
}  // namespace dodavev
