#include "gui/main_window.hpp"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "app/calculations.hpp"
#include "app/parameter_actions.hpp"
#include "app/parameter_layer_files.hpp"
#include "app/program.hpp"
#include "app/session.hpp"
#include "gui/field_hints.hpp"
#include "gui/file_chooser.hpp"
#include "gui/form_helpers.hpp"
#include "gui/input_bindings.hpp"
#include "gui/parameter_pages.hpp"
#include "gui/registry_pages.hpp"
#include "gui/ui_text.hpp"
#include "gui/window_message_sink.hpp"
#include "io/parameter_file.hpp"

#ifndef DODAVEV_VERSION
#define DODAVEV_VERSION "unknown"
#endif

namespace dodavev {
namespace {

struct MenuCalculation {
  const char* name;  // object name of the menu item, after its handler
  const char* caption;
  const char* hint;
};

// The "calculations" menu in its order, with the hints the status bar shows while an item
// is highlighted.
constexpr MenuCalculation kMenuCalculations[] = {
    {"energy_loss", "energy loss",
     "Calculates the energy loss of the incident ion in the absorber foil"},
    {"schalareffect1", "Tschalar effect",
     "Calculation of Tschalar effect for the emitted particle in the absorber foil"},
    {"depthandenergyresolution1", "depth and energy resolution",
     "Calculation of the depth and energy resolution for the given geometry"},
    {"optimization1", "optimization", "Determine the best depth resolution"},
    {"spectrumsimulation1", "spectrum simulation", "sub spectrum simulation"},
    {"spektrumsim21", "full spectrum (1)", "Simulate the full spectrum"},
    {"exitationcurvesforresonances1", "excitation curves for resonances",
     "Calculate the depth and energy resolution for resonance method and determine the "
     "exitation curve"},
    {"spectrumfit1", "spectrum fit", "Fit the simulated spectrum to the measured one"},
};

QWidget* Scrolled(QWidget* page) {
  auto* area = new QScrollArea;
  area->setWidget(page);
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  return area;
}

}  // namespace

TDVornex::TDVornex(Session& session, WindowMessageSink& sink, QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      sink_(sink),
      chooser_(std::make_unique<DialogFileChooser>()) {
  setObjectName(QStringLiteral("TDVornex"));
  setWindowTitle(QStringLiteral("DOdavev"));
  sink_.SetDialogParent(this);
  worker_ = new CalculationWorker(this);
  connect(worker_, &CalculationWorker::finished, this, &TDVornex::OnRunFinished);
  connect(worker_, &CalculationWorker::progress, this, &TDVornex::OnProgress);

  registry_ = new RegistryPages(session_, this);
  registry_->SetFileChooser(chooser_.get());
  registry_->SetHintSink([this](const QString& text) { ShowHint(text); });

  BuildMenus();
  BuildCentralArea();
  BuildStatusBar();
  ConnectPageHandlers();
  ShowSession();
  SetFieldTooltips(pagesPanel_);
  MarkParametersSaved();
  asker_ = [this](const QString& text, QMessageBox::StandardButtons buttons) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("DOdavev"), text, buttons, this);
    return static_cast<QMessageBox::StandardButton>(box.exec());
  };

  // A size that suits the screen: most of it, never more.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QSize available = screen->availableSize();
    resize(std::min(available.width() * 4 / 5, 1280), std::min(available.height() * 4 / 5, 860));
  }
}

TDVornex::~TDVornex() {
  // A run still going on must not wait for a box nobody will see; it ends at its next
  // stop point and its results go with the window.
  if (worker_->running()) {
    worker_->RequestStop();
    sink_.Abandon();
    QObject::disconnect(worker_, nullptr, this, nullptr);
    worker_->Join();
  }
  sink_.SetDialogParent(nullptr);
}

void TDVornex::SetFileChooser(std::unique_ptr<FileChooser> chooser) {
  chooser_ = std::move(chooser);
  registry_->SetFileChooser(chooser_.get());
}

void TDVornex::BuildMenus() {
  files_ = menuBar()->addMenu(QStringLiteral("&files"));
  files_->setObjectName(QStringLiteral("files1"));
  const auto add = [this](QMenu* menu, const char* name, const QString& caption, auto handler) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, handler);
    return action;
  };
  add(files_, "open1", QStringLiteral("&load a new parameter file"), &TDVornex::open1Click)
      ->setShortcut(QKeySequence::Open);
  add(files_, "savethe1", QStringLiteral("&save parameters"), &TDVornex::savethe1Click)
      ->setShortcut(QKeySequence::Save);
  add(files_, "loadaspectrum1", QStringLiteral("load a new s&pectrum"),
      &TDVornex::loadaspectrum1Click);
  files_->addSeparator();
  QAction* quit = add(files_, "quit1", QStringLiteral("&quit"), &TDVornex::quit1Click);
  // Ctrl+Q itself: the platform's standard "Quit" key is empty on some platforms.
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

  // "parameters" has no items: choosing it opens the pages.
  parameters_ = menuBar()->addAction(QStringLiteral("&parameters"));
  parameters_->setObjectName(QStringLiteral("parameters1"));
  connect(parameters_, &QAction::triggered, this, &TDVornex::parameters1Click);

  calculations_ = menuBar()->addMenu(QStringLiteral("&calculations"));
  calculations_->setObjectName(QStringLiteral("calculations1"));
  connect(calculations_, &QMenu::aboutToShow, this, &TDVornex::calculations1Click);
  for (const MenuCalculation& c : kMenuCalculations) {
    QAction* action = calculations_->addAction(QString::fromLatin1(c.caption));
    action->setObjectName(QString::fromLatin1(c.name));
    action->setStatusTip(QString::fromLatin1(c.hint));
    const std::string_view caption = c.caption;
    connect(action, &QAction::triggered, this, [this, caption] {
      lastCalculation_ = ToQt(caption);
      RunCalculation(caption);
    });
  }
  // Repeating the last calculation: a shortcut of the window, not an item of the menu.
  auto* repeat = new QAction(QStringLiteral("repeat the last calculation"), this);
  repeat->setObjectName(QStringLiteral("repeat1"));
  repeat->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_R), QKeySequence(Qt::Key_F5)});
  connect(repeat, &QAction::triggered, this, &TDVornex::RepeatCalculation);
  addAction(repeat);

  QMenu* help = menuBar()->addMenu(QStringLiteral("&help"));
  help->setObjectName(QStringLiteral("help1"));
  add(help, "AboutVornex1", QStringLiteral("&About Vornex"), &TDVornex::AboutVornex1Click);
}

void TDVornex::BuildCentralArea() {
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);

  about_ = BuildAboutPanel();
  about_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
  about_->hide();
  layout->addWidget(about_);

  welcome_ = new QLabel(
      QStringLiteral("Choose \"parameters\" to edit the inputs and \"calculations\" to run one."));
  welcome_->setAlignment(Qt::AlignCenter);
  welcome_->setForegroundRole(QPalette::PlaceholderText);
  layout->addWidget(welcome_, 1);

  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->setChildrenCollapsible(false);
  layout->addWidget(splitter, 1);
  splitter_ = splitter;

  // The parameter pages and their "OK" button, hidden until "parameters".
  pagesPanel_ = new QWidget;
  pagesPanel_->setObjectName(QStringLiteral("Panel_parameters"));
  auto* pagesBox = new QVBoxLayout(pagesPanel_);
  pagesBox->setContentsMargins(0, 0, 0, 0);
  pages_ = new QTabWidget;
  pages_->setObjectName(QStringLiteral("PageControl1"));
  pages_->setDocumentMode(true);
  pages_->addTab(Scrolled(BuildBeamPage()), QStringLiteral("Beam"));
  pages_->addTab(Scrolled(BuildSamplePage()), QStringLiteral("Sample"));
  pages_->addTab(Scrolled(BuildDetectionPage()), QStringLiteral("Detection"));
  pages_->addTab(Scrolled(BuildReactionsPage()), QStringLiteral("Reactions"));
  pages_->addTab(Scrolled(BuildOptionsPage()), QStringLiteral("Options"));
  pages_->addTab(Scrolled(BuildOptimisationPage()), QStringLiteral("Optimisation"));
  pages_->addTab(Scrolled(registry_->stoppingPage()), QStringLiteral("Stopping powers"));
  pages_->addTab(Scrolled(registry_->crossSectionPage()), QStringLiteral("Cross sections"));
  pages_->addTab(Scrolled(BuildSimulationPage()), QStringLiteral("Simulation"));
  pagesBox->addWidget(pages_, 1);
  // The page in front is part of what the session shows ("OK" brings "Detection" or
  // "Sample" to the front); the user's own choice is kept there too.
  connect(pages_, &QTabWidget::currentChanged, this,
          [this](int index) { session_.activePage = FromQt(pages_->tabText(index)); });
  auto* okRow = new QHBoxLayout;
  okRow->addStretch(1);
  QPushButton* ok = ui::MakeButton("Button5", QStringLiteral("OK"));
  ok->setDefault(true);
  ok->setMinimumWidth(ok->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 12);
  okRow->addWidget(ok);
  pagesBox->addLayout(okRow);
  connect(ok, &QPushButton::clicked, this, &TDVornex::Button5Click);
  splitter->addWidget(pagesPanel_);

  // The output panel: the report of the last calculation and what can be done with it.
  output_ = new QGroupBox(QStringLiteral("OUTPUT"));
  output_->setObjectName(QStringLiteral("Output"));
  auto* outputBox = new QVBoxLayout(output_);
  report_ = new QPlainTextEdit;
  report_->setObjectName(QStringLiteral("RichEdit3"));
  report_->setReadOnly(true);
  report_->setLineWrapMode(QPlainTextEdit::NoWrap);
  report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  outputBox->addWidget(report_, 1);
  auto* outputButtons = new QHBoxLayout;
  const auto button = [this, outputButtons](const char* name, const QString& text,
                                            void (TDVornex::*handler)()) {
    QPushButton* b = ui::MakeButton(name, text);
    outputButtons->addWidget(b);
    connect(b, &QPushButton::clicked, this, handler);
    return b;
  };
  button("Button4", QStringLiteral("Save results"), &TDVornex::Button4Click);
  button("Button13", QStringLiteral("Save spectrum"), &TDVornex::Button13Click)->hide();
  button("Button14", QStringLiteral("View results"), &TDVornex::Button14Click);
  button("Button12", QStringLiteral("View subspectrum"), &TDVornex::Button12Click)->hide();
  outputButtons->addStretch(1);
  button("Button3", QStringLiteral("Close"), &TDVornex::Button3Click);
  outputBox->addLayout(outputButtons);
  output_->hide();
  splitter->addWidget(output_);
  splitter->setStretchFactor(0, 3);
  splitter->setStretchFactor(1, 2);

  setCentralWidget(central);
}

QWidget* TDVornex::BuildAboutPanel() {
  auto* panel = new QGroupBox(QStringLiteral("About"));
  panel->setObjectName(QStringLiteral("Panel_about"));
  auto* box = new QVBoxLayout(panel);
  auto* title = new QLabel(QStringLiteral("DOdavev"));
  QFont big = title->font();
  big.setPointSizeF(big.pointSizeF() * 1.6);
  big.setBold(true);
  title->setFont(big);
  box->addWidget(title);
  box->addWidget(new QLabel(QStringLiteral("Version ") + QString::fromUtf8(ProgramVersion())));
  auto* text = new QLabel(QStringLiteral(
      "Depth and energy resolution, geometry optimisation, resonance excitation curves and "
      "spectrum simulation for ion beam analysis (RBS, ERD, NRA, forward scattering) of "
      "layered thin-film samples.<br><br>"
      "<b>Physics data</b> (the start-up directory LEV, generated from public tables):"
      "<ul>"
      "<li>element masses and isotopic compositions: NIST (AME2016 masses, IUPAC 2009 "
      "compositions), IUPAC 2013 standard atomic weights;</li>"
      "<li>electronic stopping: Ziegler (1977) helium coefficients, ZBL-85 proton "
      "coefficients, Fermi velocities and screening factors; SRIM 2003 tables of the "
      "user's choice;</li>"
      "<li>energy straggling: Bohr, with Chu's correction (a fit to Yang, O'Connor and Wang, "
      "1991) and Yang's correction;</li>"
      "<li>multiple scattering: reduced half-width tables and Pearson VII convolutions "
      "computed by the generator of the data directory;</li>"
      "<li>nuclear levels: IAEA RIPL-3 (from ENSDF);</li>"
      "<li>cross sections: Rutherford with screening, He-ERD fits of the literature, "
      "tabulated files of the user's choice.</li>"
      "</ul>"));
  text->setObjectName(QStringLiteral("Label_about"));
  text->setWordWrap(true);
  text->setTextFormat(Qt::RichText);
  box->addWidget(text);
  auto* dataDir = new QLabel;
  dataDir->setObjectName(QStringLiteral("Label_datadir"));
  dataDir->setTextInteractionFlags(Qt::TextSelectableByMouse);
  box->addWidget(dataDir);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  QPushButton* ok = ui::MakeButton("Button20", QStringLiteral("OK"));
  row->addWidget(ok);
  box->addLayout(row);
  connect(ok, &QPushButton::clicked, this, &TDVornex::Button20Click);
  return panel;
}

void TDVornex::BuildStatusBar() {
  statusBar()->setObjectName(QStringLiteral("StatusBar1"));
  progressLabel_ = new QLabel;
  progressLabel_->setObjectName(QStringLiteral("Label_progress"));
  progressBar_ = new QProgressBar;
  progressBar_->setObjectName(QStringLiteral("ProgressBar_run"));
  progressBar_->setMaximumWidth(progressBar_->fontMetrics().horizontalAdvance(QLatin1Char('0')) *
                                24);
  stop_ = ui::MakeButton("Button_stop", QStringLiteral("Stop"));
  connect(stop_, &QPushButton::clicked, this, &TDVornex::StopCalculation);
  statusBar()->addPermanentWidget(progressLabel_);
  statusBar()->addPermanentWidget(progressBar_);
  statusBar()->addPermanentWidget(stop_);
  progressLabel_->hide();
  progressBar_->hide();
  stop_->hide();
}

void TDVornex::ConnectPageHandlers() {
  const auto find = [this](const char* name) {
    return findChild<QWidget*>(QString::fromLatin1(name));
  };
  const auto onClick = [this, &find](const char* name, void (TDVornex::*handler)()) {
    if (auto* b = qobject_cast<QAbstractButton*>(find(name)))
      connect(b, &QAbstractButton::clicked, this, handler);
  };
  onClick("Button1", &TDVornex::Button1Click);
  onClick("Button2", &TDVornex::Button2Click);
  onClick("Button10", &TDVornex::Button10Click);
  onClick("Button11", &TDVornex::Button11Click);
  onClick("Button6", &TDVornex::Button6Click);
  onClick("Button7", &TDVornex::Button7Click);
  onClick("Button8", &TDVornex::Button8Click);
  onClick("Button9", &TDVornex::Button9Click);

  // Leaving a reaction or optimisation field identifies the reaction again; leaving a
  // detector distance or diaphragm field recomputes the solid angle. The check runs once
  // the focus has moved, so that a message box does not fight the focus change.
  for (const char* name :
       {"Edit1_z1", "Edit1_m1", "Edit1_chargestate_in", "Edit1_z2", "Edit1_m2",
        "Edit1_chargestate_out", "Edit1_th", "Edit1_target", "Edit1_mt", "Edit1_qm", "Edit1_level",
        "Edit1_theta_min", "Edit1_theta_max", "Edit1_Alfa_min", "Edit1_step_deg", "Edit1_dex1",
        "Edit1_dex2", "Edit1_dex3", "Edit1_dex4"}) {
    if (auto* edit = qobject_cast<QLineEdit*>(find(name)))
      connect(edit, &QLineEdit::editingFinished, this,
              [this] { QTimer::singleShot(0, this, &TDVornex::ReactionFieldLeft); });
  }
  for (const char* name : {"Edit1_d", "Edit1_detdia", "Edit1_ss", "Edit1_hossz"}) {
    if (auto* edit = qobject_cast<QLineEdit*>(find(name)))
      connect(edit, &QLineEdit::editingFinished, this,
              [this] { QTimer::singleShot(0, this, &TDVornex::GeometryFieldLeft); });
  }

  // Enter in a parameter field is "OK"; typing in a marked field looks at it again.
  for (QLineEdit* edit : pagesPanel_->findChildren<QLineEdit*>()) {
    if (!edit->objectName().startsWith(QLatin1String("Edit1_"))) continue;
    connect(edit, &QLineEdit::returnPressed, this, &TDVornex::Button5Click);
    connect(edit, &QLineEdit::textEdited, this, [this, edit] {
      if (IsMarkedBad(*edit)) RecheckMarkedFields();
    });
  }

  // Shape radio buttons: the beam slit shows its inputs; the diaphragm also recomputes
  // the solid angle.
  for (const char* name : {"RadioButton1", "RadioButton2"}) {
    if (auto* b = qobject_cast<QRadioButton*>(find(name)))
      connect(b, &QRadioButton::clicked, this, [this] { UpdateShapeVisibility(); });
  }
  for (const char* name : {"RadioButton3", "RadioButton4"}) {
    if (auto* b = qobject_cast<QRadioButton*>(find(name)))
      connect(b, &QRadioButton::clicked, this, [this] {
        UpdateShapeVisibility();
        GeometryFieldLeft();
      });
  }

  // Master switches of the options.
  if (auto* all = qobject_cast<QCheckBox*>(find("CheckAll")))
    connect(all, &QCheckBox::clicked, this, [this](bool checked) {
      CollectInputs();
      CheckAllClick(session_.params, checked);
      ShowSession();
    });
  if (auto* nothing = qobject_cast<QCheckBox*>(find("CheckNothing")))
    connect(nothing, &QCheckBox::clicked, this, [this](bool checked) {
      CollectInputs();
      CheckNothingClick(session_.params, checked);
      ShowSession();
    });

  // Editing a layer text marks it as modified in its file label.
  if (auto* sample = qobject_cast<QPlainTextEdit*>(find("richedit1")))
    connect(sample, &QPlainTextEdit::textChanged, this, [this, find] {
      if (auto* label = qobject_cast<QLabel*>(find("samplefile")))
        label->setText(QString::fromLatin1(kSampleModifiedLabel));
    });
  if (auto* absorber = qobject_cast<QPlainTextEdit*>(find("RichEdit2")))
    connect(absorber, &QPlainTextEdit::textChanged, this, [this, find] {
      if (auto* label = qobject_cast<QLabel*>(find("Absorbensfile")))
        label->setText(QString::fromLatin1(kAbsorberModifiedLabel));
    });
}

void TDVornex::closeEvent(QCloseEvent* event) {
  if (!ConfirmQuit()) {
    event->ignore();
    return;
  }
  if (worker_->running()) {
    // The run ends at its next stop point; its messages no longer wait for the user.
    worker_->RequestStop();
    sink_.Abandon();
    QObject::disconnect(worker_, nullptr, this, nullptr);
    worker_->Join();
  }
  QMainWindow::closeEvent(event);
}

}  // namespace dodavev
