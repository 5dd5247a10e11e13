#include "gui/registry_pages.hpp"

#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/import_from_file.hpp"
#include "app/session.hpp"
#include "gui/file_chooser.hpp"
#include "gui/form_helpers.hpp"
#include "gui/import_panel.hpp"
#include "gui/ui_text.hpp"

namespace dodavev {
namespace {

constexpr const char* kStoppingFilter = "Stopping files (*.dat)|*.dat|All files (*.*)|*.*";
constexpr const char* kCrossSectionFilter = "Cross section files (*.dat)|*.dat|All files (*.*)|*.*";

const char* ListName(RegistryList list) {
  switch (list) {
    case RegistryList::kStopping:
      return "CheckListBox1";
    case RegistryList::kElastic:
      return "CheckListBox_ESS";
    case RegistryList::kRecoil:
      return "CheckListBox_ERD";
    case RegistryList::kReaction:
      return "CheckListBox_NRA";
  }
  return "CheckListBox1";
}

template <typename Registry>
auto& Entries(Registry& registry, RegistryList list) {
  switch (list) {
    case RegistryList::kStopping:
      return registry.CheckListBox1;
    case RegistryList::kElastic:
      return registry.CheckListBox_ESS;
    case RegistryList::kRecoil:
      return registry.CheckListBox_ERD;
    case RegistryList::kReaction:
      return registry.CheckListBox_NRA;
  }
  return registry.CheckListBox1;
}

constexpr RegistryList kLists[] = {RegistryList::kStopping, RegistryList::kElastic,
                                   RegistryList::kRecoil, RegistryList::kReaction};

// A combo box whose shown text may be a caption that is none of its choices (as
// "Screening" before a choice); the user picks from the list and cannot type.
QComboBox* ChoiceBox(const char* name, const QStringList& items) {
  auto* combo = new QComboBox;
  combo->setObjectName(QString::fromLatin1(name));
  combo->setEditable(true);
  combo->lineEdit()->setReadOnly(true);
  combo->addItems(items);
  combo->setMinimumContentsLength(18);
  combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  return combo;
}

}  // namespace

RegistryPages::RegistryPages(Session& session, QWidget* dialogParent)
    : QObject(dialogParent), session_(session) {
  BuildStoppingPage();
  BuildCrossSectionPage();
  BuildSpecialFittings(dialogParent);
  importPanel_ = new ImportPanelDialog(dialogParent);
  importPanel_->hide();
  connect(importPanel_, &ImportPanelDialog::okRequested, this, &RegistryPages::Button16Click);
  connect(importPanel_, &ImportPanelDialog::browseRequested, this, &RegistryPages::Button17Click);
  UpdateEnabling();
}

QWidget* RegistryPages::ListGroup(RegistryList list, const char* listName, const char* importName,
                                  const char* removeName, QWidget* extra) {
  auto* holder = new QWidget;
  auto* box = new QVBoxLayout(holder);
  box->setContentsMargins(0, 0, 0, 0);
  auto* entries = new QListWidget;
  entries->setObjectName(QString::fromLatin1(listName));
  entries->setSelectionMode(QAbstractItemView::SingleSelection);
  // Entries are fixed-width texts whose blanks count ("12C (2H ,1H )13C ").
  entries->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  entries->setMinimumHeight(entries->fontMetrics().lineSpacing() * 5);
  entries->setMinimumWidth(entries->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 60);
  if (list != RegistryList::kStopping) {
    entries->setMouseTracking(true);
    entries->viewport()->setMouseTracking(true);
    entries->viewport()->installEventFilter(this);
  }
  box->addWidget(entries, 1);
  auto* buttons = new QHBoxLayout;
  QPushButton* import = ui::MakeButton(importName, QStringLiteral("import"));
  QPushButton* remove = ui::MakeButton(removeName, QStringLiteral("remove"));
  buttons->addWidget(import);
  buttons->addWidget(remove);
  if (extra != nullptr) buttons->addWidget(extra);
  buttons->addStretch(1);
  box->addLayout(buttons);
  connect(import, &QPushButton::clicked, this, [this, list] { OpenImport(list); });
  connect(remove, &QPushButton::clicked, this, [this, list] { RemoveSelected(list); });
  return holder;
}

void RegistryPages::BuildStoppingPage() {
  stoppingPage_ = new QWidget;
  auto* layout = new QVBoxLayout(stoppingPage_);
  auto* group = new QGroupBox(QStringLiteral("Stopping powers"));
  auto* box = new QVBoxLayout(group);
  auto* choices = new QFormLayout;
  QButtonGroup* pair = ui::AddRadioPair(choices, QString(), "RadioButton_ZBL2003",
                                        QStringLiteral("ZBL 2003 from files"), "RadioButton_ZBL92",
                                        QStringLiteral("ZBL '95"));
  box->addLayout(choices);
  box->addWidget(ListGroup(RegistryList::kStopping, "CheckListBox1", "SpeedButton_import",
                           "SpeedButton_remove", nullptr),
                 1);
  layout->addWidget(group, 1);
  auto* hinted = qobject_cast<QRadioButton*>(pair->buttons().constFirst());
  hinted->setStatusTip(QStringLiteral("For missing data the ZBL'92 will be used."));
  hinted->setToolTip(hinted->statusTip());
  connect(pair, &QButtonGroup::buttonToggled, this, [this] { UpdateEnabling(); });
}

void RegistryPages::BuildCrossSectionPage() {
  crossSectionPage_ = new QWidget;
  auto* layout = new QGridLayout(crossSectionPage_);

  auto* screeningRow = new QHBoxLayout;
  screeningRow->addWidget(new QLabel(QStringLiteral("Screening of the Rutherford cross section")));
  screeningRow->addWidget(ChoiceBox(
      "ComboBox1", {QStringLiteral("no screening"), QStringLiteral("L'Ecuer screening")}));
  screeningRow->addStretch(1);
  layout->addLayout(screeningRow, 0, 0, 1, 2);

  struct Group {
    RegistryList list;
    const char* title;
    const char* first;
    const char* firstText;
    const char* second;
    const char* secondText;
    const char* hint;
    const char* importName;
    const char* removeName;
  };
  const Group groups[] = {
      {RegistryList::kElastic, "Elastic Scattering", "RadioButton_ESS_Rutherford", "Rutherford",
       "RadioButton_ESS_NonRutherford", "Non-Rutherford",
       "For missing data the Rutherford cross section will be used.", "SpeedButton_ESSimport",
       "SpeedButton_ESSremove"},
      {RegistryList::kRecoil, "ERD", "RadioButton_ERD_Rutherford", "Rutherford",
       "RadioButton_ERD_NonRutherford", "Non-Rutherford",
       "For missing data the Rutherford cross section will be used.", "SpeedButton_ERDimport",
       "SpeedButton_ERDremove"},
      {RegistryList::kReaction, "NRA", "RadioButton_NRAConstans", "Constant",
       "RadioButton_NRA_Files", "From Files",
       "For missing data the constans will be used; a constant of 0 gives no reaction outside "
       "the table.",
       "SpeedButton_NRAimport", "SpeedButton_NRAremove"},
  };
  int index = 0;
  for (const Group& g : groups) {
    auto* group = new QGroupBox(QString::fromLatin1(g.title));
    auto* box = new QVBoxLayout(group);
    auto* choices = new QFormLayout;
    choices->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    QButtonGroup* pair =
        ui::AddRadioPair(choices, QString(), g.first, QString::fromLatin1(g.firstText), g.second,
                         QString::fromLatin1(g.secondText));
    auto* hinted = qobject_cast<QRadioButton*>(pair->buttons().constLast());
    hinted->setStatusTip(QString::fromLatin1(g.hint));
    hinted->setToolTip(hinted->statusTip());
    connect(pair, &QButtonGroup::buttonToggled, this, [this] { UpdateEnabling(); });
    if (g.list == RegistryList::kReaction) {
      ui::AddEdit(choices, "Edit1_NRACrossConstant", QStringLiteral("[mbarn/str]"));
    }
    box->addLayout(choices);
    QPushButton* special = nullptr;
    if (g.list == RegistryList::kRecoil) {
      special = ui::MakeButton("Button19", QStringLiteral("Special fittings"));
      connect(special, &QPushButton::clicked, this, [this] {
        specialFittings_->show();
        specialFittings_->raise();
      });
    }
    box->addWidget(ListGroup(g.list, ListName(g.list), g.importName, g.removeName, special), 1);
    layout->addWidget(group, 1 + index / 2, index % 2);
    ++index;
  }
  layout->setRowStretch(1, 1);
  layout->setRowStretch(2, 1);
}

void RegistryPages::BuildSpecialFittings(QWidget* dialogParent) {
  specialFittings_ = new QDialog(dialogParent);
  specialFittings_->setObjectName(QStringLiteral("Panel_specfitt"));
  specialFittings_->setWindowTitle(QStringLiteral("Special Fittings"));
  specialFittings_->setModal(true);
  auto* layout = new QVBoxLayout(specialFittings_);
  auto* form = new QFormLayout;
  form->addRow(
      QStringLiteral("p(4He,p)4He"),
      ChoiceBox("ComboBox_HEERD_p", {QStringLiteral("Rutherford"), QStringLiteral("Quillet"),
                                     QStringLiteral("Benenson"), QStringLiteral("Merovan")}));
  form->addRow(
      QStringLiteral("d(4He,d)4He"),
      ChoiceBox("ComboBox_HEERD_d", {QStringLiteral("Rutherford"), QStringLiteral("Quillet")}));
  layout->addLayout(form);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  QPushButton* ok = ui::MakeButton("Button18", QStringLiteral("OK"));
  ok->setDefault(true);
  buttons->addWidget(ok);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, specialFittings_, &QDialog::hide);
  specialFittings_->hide();
}

QListWidget* RegistryPages::List(RegistryList list) const {
  QWidget* page = list == RegistryList::kStopping ? stoppingPage_ : crossSectionPage_;
  return page->findChild<QListWidget*>(QString::fromLatin1(ListName(list)));
}

void RegistryPages::ShowRegistry(const DataFileRegistry& registry) {
  DataFileRegistry shown;
  ReadRegistry(shown);
  for (RegistryList list : kLists) {
    // A list that already shows these entries keeps its selection and scroll position.
    if (Entries(shown, list) == Entries(registry, list)) continue;
    QListWidget* widget = List(list);
    const QSignalBlocker blocker(widget);
    widget->clear();
    for (const RegistryEntry& entry : Entries(registry, list)) {
      auto* item = new QListWidgetItem(ToQt(entry.text), widget);
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      item->setCheckState(entry.checked ? Qt::Checked : Qt::Unchecked);
    }
  }
}

void RegistryPages::ReadRegistry(DataFileRegistry& registry) const {
  for (RegistryList list : kLists) {
    QListWidget* widget = List(list);
    std::vector<RegistryEntry>& entries = Entries(registry, list);
    entries.clear();
    for (int row = 0; row < widget->count(); ++row) {
      const QListWidgetItem* item = widget->item(row);
      entries.push_back({FromQt(item->text()), item->checkState() == Qt::Checked});
    }
  }
}

void RegistryPages::UpdateEnabling() {
  const auto checked = [this](const char* name) {
    const auto* button = crossSectionPage_->findChild<QRadioButton*>(QString::fromLatin1(name));
    if (button == nullptr)
      button = stoppingPage_->findChild<QRadioButton*>(QString::fromLatin1(name));
    return button != nullptr && button->isChecked();
  };
  const auto enable = [this](const char* name, bool on) {
    auto* button = crossSectionPage_->findChild<QPushButton*>(QString::fromLatin1(name));
    if (button == nullptr)
      button = stoppingPage_->findChild<QPushButton*>(QString::fromLatin1(name));
    if (button != nullptr) button->setEnabled(on);
  };
  const bool stopping = checked("RadioButton_ZBL2003");
  const bool elastic = checked("RadioButton_ESS_NonRutherford");
  const bool recoil = checked("RadioButton_ERD_NonRutherford");
  const bool reaction = checked("RadioButton_NRA_Files");
  enable("SpeedButton_import", stopping);
  enable("SpeedButton_remove", stopping);
  enable("SpeedButton_ESSimport", elastic);
  enable("SpeedButton_ESSremove", elastic);
  enable("SpeedButton_ERDimport", recoil);
  enable("SpeedButton_ERDremove", recoil);
  enable("Button19", recoil);
  enable("SpeedButton_NRAimport", reaction);
  enable("SpeedButton_NRAremove", reaction);
}

void RegistryPages::OpenImport(RegistryList list) {
  importPanel_->Open(list);
}

void RegistryPages::RemoveSelected(RegistryList list) {
  QListWidget* widget = List(list);
  const QList<QListWidgetItem*> selected = widget->selectedItems();
  if (selected.isEmpty()) return;
  delete widget->takeItem(widget->row(selected.constFirst()));
}

void RegistryPages::Button16Click() {
  DataFileRegistry& registry = session_.params.registry;
  ReadRegistry(registry);
  if (!AddImportedEntry(importPanel_->list(), importPanel_->Inputs(), session_.elements, registry,
                        session_.messages)) {
    // The panel stays open with the inputs as typed.
    importPanel_->show();
    return;
  }
  ShowRegistry(registry);
  importPanel_->hide();
}

void RegistryPages::Button17Click() {
  if (chooser_ == nullptr) return;
  const char* filter =
      importPanel_->list() == RegistryList::kStopping ? kStoppingFilter : kCrossSectionFilter;
  if (std::optional<FileChoice> choice = chooser_->Open(importPanel_, filter, "*.dat")) {
    importPanel_->SetFileName(PathToQt(choice->path));
    // An R33 file or an SR module table says what it holds.
    ImportPanel inputs = importPanel_->Inputs();
    if (FillImportPanelFromFile(importPanel_->list(), inputs)) importPanel_->SetNumbers(inputs);
  }
}

bool RegistryPages::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove || event->type() == QEvent::Leave) {
    for (RegistryList list :
         {RegistryList::kElastic, RegistryList::kRecoil, RegistryList::kReaction}) {
      QListWidget* widget = List(list);
      if (watched != widget->viewport()) continue;
      QString text;
      if (event->type() == QEvent::MouseMove) {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (const QListWidgetItem* item = widget->itemAt(pos)) text = item->text();
      }
      if (hint_) hint_(text);
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace dodavev
