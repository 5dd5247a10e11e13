// The window and the scripting front end name the same inputs: every control the window
// binds is an input of the Qt-free table, holding the same member.
#include <gtest/gtest.h>

#include "app/input_fields.hpp"
#include "gui/input_bindings.hpp"

namespace dodavev {
namespace {

TEST(InputFieldTable, HoldsEveryControlOfTheWindow) {
  for (const TextBinding& b : TextBindings()) {
    const InputField* f = FindInputField(b.name);
    ASSERT_NE(f, nullptr) << b.name;
    EXPECT_EQ(f->text, b.field) << b.name;
  }
  for (const SwitchBinding& b : SwitchBindings()) {
    const InputField* f = FindInputField(b.name);
    ASSERT_NE(f, nullptr) << b.name;
    EXPECT_EQ(f->flag, b.field) << b.name;
  }
}

}  // namespace
}  // namespace dodavev
