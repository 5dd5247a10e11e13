#include "gui/input_bindings.hpp"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QWidget>
#include <array>

#include "gui/ui_text.hpp"

namespace dodavev {
namespace {

#define DODAVEV_TEXT(name)        \
  TextBinding {                   \
#name, &ParameterInputs::name \
  }
#define DODAVEV_SWITCH(name)      \
  SwitchBinding {                 \
#name, &ParameterInputs::name \
  }

constexpr std::array kTexts{
    // Beam.
    DODAVEV_TEXT(Edit1_e0), DODAVEV_TEXT(Edit1_z1), DODAVEV_TEXT(Edit1_m1),
    DODAVEV_TEXT(Edit1_chargestate_in), DODAVEV_TEXT(Edit1_a), DODAVEV_TEXT(Edit1_q1),
    DODAVEV_TEXT(Edit1_bes), DODAVEV_TEXT(Edit1_asb), DODAVEV_TEXT(Edit1_diam),
    DODAVEV_TEXT(Edit1_r), DODAVEV_TEXT(Edit1_leng),
    // Sample.
    DODAVEV_TEXT(Edit1_temperature), DODAVEV_TEXT(Edit1_monothick), DODAVEV_TEXT(richedit1),
    DODAVEV_TEXT(samplefile),
    // Detection.
    DODAVEV_TEXT(Edit1_z2), DODAVEV_TEXT(Edit1_m2), DODAVEV_TEXT(Edit1_chargestate_out),
    DODAVEV_TEXT(Edit1_th), DODAVEV_TEXT(Edit1_d), DODAVEV_TEXT(Edit1_detdia),
    DODAVEV_TEXT(Edit1_ss), DODAVEV_TEXT(Edit1_hossz), DODAVEV_TEXT(Label35),
    DODAVEV_TEXT(Edit1_ho), DODAVEV_TEXT(RichEdit2), DODAVEV_TEXT(Absorbensfile),
    DODAVEV_TEXT(Edit1_detkevch), DODAVEV_TEXT(Edit1_dete0), DODAVEV_TEXT(Edit1_detres0),
    DODAVEV_TEXT(Edit1_detres1), DODAVEV_TEXT(Edit1_detres2), DODAVEV_TEXT(Edit1_detres3),
    DODAVEV_TEXT(Edit1_detres4),
    // Reactions.
    DODAVEV_TEXT(Edit1_target), DODAVEV_TEXT(Edit1_mt), DODAVEV_TEXT(Edit1_qm),
    DODAVEV_TEXT(Edit1_level), DODAVEV_TEXT(Edit1_c3), DODAVEV_TEXT(Edit1_er),
    DODAVEV_TEXT(Edit1_fwhm), DODAVEV_TEXT(Edit1_rezmin), DODAVEV_TEXT(Edit1_rezmax),
    DODAVEV_TEXT(Edit1_estep), DODAVEV_TEXT(Edit1_depthmax), DODAVEV_TEXT(Edit1_x),
    DODAVEV_TEXT(Edit1_thr), DODAVEV_TEXT(Edit1_x_corr), DODAVEV_TEXT(Label_reaction),
    DODAVEV_TEXT(Label_iba), DODAVEV_TEXT(Label_given_target),
    // Optimisation.
    DODAVEV_TEXT(Edit1_theta_min), DODAVEV_TEXT(Edit1_theta_max), DODAVEV_TEXT(Edit1_Alfa_min),
    DODAVEV_TEXT(Edit1_step_deg), DODAVEV_TEXT(Edit1_dex1), DODAVEV_TEXT(Edit1_dex2),
    DODAVEV_TEXT(Edit1_dex3), DODAVEV_TEXT(Edit1_dex4),
    // Stopping powers and cross sections.
    DODAVEV_TEXT(Edit1_NRACrossConstant), DODAVEV_TEXT(ComboBox1), DODAVEV_TEXT(ComboBox_HEERD_p),
    DODAVEV_TEXT(ComboBox_HEERD_d),
    // Simulation.
    DODAVEV_TEXT(Edit1_itlength), DODAVEV_TEXT(Edit1_channels), DODAVEV_TEXT(Edit1_fit_parameters),
    DODAVEV_TEXT(Edit1_fit_channels)};

constexpr std::array kSwitches{DODAVEV_SWITCH(RadioButton1),
                               DODAVEV_SWITCH(RadioButton2),
                               DODAVEV_SWITCH(RadioButton3),
                               DODAVEV_SWITCH(RadioButton4),
                               DODAVEV_SWITCH(RadioButton5),
                               DODAVEV_SWITCH(RadioButton6),
                               DODAVEV_SWITCH(CheckAll),
                               DODAVEV_SWITCH(CheckGeo),
                               DODAVEV_SWITCH(CheckStraggling),
                               DODAVEV_SWITCH(CheckChu),
                               DODAVEV_SWITCH(CheckYang),
                               DODAVEV_SWITCH(CheckMS),
                               DODAVEV_SWITCH(CheckDoppler),
                               DODAVEV_SWITCH(CheckBeam),
                               DODAVEV_SWITCH(CheckDet),
                               DODAVEV_SWITCH(CheckNothing),
                               DODAVEV_SWITCH(Checktschalar),
                               DODAVEV_SWITCH(CheckNuclearStopping),
                               DODAVEV_SWITCH(CheckKinematic),
                               DODAVEV_SWITCH(CheckKinematic2),
                               DODAVEV_SWITCH(CheckMS_max),
                               DODAVEV_SWITCH(RadioButton_ZBL2003),
                               DODAVEV_SWITCH(RadioButton_ZBL92),
                               DODAVEV_SWITCH(RadioButton_ESS_Rutherford),
                               DODAVEV_SWITCH(RadioButton_ESS_NonRutherford),
                               DODAVEV_SWITCH(RadioButton_ERD_Rutherford),
                               DODAVEV_SWITCH(RadioButton_ERD_NonRutherford),
                               DODAVEV_SWITCH(RadioButton_NRAConstans),
                               DODAVEV_SWITCH(RadioButton_NRA_Files),
                               DODAVEV_SWITCH(CheckBox1_given_target)};

#undef DODAVEV_TEXT
#undef DODAVEV_SWITCH

template <typename T>
T* Find(const QWidget* root, const char* name) {
  return root->findChild<T*>(QString::fromLatin1(name));
}

}  // namespace

std::span<const TextBinding> TextBindings() {
  return kTexts;
}

std::span<const SwitchBinding> SwitchBindings() {
  return kSwitches;
}

void ShowInputsInControls(const ParameterInputs& inputs, QWidget* root) {
  for (const TextBinding& b : kTexts) {
    const QString text = ToQt(inputs.*b.field);
    QWidget* w = Find<QWidget>(root, b.name);
    if (w == nullptr) continue;
    const QSignalBlocker blocker(w);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
      // An unchanged text is left alone: the field the user has just moved to keeps its
      // cursor and selection.
      if (edit->text() != text) {
        edit->setText(text);
        edit->setCursorPosition(0);
      }
    } else if (auto* area = qobject_cast<QPlainTextEdit*>(w)) {
      if (area->toPlainText() != text) area->setPlainText(text);
      area->document()->setModified(false);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
      // The shown text is what the calculations read, whether or not it is one of the
      // choices ("Screening" before a choice is made).
      combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly));
      combo->setEditText(text);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
      label->setText(text);
    }
  }
  for (const SwitchBinding& b : kSwitches) {
    auto* button = Find<QAbstractButton>(root, b.name);
    if (button == nullptr) continue;
    const QSignalBlocker blocker(button);
    // Radio buttons of one group exclude each other: checking the chosen one clears its
    // partner, and an exclusive group refuses to uncheck a button directly.
    const bool radio = button->group() != nullptr || button->autoExclusive();
    if (!radio || inputs.*b.field) button->setChecked(inputs.*b.field);
  }
}

void ReadInputsFromControls(const QWidget* root, ParameterInputs& inputs) {
  for (const TextBinding& b : kTexts) {
    const QWidget* w = Find<QWidget>(root, b.name);
    if (w == nullptr) continue;
    if (auto* edit = qobject_cast<const QLineEdit*>(w)) {
      inputs.*b.field = FromQt(edit->text());
    } else if (auto* area = qobject_cast<const QPlainTextEdit*>(w)) {
      inputs.*b.field = FromQt(area->toPlainText());
    } else if (auto* combo = qobject_cast<const QComboBox*>(w)) {
      inputs.*b.field = FromQt(combo->currentText());
    } else if (auto* label = qobject_cast<const QLabel*>(w)) {
      inputs.*b.field = FromQt(label->text());
    }
  }
  for (const SwitchBinding& b : kSwitches) {
    if (const auto* button = Find<QAbstractButton>(root, b.name))
      inputs.*b.field = button->isChecked();
  }
}

}  // namespace dodavev
