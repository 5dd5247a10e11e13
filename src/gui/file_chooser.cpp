#include "gui/file_chooser.hpp"

#include <QFileDialog>
#include <string>
#include <vector>

#include "gui/ui_text.hpp"

namespace dodavev {
namespace {

std::vector<std::string_view> SplitBars(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t bar = text.find('|', start);
    parts.push_back(text.substr(start, bar == std::string_view::npos ? bar : bar - start));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  return parts;
}

QString QtPattern(std::string_view pattern) {
  QString result = ToQt(pattern).trimmed();
  result.replace(QLatin1Char(';'), QLatin1Char(' '));
  if (result == QLatin1String("*.*")) result = QStringLiteral("*");
  return result;
}

std::optional<FileChoice> RunDialog(QWidget* parent, QFileDialog::AcceptMode mode,
                                    std::string_view filter, std::string_view defaultExtension) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  const QStringList filters = QtNameFilters(filter);
  dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(DefaultSuffix(defaultExtension));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  FileChoice choice;
  choice.path = PathFromQt(dialog.selectedFiles().constFirst());
  const qsizetype index = filters.indexOf(dialog.selectedNameFilter());
  choice.filterIndex = index < 0 ? 1 : static_cast<int>(index) + 1;
  return choice;
}

}  // namespace

QStringList QtNameFilters(std::string_view filter) {
  const std::vector<std::string_view> parts = SplitBars(filter);
  QStringList filters;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = ToQt(parts[i]).trimmed();
    const QString original = ToQt(parts[i + 1]).trimmed();
    const QString pattern = QtPattern(parts[i + 1]);
    const QString bracketed = QLatin1Char('(') + original + QLatin1Char(')');
    if (description.endsWith(bracketed)) {
      filters << description.left(description.size() - bracketed.size()) + QLatin1Char('(') +
                     pattern + QLatin1Char(')');
    } else if (description == original) {
      // A bare pattern as its own description ("*.lay"): the pattern alone.
      filters << (pattern == QLatin1String("*") ? QStringLiteral("All files (*)") : pattern);
    } else {
      filters << description + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
  }
  return filters;
}

QString DefaultSuffix(std::string_view defaultExtension) {
  QString suffix = ToQt(defaultExtension).trimmed();
  while (suffix.startsWith(QLatin1Char('*')) || suffix.startsWith(QLatin1Char('.')))
    suffix.remove(0, 1);
  if (suffix.contains(QLatin1Char('*'))) return {};
  return suffix;
}

std::optional<FileChoice> DialogFileChooser::Open(QWidget* parent, std::string_view filter,
                                                  std::string_view defaultExtension) {
  return RunDialog(parent, QFileDialog::AcceptOpen, filter, defaultExtension);
}

std::optional<FileChoice> DialogFileChooser::Save(QWidget* parent, std::string_view filter,
                                                  std::string_view defaultExtension) {
  return RunDialog(parent, QFileDialog::AcceptSave, filter, defaultExtension);
}

}  // namespace dodavev
