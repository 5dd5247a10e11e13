#include "io/file_naming.hpp"

#include <string>

namespace dodavev {

std::filesystem::path ForceExtension(const std::filesystem::path& chosen, std::string_view ending) {
  std::string name = chosen.filename().string();
  const std::size_t point = name.find('.');
  if (point != std::string::npos) name.erase(point);
  name.append(ending);
  return chosen.parent_path() / name;
}

}  // namespace dodavev
