#include "model/element_table.hpp"

#include "model/messages.hpp"

namespace dodavev {

int LookupElement(std::string_view key, const ElementTable& table) {
  const std::string_view cut = key.substr(0, 2);
  int found = 0;
  for (int z = 1; z <= kElementCount; ++z) {
    const ElementRecord& rec = table[z];
    if (rec.Present() && cut == rec.SymbolView()) found = z;
  }
  return found;
}

int FindElement(std::string_view key, const ElementTable& table, MessageSink& messages) {
  const int z = LookupElement(key, table);
  if (z == 0) {
    std::string text = "missing stopping power : ";
    text.append(key.substr(0, 2));
    messages.Show(text);
  }
  return z;
}

}  // namespace dodavev
