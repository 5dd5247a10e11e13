// File endings forced by the writers.
#pragma once

#include <filesystem>
#include <string_view>

namespace dodavev {

// The chosen path with its file name cut before the name's first "." and `ending`
// (".lay", ".txt", ...) appended. Only the file name is cut: points in directory names
// stay. A name without a point keeps all of it.
std::filesystem::path ForceExtension(const std::filesystem::path& chosen, std::string_view ending);

}  // namespace dodavev
