#include "gui/parameter_pages.hpp"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <string>
#include <utility>

#include "gui/form_helpers.hpp"
#include "studies/spectrum_fit.hpp"

namespace dodavev {
namespace {

using ui::AddEdit;
using ui::AddRadioPair;
using ui::AddValueLabel;
using ui::FormGroup;
using ui::MakeButton;
using ui::MakeCheck;
using ui::MakeLayerText;

// A page: columns of group boxes, packed to the top left so that the groups keep their
// natural size on a large window; a column may hold a group that grows (a layer text).
struct Page {
  Page() : widget(new QWidget), columns(new QHBoxLayout(widget)) {}
  ~Page() {
    for (QVBoxLayout* column : stacks) {
      if (!grows.contains(column)) column->addStretch(1);
    }
    columns->addStretch(1);
  }
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  void Add(QWidget* w, int column, bool grow = false) {
    while (stacks.size() <= column) {
      auto* stack = new QVBoxLayout;
      columns->addLayout(stack, 0);
      stacks.push_back(stack);
    }
    stacks[column]->addWidget(w, grow ? 1 : 0);
    if (grow) {
      grows.push_back(stacks[column]);
      columns->setStretchFactor(stacks[column], 3);
    }
  }
  QWidget* widget;
  QHBoxLayout* columns;
  QList<QVBoxLayout*> stacks;
  QList<QVBoxLayout*> grows;
};

// An "OK" button at the right end of a panel.
QWidget* OkRow(const char* name) {
  auto* row = new QWidget;
  auto* box = new QHBoxLayout(row);
  box->setContentsMargins(0, 0, 0, 0);
  box->addStretch(1);
  box->addWidget(MakeButton(name, QStringLiteral("OK")));
  return row;
}

QLabel* Note(const QString& text) {
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  label->setForegroundRole(QPalette::PlaceholderText);
  return label;
}

}  // namespace

QWidget* BuildBeamPage() {
  Page page;
  QFormLayout* ion = nullptr;
  page.Add(FormGroup(QStringLiteral("Incident ion"), &ion), 0);
  AddEdit(ion, "Edit1_z1", QStringLiteral("Atomic number"));
  AddEdit(ion, "Edit1_m1", QStringLiteral("Mass number"));
  AddEdit(ion, "Edit1_chargestate_in", QStringLiteral("Charge state"));

  QFormLayout* beam = nullptr;
  page.Add(FormGroup(QStringLiteral("Beam"), &beam), 0);
  AddEdit(beam, "Edit1_e0", QStringLiteral("Energy [keV]"));
  AddEdit(beam, "Edit1_a", QStringLiteral("Incident angle, beam to sample surface [deg]"));
  AddEdit(beam, "Edit1_q1", QStringLiteral("Dose [microC]"));
  AddEdit(beam, "Edit1_bes", QStringLiteral("Beam energy spread [keV]"));
  AddEdit(beam, "Edit1_asb", QStringLiteral("Angular spread of the beam [deg]"));

  QFormLayout* slit = nullptr;
  page.Add(FormGroup(QStringLiteral("Shape of the slit"), &slit), 1);
  AddRadioPair(slit, QString(), "RadioButton1", QStringLiteral("Circular"), "RadioButton2",
               QStringLiteral("Rectangular"));
  AddEdit(slit, "Edit1_diam", QStringLiteral("Diameter [mm]"), "Label28");
  AddEdit(slit, "Edit1_r", QStringLiteral("Width [mm]"), "Label11");
  AddEdit(slit, "Edit1_leng", QStringLiteral("Length [mm]"), "Label12");
  return page.widget;
}

QWidget* BuildSamplePage() {
  Page page;
  QFormLayout* sample = nullptr;
  page.Add(FormGroup(QStringLiteral("Sample"), &sample), 0);
  AddEdit(sample, "Edit1_temperature", QStringLiteral("Sample temperature [K]"));
  AddEdit(sample, "Edit1_monothick",
          QStringLiteral("Thickness of a monolayer [at/cm2]\n(0 for an amorphous sample)"));

  auto* layers = new QGroupBox(QStringLiteral("Layer structure"));
  auto* box = new QVBoxLayout(layers);
  auto* file = new QLabel;
  file->setObjectName(QStringLiteral("samplefile"));
  box->addWidget(file);
  box->addWidget(MakeLayerText("richedit1"), 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(MakeButton("Button6", QStringLiteral("Load a new layer structure")));
  buttons->addWidget(MakeButton("Button7", QStringLiteral("Save the layer structure")));
  buttons->addStretch(1);
  box->addLayout(buttons);
  box->addWidget(
      Note(QStringLiteral("Layers from the surface down: \"A=\" thickness [\u00c5], \"N=\" "
                          "atomic density [at/cm3], then one \"element,amount\" line per "
                          "element (Si, C13, #Si for the natural mixture). A last section "
                          "\"S=\" is the substrate.")));
  layers->setMinimumWidth(layers->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 48);
  page.Add(layers, 1, true);
  return page.widget;
}

QWidget* BuildDetectionPage() {
  Page page;
  QFormLayout* ion = nullptr;
  page.Add(FormGroup(QStringLiteral("Emitted (detected) ion"), &ion), 0);
  AddEdit(ion, "Edit1_z2", QStringLiteral("Atomic number"));
  AddEdit(ion, "Edit1_m2", QStringLiteral("Mass number"));
  AddEdit(ion, "Edit1_chargestate_out", QStringLiteral("Charge state"));

  QFormLayout* geometry = nullptr;
  page.Add(FormGroup(QStringLiteral("Detection geometry"), &geometry), 0);
  AddEdit(geometry, "Edit1_th", QStringLiteral("Scattering angle [deg]"));
  AddEdit(geometry, "Edit1_d", QStringLiteral("Detector - target distance [mm]"));
  AddRadioPair(geometry, QStringLiteral("Position of the detector"), "RadioButton5",
               QStringLiteral("IBM"), "RadioButton6", QStringLiteral("CORNELL"));

  QFormLayout* diaphragm = nullptr;
  page.Add(FormGroup(QStringLiteral("Detector diaphragm"), &diaphragm), 0);
  AddRadioPair(diaphragm, QString(), "RadioButton3", QStringLiteral("Circular"), "RadioButton4",
               QStringLiteral("Rectangular"));
  AddEdit(diaphragm, "Edit1_detdia", QStringLiteral("Diameter [mm]"), "Label13");
  AddEdit(diaphragm, "Edit1_ss", QStringLiteral("Width [mm]"), "Label14");
  AddEdit(diaphragm, "Edit1_hossz", QStringLiteral("Length [mm]"), "Label15");
  AddValueLabel(diaphragm, "Label35", QStringLiteral("Solid angle [msr]"));

  // Detector response: two buttons opening the resolution and calibration panels.
  auto* detector = new QGroupBox(QStringLiteral("Detector"));
  auto* detectorBox = new QVBoxLayout(detector);
  auto* openers = new QHBoxLayout;
  openers->addWidget(MakeButton("Button1", QStringLiteral("Energy resolution")));
  openers->addWidget(MakeButton("Button2", QStringLiteral("Energy calibration")));
  openers->addStretch(1);
  detectorBox->addLayout(openers);

  QFormLayout* resolution = nullptr;
  QGroupBox* panel3 = FormGroup(QStringLiteral("Energy resolution"), &resolution);
  panel3->setObjectName(QStringLiteral("Panel3"));
  auto* explanation = new QLabel;
  explanation->setObjectName(QStringLiteral("Label_resolution"));
  resolution->addRow(explanation);
  for (const char* name :
       {"Edit1_detres0", "Edit1_detres1", "Edit1_detres2", "Edit1_detres3", "Edit1_detres4"}) {
    AddEdit(resolution, name, QStringLiteral("a") + QLatin1Char(name[12]));
  }
  resolution->addRow(OkRow("Button10"));
  panel3->hide();
  detectorBox->addWidget(panel3);

  QFormLayout* calibration = nullptr;
  QGroupBox* panel14 = FormGroup(QStringLiteral("Energy calibration (linear)"), &calibration);
  panel14->setObjectName(QStringLiteral("Panel14"));
  AddEdit(calibration, "Edit1_detkevch", QStringLiteral("keV/ch"));
  AddEdit(calibration, "Edit1_dete0", QStringLiteral("E0 [keV]"));
  calibration->addRow(OkRow("Button11"));
  panel14->hide();
  detectorBox->addWidget(panel14);
  page.Add(detector, 1);

  auto* absorber = new QGroupBox(QStringLiteral("Absorber foil"));
  auto* absorberBox = new QVBoxLayout(absorber);
  QFormLayout* foil = nullptr;
  auto* foilRow = new QWidget;
  foil = new QFormLayout(foilRow);
  foil->setContentsMargins(0, 0, 0, 0);
  AddEdit(foil, "Edit1_ho", QStringLiteral("Inhomogeneity [micron]"));
  absorberBox->addWidget(foilRow);
  auto* file = new QLabel;
  file->setObjectName(QStringLiteral("Absorbensfile"));
  absorberBox->addWidget(file);
  absorberBox->addWidget(MakeLayerText("RichEdit2"), 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(MakeButton("Button8", QStringLiteral("Load absorbens")));
  buttons->addWidget(MakeButton("Button9", QStringLiteral("Save absorbens")));
  buttons->addStretch(1);
  absorberBox->addLayout(buttons);
  page.Add(absorber, 2, true);
  return page.widget;
}

QWidget* BuildReactionsPage() {
  Page page;
  QFormLayout* reaction = nullptr;
  page.Add(FormGroup(QStringLiteral("Reaction"), &reaction), 0);
  AddEdit(reaction, "Edit1_target", QStringLiteral("Symbol of the target element"));
  AddEdit(reaction, "Edit1_mt", QStringLiteral("Its mass number"));
  AddEdit(reaction, "Edit1_c3", QStringLiteral("Isotopic abundance"));
  AddEdit(reaction, "Edit1_qm", QStringLiteral("Q-value for ground state [MeV]"));
  AddEdit(reaction, "Edit1_level", QStringLiteral("Excitation level"));
  AddValueLabel(reaction, "Label_reaction", QStringLiteral("Reaction"));
  AddValueLabel(reaction, "Label_iba", QStringLiteral("Analysis"));

  QFormLayout* resonance = nullptr;
  page.Add(FormGroup(QStringLiteral("Resonance and excitation curve"), &resonance), 1);
  AddEdit(resonance, "Edit1_er", QStringLiteral("Resonance energy [keV]"));
  AddEdit(resonance, "Edit1_fwhm", QStringLiteral("Resonance width [keV]"));
  AddEdit(resonance, "Edit1_rezmin", QStringLiteral("Minimum energy [keV]"));
  AddEdit(resonance, "Edit1_rezmax", QStringLiteral("Maximum energy [keV]"));
  AddEdit(resonance, "Edit1_estep", QStringLiteral("Energy step [keV]"));

  QFormLayout* depth = nullptr;
  page.Add(FormGroup(QStringLiteral("Depth steps"), &depth), 0);
  AddEdit(depth, "Edit1_x", QStringLiteral("Iteration step [micron]"));
  AddEdit(depth, "Edit1_depthmax", QStringLiteral("Max. depth [micron]"));
  AddEdit(depth, "Edit1_thr", QStringLiteral("Threshold energy [keV]"));
  AddEdit(depth, "Edit1_x_corr", QStringLiteral("corr.X [at/cm2]"));
  return page.widget;
}

QWidget* BuildOptionsPage() {
  Page page;
  auto* masters = new QGroupBox(QStringLiteral("Energy spread contributions"));
  auto* masterBox = new QVBoxLayout(masters);
  masterBox->addWidget(
      MakeCheck("CheckAll", QStringLiteral("All the energy spread contributions")));
  masterBox->addWidget(MakeCheck("CheckNothing", QStringLiteral("No energy spread at all")));
  masterBox->addSpacing(masterBox->spacing() * 2);
  masterBox->addWidget(MakeCheck("CheckBeam", QStringLiteral("Beam energy and angular spread")));
  masterBox->addWidget(MakeCheck("CheckGeo", QStringLiteral("Geometrical contribution")));
  masterBox->addWidget(MakeCheck("CheckStraggling", QStringLiteral("Energy straggling (Bohr)")));
  masterBox->addWidget(
      MakeCheck("CheckChu", QStringLiteral("Chu' s correction for Bohr straggling")));
  masterBox->addWidget(MakeCheck("CheckYang", QStringLiteral("Yang's correction for straggling")));
  masterBox->addWidget(MakeCheck("CheckMS", QStringLiteral("Multiple scattering ")));
  masterBox->addWidget(MakeCheck("CheckDoppler", QStringLiteral("Doppler effect")));
  masterBox->addWidget(MakeCheck("CheckDet", QStringLiteral("Energy spread of the detector")));
  page.Add(masters, 0);

  auto* corrections = new QGroupBox(QStringLiteral("Corrections"));
  auto* correctionBox = new QVBoxLayout(corrections);
  correctionBox->addWidget(MakeCheck("Checktschalar", QStringLiteral("Stopping correction")));
  correctionBox->addWidget(
      MakeCheck("CheckNuclearStopping", QStringLiteral("nuclear stopping for H and He ions")));
  page.Add(corrections, 1);

  auto* spectrograph =
      new QGroupBox(QStringLiteral("Kinematic correction for magnetic spectrograph"));
  auto* spectrographBox = new QVBoxLayout(spectrograph);
  spectrographBox->addWidget(
      MakeCheck("CheckKinematic", QStringLiteral("in the scattering plane")));
  spectrographBox->addWidget(MakeCheck("CheckKinematic2", QStringLiteral("perpendicular plane")));
  page.Add(spectrograph, 1);
  return page.widget;
}

QWidget* BuildOptimisationPage() {
  Page page;
  QFormLayout* angles = nullptr;
  page.Add(FormGroup(QStringLiteral("Angles"), &angles), 0);
  AddEdit(angles, "Edit1_theta_min", QStringLiteral("Theta min. [deg]"));
  AddEdit(angles, "Edit1_theta_max", QStringLiteral("Theta max. [deg]"));
  AddEdit(angles, "Edit1_Alfa_min", QStringLiteral("Alfa min. [deg]"));
  AddEdit(angles, "Edit1_step_deg", QStringLiteral("Step  [deg]"));

  QFormLayout* depths = nullptr;
  page.Add(FormGroup(QStringLiteral("Depth (multipled by iteration step)"), &depths), 1);
  AddEdit(depths, "Edit1_dex1", QStringLiteral("x1"));
  AddEdit(depths, "Edit1_dex2", QStringLiteral("x2"));
  AddEdit(depths, "Edit1_dex3", QStringLiteral("x3"));
  AddEdit(depths, "Edit1_dex4", QStringLiteral("x4"));
  return page.widget;
}

QWidget* BuildSimulationPage() {
  Page page;
  QFormLayout* simulation = nullptr;
  page.Add(FormGroup(QStringLiteral("Spectrum simulation"), &simulation), 0);
  AddEdit(simulation, "Edit1_itlength", QStringLiteral("iteration length for simulation [at/cm2]"));
  AddEdit(simulation, "Edit1_channels", QStringLiteral("number of channels"));
  auto* row = new QWidget;
  auto* rowBox = new QHBoxLayout(row);
  rowBox->setContentsMargins(0, 0, 0, 0);
  rowBox->addWidget(
      MakeCheck("CheckBox1_given_target", QStringLiteral("Only the given target isotop: ")));
  auto* isotope = new QLabel;
  isotope->setObjectName(QStringLiteral("Label_given_target"));
  QFont bold = isotope->font();
  bold.setBold(true);
  isotope->setFont(bold);
  rowBox->addWidget(isotope);
  rowBox->addStretch(1);
  simulation->addRow(row);

  // What "spectrum fit" fits: the list (layers and elements typed, "thickness 1, amount 2
  // Si"), with check boxes for the parameters that name no layer, and the channel region.
  QFormLayout* fit = nullptr;
  page.Add(FormGroup(QStringLiteral("Fit"), &fit), 0);
  QLineEdit* list = AddEdit(fit, "Edit1_fit_parameters", QStringLiteral("fit parameters"));
  list->setToolTip(QStringLiteral("thickness 1, amount 2 Si, calibration, resolution, dose"));
  AddEdit(fit, "Edit1_fit_channels", QStringLiteral("fit channels (first last)"));
  auto* checks = new QWidget;
  auto* checksBox = new QHBoxLayout(checks);
  checksBox->setContentsMargins(0, 0, 0, 0);
  const std::pair<FitQuantity, const char*> kChecks[] = {{FitQuantity::kCalibration, "calibration"},
                                                         {FitQuantity::kResolution, "resolution"},
                                                         {FitQuantity::kDose, "dose"}};
  for (const auto& [quantity, word] : kChecks) {
    QCheckBox* check =
        MakeCheck((std::string("CheckFit_") + word).c_str(), QString::fromLatin1(word));
    checksBox->addWidget(check);
    const FitQuantity q = quantity;
    // The box shows whether the list names the parameter, and changes the list.
    QObject::connect(list, &QLineEdit::textChanged, check, [check, q](const QString& text) {
      const FitChoicesRead read = ParseFitParameters(text.toStdString());
      const bool named = std::any_of(read.choices.begin(), read.choices.end(),
                                     [q](const FitChoice& c) { return c.quantity == q; });
      const QSignalBlocker block(check);
      check->setChecked(named);
    });
    QObject::connect(check, &QCheckBox::toggled, list, [list, q](bool on) {
      FitChoicesRead read = ParseFitParameters(list->text().toStdString());
      if (!read.error.empty()) return;  // a list being typed is left as it is
      std::erase_if(read.choices, [q](const FitChoice& c) { return c.quantity == q; });
      if (on) read.choices.push_back(FitChoice{q, 0, {}});
      list->setText(QString::fromStdString(FormatFitParameters(read.choices)));
    });
  }
  checksBox->addStretch(1);
  fit->addRow(checks);
  return page.widget;
}

}  // namespace dodavev
