// The open and save dialogs of the window behind one small interface, so that the window's
// actions can be driven without a dialog (tests choose the files themselves).
#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>
#include <string_view>

class QWidget;

namespace dodavev {

struct FileChoice {
  std::filesystem::path path;
  int filterIndex = 1;  // 1-based position of the filter the user had chosen
};

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // `filter` lists description and pattern alternately, separated by "|" (as
  // "Parameter files (*.par)|*.par|All files (*.*)|*.*"); `defaultExtension` is given as
  // "*.par", ".par" or "par", or empty. Nothing chosen gives no value.
  virtual std::optional<FileChoice> Open(QWidget* parent, std::string_view filter,
                                         std::string_view defaultExtension) = 0;
  virtual std::optional<FileChoice> Save(QWidget* parent, std::string_view filter,
                                         std::string_view defaultExtension) = 0;
};

// The platform's file dialogs.
class DialogFileChooser final : public FileChooser {
 public:
  std::optional<FileChoice> Open(QWidget* parent, std::string_view filter,
                                 std::string_view defaultExtension) override;
  std::optional<FileChoice> Save(QWidget* parent, std::string_view filter,
                                 std::string_view defaultExtension) override;
};

// Name filters of a Qt file dialog from the "|"-separated list. The pattern "*.*" (every
// file on a system whose names all carry an ending) becomes "*", so that names without a
// point are listed too; a description naming its pattern in brackets names the new one.
QStringList QtNameFilters(std::string_view filter);

// "par" from "*.par", ".par" or "par"; empty for "*" or "*.*".
QString DefaultSuffix(std::string_view defaultExtension);

}  // namespace dodavev
