// The import panel of the data-file lists (`Panel8_LoadSrimStopping`): the numbers that
// say what a data file holds (ion, target, reaction product, angle, level), its name and
// whether the new entry is checked. It shows only the inputs of the list it imports into.
#pragma once

#include <QDialog>

#include "engine/registry_entries.hpp"

class QLabel;
class QLineEdit;
class QCheckBox;

namespace dodavev {

class ImportPanelDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit ImportPanelDialog(QWidget* parent = nullptr);

  // Remembers the list and shows the inputs and captions it needs; the texts typed
  // earlier stay.
  void Open(RegistryList list);
  RegistryList list() const { return list_; }

  ImportPanel Inputs() const;
  void SetFileName(const QString& name);
  // Shows the numbers of `panel` (not its file name or check mark) in the inputs.
  void SetNumbers(const ImportPanel& panel);

 Q_SIGNALS:
  void browseRequested();  // "browse"
  void okRequested();      // "OK": the owner adds the entry and closes the panel

 private:
  QWidget* Row(const char* name) const;

  RegistryList list_ = RegistryList::kStopping;
  QLabel* targetLabel_ = nullptr;
  QLabel* angleLabel_ = nullptr;
};

}  // namespace dodavev
