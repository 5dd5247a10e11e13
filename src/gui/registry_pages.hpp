// The data-file registry in the window: the "Stopping powers" and "Cross sections" pages
// with the data-source choices, the four file lists with their check marks, the import
// panel and the special-fittings panel. The entry texts are built by the core; this only
// shows the lists, reads them back and enables the buttons the choices allow.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "engine/registry_entries.hpp"
#include "model/data_file_registry.hpp"

class QDialog;
class QListWidget;
class QWidget;

namespace dodavev {

struct Session;
class FileChooser;
class ImportPanelDialog;

class RegistryPages final : public QObject {
  Q_OBJECT

 public:
  // `dialogParent` owns the two panels (they are windows of their own over it).
  RegistryPages(Session& session, QWidget* dialogParent);

  QWidget* stoppingPage() const { return stoppingPage_; }
  QWidget* crossSectionPage() const { return crossSectionPage_; }
  ImportPanelDialog* importPanel() const { return importPanel_; }
  QDialog* specialFittingsPanel() const { return specialFittings_; }

  void SetFileChooser(FileChooser* chooser) { chooser_ = chooser; }
  // Where the text of the entry under the pointer goes (the status bar); empty clears.
  void SetHintSink(std::function<void(const QString&)> hint) { hint_ = std::move(hint); }

  void ShowRegistry(const DataFileRegistry& registry);
  void ReadRegistry(DataFileRegistry& registry) const;
  // Import and remove buttons (and "Special fittings") follow the data-source choices.
  void UpdateEnabling();

  // Handlers of the buttons, callable as the buttons call them.
  void OpenImport(RegistryList list);
  void RemoveSelected(RegistryList list);
  void Button16Click();  // "OK" of the import panel
  void Button17Click();  // "browse"

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QListWidget* List(RegistryList list) const;
  void BuildStoppingPage();
  void BuildCrossSectionPage();
  void BuildSpecialFittings(QWidget* dialogParent);
  QWidget* ListGroup(RegistryList list, const char* listName, const char* importName,
                     const char* removeName, QWidget* extra);

  Session& session_;
  FileChooser* chooser_ = nullptr;
  std::function<void(const QString&)> hint_;
  QWidget* stoppingPage_ = nullptr;
  QWidget* crossSectionPage_ = nullptr;
  ImportPanelDialog* importPanel_ = nullptr;
  QDialog* specialFittings_ = nullptr;
};

}  // namespace dodavev
