#include "gui/import_panel.hpp"

#include <utility>

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/form_helpers.hpp"
#include "gui/ui_text.hpp"

namespace dodavev {
namespace {

QLineEdit* NamedEdit(const char* name, std::string_view text, int digits) {
  auto* edit = new QLineEdit(ToQt(text));
  edit->setObjectName(QString::fromLatin1(name));
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * digits);
  return edit;
}

// "Z [edit]  M [edit]" as one row of the form, named so that it can be shown or hidden.
QWidget* NuclideRow(const char* rowName, const char* zName, std::string_view z, const char* mName,
                    std::string_view m) {
  auto* row = new QWidget;
  row->setObjectName(QString::fromLatin1(rowName));
  auto* box = new QHBoxLayout(row);
  box->setContentsMargins(0, 0, 0, 0);
  box->addWidget(new QLabel(QStringLiteral("Z")));
  box->addWidget(NamedEdit(zName, z, 6));
  box->addSpacing(12);
  box->addWidget(new QLabel(QStringLiteral("M")));
  box->addWidget(NamedEdit(mName, m, 6));
  box->addStretch(1);
  return row;
}

std::string Text(const QWidget* root, const char* name) {
  const auto* edit = root->findChild<QLineEdit*>(QString::fromLatin1(name));
  return edit != nullptr ? FromQt(edit->text()) : std::string();
}

}  // namespace

ImportPanelDialog::ImportPanelDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Panel8_LoadSrimStopping"));
  setWindowTitle(QStringLiteral("Import a data file"));
  setModal(true);
  const ImportPanel defaults;

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("incident ion"),
               NuclideRow("Row_ion", "Edit1_Z", defaults.Edit1_Z, "Edit1_M", defaults.Edit1_M));
  targetLabel_ = new QLabel(QStringLiteral("target atom"));
  targetLabel_->setObjectName(QStringLiteral("Label_target"));
  form->addRow(targetLabel_, NuclideRow("Row_target", "Edit1_Ztarget", defaults.Edit1_Ztarget,
                                        "Edit1_Mtarget", defaults.Edit1_Mtarget));
  auto* productLabel = new QLabel(QStringLiteral("reaction product"));
  productLabel->setObjectName(QStringLiteral("Label_product"));
  form->addRow(productLabel,
               NuclideRow("Row_product", "Edit1_Zreactionproduct", defaults.Edit1_Zreactionproduct,
                          "Edit1_Mreactionproduct", defaults.Edit1_Mreactionproduct));
  angleLabel_ = new QLabel(QStringLiteral("scattering angle"));
  angleLabel_->setObjectName(QStringLiteral("Label_angle"));
  form->addRow(angleLabel_, NamedEdit("Edit1_scatt_angl", defaults.Edit1_scatt_angl, 10));
  auto* levelLabel = new QLabel(QStringLiteral("level"));
  levelLabel->setObjectName(QStringLiteral("Label_level"));
  form->addRow(levelLabel, NamedEdit("Edit1_Nucllevel", defaults.Edit1_Nucllevel, 6));

  auto* fileRow = new QWidget;
  auto* fileBox = new QHBoxLayout(fileRow);
  fileBox->setContentsMargins(0, 0, 0, 0);
  fileBox->addWidget(NamedEdit("Edit1_filename", defaults.Edit1_filename, 40), 1);
  QPushButton* browse = ui::MakeButton("Button17", QStringLiteral("browse"));
  fileBox->addWidget(browse);
  form->addRow(QStringLiteral("file"), fileRow);

  QCheckBox* enabled = ui::MakeCheck("CheckBox1_enabled", QStringLiteral("Enabled"));
  enabled->setChecked(defaults.CheckBox1_enabled);
  form->addRow(QString(), enabled);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  QPushButton* ok = ui::MakeButton("Button16", QStringLiteral("OK"));
  ok->setDefault(true);
  QPushButton* cancel = ui::MakeButton("Button_cross_Cancel", QStringLiteral("Cancel"));
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);

  connect(browse, &QPushButton::clicked, this, &ImportPanelDialog::browseRequested);
  connect(ok, &QPushButton::clicked, this, &ImportPanelDialog::okRequested);
  connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
}

QWidget* ImportPanelDialog::Row(const char* name) const {
  return findChild<QWidget*>(QString::fromLatin1(name));
}

void ImportPanelDialog::Open(RegistryList list) {
  list_ = list;
  const bool crossSection = list != RegistryList::kStopping;
  const bool reaction = list == RegistryList::kReaction;
  for (const char* name : {"Row_target", "Label_target", "Edit1_scatt_angl", "Label_angle"})
    Row(name)->setVisible(crossSection);
  for (const char* name : {"Row_product", "Label_product", "Edit1_Nucllevel", "Label_level"})
    Row(name)->setVisible(reaction);
  switch (list) {
    case RegistryList::kStopping:
      setWindowTitle(QStringLiteral("Stopping power file"));
      break;
    case RegistryList::kElastic:
      setWindowTitle(QStringLiteral("Elastic scattering cross section file"));
      targetLabel_->setText(QStringLiteral("target atom"));
      angleLabel_->setText(QStringLiteral("scattering angle"));
      break;
    case RegistryList::kRecoil:
      setWindowTitle(QStringLiteral("ERD cross section file"));
      targetLabel_->setText(QStringLiteral("   recoil"));
      angleLabel_->setText(QStringLiteral("recoil angle"));
      break;
    case RegistryList::kReaction:
      setWindowTitle(QStringLiteral("NRA cross section file"));
      targetLabel_->setText(QStringLiteral("target atom"));
      angleLabel_->setText(QStringLiteral("reaction angle"));
      break;
  }
  adjustSize();
  show();
  raise();
  activateWindow();
}

ImportPanel ImportPanelDialog::Inputs() const {
  ImportPanel panel;
  panel.Edit1_Z = Text(this, "Edit1_Z");
  panel.Edit1_M = Text(this, "Edit1_M");
  panel.Edit1_Ztarget = Text(this, "Edit1_Ztarget");
  panel.Edit1_Mtarget = Text(this, "Edit1_Mtarget");
  panel.Edit1_scatt_angl = Text(this, "Edit1_scatt_angl");
  panel.Edit1_Zreactionproduct = Text(this, "Edit1_Zreactionproduct");
  panel.Edit1_Mreactionproduct = Text(this, "Edit1_Mreactionproduct");
  panel.Edit1_Nucllevel = Text(this, "Edit1_Nucllevel");
  // The file name goes into the entry as the system spells it, so the readers can open it.
  panel.Edit1_filename =
      PathFromQt(findChild<QLineEdit*>(QStringLiteral("Edit1_filename"))->text()).string();
  panel.CheckBox1_enabled = findChild<QCheckBox*>(QStringLiteral("CheckBox1_enabled"))->isChecked();
  return panel;
}

void ImportPanelDialog::SetFileName(const QString& name) {
  findChild<QLineEdit*>(QStringLiteral("Edit1_filename"))->setText(name);
}

void ImportPanelDialog::SetNumbers(const ImportPanel& panel) {
  const std::pair<const char*, const std::string*> inputs[] = {
      {"Edit1_Z", &panel.Edit1_Z},
      {"Edit1_M", &panel.Edit1_M},
      {"Edit1_Ztarget", &panel.Edit1_Ztarget},
      {"Edit1_Mtarget", &panel.Edit1_Mtarget},
      {"Edit1_scatt_angl", &panel.Edit1_scatt_angl},
      {"Edit1_Zreactionproduct", &panel.Edit1_Zreactionproduct},
      {"Edit1_Mreactionproduct", &panel.Edit1_Mreactionproduct},
      {"Edit1_Nucllevel", &panel.Edit1_Nucllevel},
  };
  for (const auto& [name, text] : inputs) {
    if (auto* edit = findChild<QLineEdit*>(QString::fromLatin1(name)))
      edit->setText(QString::fromStdString(*text));
  }
}

}  // namespace dodavev
