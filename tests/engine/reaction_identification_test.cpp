#include "engine/reaction_identification.hpp"
#include "app/identify_reaction.hpp"

#include <gtest/gtest.h>

#include <string>

#include "app/session.hpp"

namespace dodavev {
namespace {

void SetSymbol(ElementTable& table, int z, const char (&sym)[3]) {
  table[z].symbol = {sym[0], sym[1]};
}

class ReactionIdentification : public ::testing::Test {
 protected:
  ReactionIdentification() : session(sink) {
    SetSymbol(session.elements, 1, "H ");
    SetSymbol(session.elements, 2, "HE");
    SetSymbol(session.elements, 6, "C ");
    SetSymbol(session.elements, 7, "N ");
    SetSymbol(session.elements, 14, "SI");
    SetSymbol(session.elements, 53, "I ");
    SetSymbol(session.elements, 79, "AU");
  }
  void Set(const char* z1, const char* m1, const char* z2, const char* m2, const char* th) {
    session.params.Edit1_z1 = z1;
    session.params.Edit1_m1 = m1;
    session.params.Edit1_z2 = z2;
    session.params.Edit1_m2 = m2;
    session.params.Edit1_th = th;
  }
  CollectingSink sink;
  Session session;
};

TEST_F(ReactionIdentification, DefaultsAreBackscatteringFromCarbon) {
  IdentifyReaction(session);
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(session.reaction.kind, ReactionKind::kRbs);
  EXPECT_EQ(session.params.Label_reaction, "12C (4HE,4HE)");
  EXPECT_EQ(session.params.Label_iba, "RBS");
  EXPECT_EQ(session.params.Label_given_target, "12C");
  EXPECT_EQ(session.params.target, "C ");
  EXPECT_EQ(session.params.z1, 2);
  EXPECT_DOUBLE_EQ(session.params.th, 165.0);
}

// The kind follows from the particles, the angle and the Q-value; "" leaves a label unchecked.
TEST_F(ReactionIdentification, KindAndLabelsOfEachReaction) {
  struct Case {
    const char *z1, *m1, *z2, *m2, *th, *target, *mt, *qm;
    ReactionKind kind;
    const char *iba, *reaction, *givenTarget;
  };
  const Case cases[] = {
      // The same particle forward is forward scattering up to 90 degrees.
      {"2", "4", "2", "4", "30", "c", "12", "0", ReactionKind::kForwardScattering, "FS", "", ""},
      // Exactly 90 degrees counts as backscattering.
      {"2", "4", "2", "4", "90", "c", "12", "0", ReactionKind::kRbs, "", "", ""},
      // Another particle forward is recoil detection.
      {"2", "4", "1", "1", "30", "h", "1", "0", ReactionKind::kErd, "ERD", "1H (4HE,1H )", "1H"},
      // Another particle backward is a nuclear reaction: 12C(d,p).
      {"1", "2", "1", "1", "150", "c", "12", "2.722", ReactionKind::kNra, "NRA", "12C (2H ,1H )",
       ""},
      // Any Q-value makes it a reaction, elastic particles at a forward angle too.
      {"2", "4", "2", "4", "30", "c", "12", "-0.5", ReactionKind::kNra, "", "", ""},
      // Photons are reaction products.
      {"1", "1", "0", "0", "90", "n", "15", "0", ReactionKind::kNra, "", "15N (1H ,gamma)", ""},
      // 12C(d,n): a neutron cannot be detected here.
      {"1", "2", "0", "1", "150", "c", "12", "-0.281", ReactionKind::kNotUsable,
       "I do not like this", "12C (2H ,1n)", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.z1) + " " + c.m1 + " " + c.z2 + " " + c.m2 + " " + c.th);
    Set(c.z1, c.m1, c.z2, c.m2, c.th);
    session.params.Edit1_target = c.target;
    session.params.Edit1_mt = c.mt;
    session.params.Edit1_qm = c.qm;
    IdentifyReaction(session);
    EXPECT_EQ(session.reaction.kind, c.kind);
    if (*c.iba != '\0') {
      EXPECT_EQ(session.params.Label_iba, c.iba);
    }
    if (*c.reaction != '\0') {
      EXPECT_EQ(session.params.Label_reaction, c.reaction);
    }
    if (*c.givenTarget != '\0') {
      EXPECT_EQ(session.params.Label_given_target, c.givenTarget);
    }
  }
  EXPECT_DOUBLE_EQ(session.params.qm, -0.281);
  EXPECT_TRUE(sink.messages.empty());
}

TEST_F(ReactionIdentification, LongLabelsAreCutAfter15Characters) {
  Set("53", "127", "53", "127", "150");  // iodine on gold: 197AU(127I ,127I ) has 18
  session.params.Edit1_target = "au";
  session.params.Edit1_mt = "197";
  IdentifyReaction(session);
  EXPECT_EQ(session.params.Label_reaction, "197AU(127I ,127");
  EXPECT_EQ(session.params.Label_given_target, "197AU");
}

TEST_F(ReactionIdentification, BadFieldsGiveOneMessageAndTheirDefaults) {
  Set("2", "4,0", "2", "4", "abc");
  session.params.Edit1_level = "1.5";  // the level is an integer
  IdentifyReaction(session);
  ASSERT_EQ(sink.messages.size(), 1U);
  EXPECT_EQ(sink.messages[0], "reaction is not well defined");
  EXPECT_DOUBLE_EQ(session.params.m1, 4.0);
  EXPECT_DOUBLE_EQ(session.params.th, 165.0);
  EXPECT_EQ(session.params.level, 0);
  // The identification still goes on with what it has.
  EXPECT_EQ(session.reaction.kind, ReactionKind::kRbs);
}

TEST_F(ReactionIdentification, UnknownElementsShowQuestionMarksInsteadOfFailing) {
  Set("3", "4", "3", "4", "165");  // lithium is not in this table
  IdentifyReaction(session);
  EXPECT_EQ(session.params.Label_reaction, "12C (4?\?,4?\?)");
  // No element 0 or 120 can be typed: atomic numbers outside 1..92 (0..92 for the detected
  // particle) read as the defaults, helium.
  Set("0", "4", "120", "4", "165");
  IdentifyReaction(session);
  EXPECT_EQ(session.params.Label_reaction, "12C (4HE,4HE)");
  Set("2", "4", "3", "7", "165");  // lithium is not in this table
  IdentifyReaction(session);
  EXPECT_EQ(session.params.Label_reaction, "12C (4HE,7?\?)");
}

TEST_F(ReactionIdentification, MassNumbersAreRoundedHalfToEven) {
  Set("2", "4.0026", "2", "4.0026", "165");
  session.params.Edit1_mt = "10.5";
  IdentifyReaction(session);
  EXPECT_EQ(session.params.Label_reaction, "10C (4HE,4HE)");
  EXPECT_EQ(session.params.Label_given_target, "10C");
}

TEST(ReactionTargetSymbol, TwoUpperCaseCharactersPaddedWithABlank) {
  EXPECT_EQ(TargetSymbol("si"), "SI");
  EXPECT_EQ(TargetSymbol("c"), "C ");
  EXPECT_EQ(TargetSymbol("Silicon"), "SI");
  EXPECT_EQ(TargetSymbol(""), "  ");
  EXPECT_EQ(GivenTargetLabel(28.0, "SI"), "28SI");
  EXPECT_EQ(GivenTargetLabel(12.0, "C "), "12C");
}

TEST(ReactionKindRules, OverridesApplyInOrder) {
  // A neutral massless particle is a reaction even with equal "particles".
  EXPECT_EQ(ClassifyReaction({0, 0.0, 0, 0.0, 30.0, 12.0, 0.0}), ReactionKind::kNra);
  // The neutron rule wins over the Q-value rule.
  EXPECT_EQ(ClassifyReaction({1, 2.0, 0, 1.0, 30.0, 12.0, 5.0}), ReactionKind::kNotUsable);
  // Same mass but another charge is no elastic scattering.
  EXPECT_EQ(ClassifyReaction({2, 3.0, 1, 3.0, 150.0, 3.0, 0.0}), ReactionKind::kNra);
}

}  // namespace
}  // namespace dodavev
