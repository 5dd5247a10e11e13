#include "gui/drawing_window.hpp"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStringList>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/session.hpp"
#include "charts/chart_files.hpp"
#include "gui/chart_render.hpp"

namespace dodavev {
namespace {

QToolButton* SpeedButton(QWidget* parent, const char* name, const QString& text,
                         const QString& hint) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setText(text);
  button->setToolTip(hint);
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  return button;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

QLineEdit* Edit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  return edit;
}

}  // namespace

TForm_drawing::TForm_drawing(Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session) {
  setObjectName(QStringLiteral("TForm_drawing"));
  setWindowTitle(QStringLiteral("Drawing"));
  BuildControls();
  resize(960, 680);
}

TForm_drawing::~TForm_drawing() = default;

void TForm_drawing::BuildControls() {
  auto* tools = new QHBoxLayout;
  Button_next = Button(this, "Button_next", QStringLiteral("Next"));
  Button_profile = Button(this, "Button_profile", QStringLiteral("Profile"));
  SpeedButton_save =
      SpeedButton(this, "SpeedButton_save", QStringLiteral("Save"), QStringLiteral("Save"));
  SpeedButton_print =
      SpeedButton(this, "SpeedButton_print", QStringLiteral("Print"), QStringLiteral("Print"));
  SpeedButton_LeftAxis = SpeedButton(this, "SpeedButton_LeftAxis", QStringLiteral("Left axis"),
                                     QStringLiteral("Left axis"));
  SpeedButton_bottomaxis = SpeedButton(
      this, "SpeedButton_bottomaxis", QStringLiteral("Bottom axis"), QStringLiteral("Bottom axis"));
  SpeedButton_RightAxis = SpeedButton(this, "SpeedButton_RightAxis", QStringLiteral("Right axis"),
                                      QStringLiteral("Right axis"));
  Button_close = Button(this, "Button_close", QStringLiteral("Close"));
  for (QWidget* w : std::initializer_list<QWidget*>{
           SpeedButton_save, SpeedButton_print, SpeedButton_LeftAxis, SpeedButton_bottomaxis,
           SpeedButton_RightAxis, Button_profile, Button_next})
    tools->addWidget(w);
  tools->addStretch(1);
  tools->addWidget(Button_close);

  view_ = new QChartView(new QChart, this);
  view_->setObjectName(QStringLiteral("Chart1"));
  view_->setRenderHint(QPainter::Antialiasing, true);

  Panel_axis = new QGroupBox(this);
  Panel_axis->setObjectName(QStringLiteral("Panel_axis"));
  auto* panel = new QVBoxLayout(Panel_axis);
  Label_axis = new QLabel(Panel_axis);
  Label_axis->setObjectName(QStringLiteral("Label_axis"));
  CheckBox_visible = new QCheckBox(QStringLiteral("Visible"), Panel_axis);
  CheckBox_visible->setObjectName(QStringLiteral("CheckBox_visible"));
  CheckBox_grid = new QCheckBox(QStringLiteral("Grid"), Panel_axis);
  CheckBox_grid->setObjectName(QStringLiteral("CheckBox_grid"));
  Edit_amin = Edit(Panel_axis, "Edit_amin");
  Edit_amax = Edit(Panel_axis, "Edit_amax");
  Edit_ainc = Edit(Panel_axis, "Edit_ainc");
  Edit_Caption = Edit(Panel_axis, "Edit_Caption");
  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("Minimum"), Edit_amin);
  fields->addRow(QStringLiteral("Maximum"), Edit_amax);
  fields->addRow(QStringLiteral("Increment"), Edit_ainc);
  fields->addRow(QStringLiteral("Caption"), Edit_Caption);
  Button_axis_ok = Button(Panel_axis, "Button_axis_ok", QStringLiteral("OK"));
  Button_axis_cancel = Button(Panel_axis, "Button_axis_cancel", QStringLiteral("Cancel"));
  auto* panelButtons = new QHBoxLayout;
  panelButtons->addWidget(Button_axis_ok);
  panelButtons->addWidget(Button_axis_cancel);
  panel->addWidget(Label_axis);
  panel->addWidget(CheckBox_visible);
  panel->addWidget(CheckBox_grid);
  panel->addLayout(fields);
  panel->addLayout(panelButtons);
  panel->addStretch(1);
  Panel_axis->setFixedWidth(240);
  Panel_axis->hide();

  auto* body = new QHBoxLayout;
  body->addWidget(view_, 1);
  body->addWidget(Panel_axis);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(tools);
  layout->addLayout(body, 1);

  connect(Button_next, &QPushButton::clicked, this, [this] { NextClick(); });
  connect(Button_close, &QPushButton::clicked, this, [this] { CloseClick(); });
  connect(Button_profile, &QPushButton::clicked, this, [this] { ProfileClick(); });
  connect(SpeedButton_save, &QToolButton::clicked, this, [this] { SaveDialog(); });
  connect(SpeedButton_print, &QToolButton::clicked, this, [this] { PrintDialog(); });
  connect(SpeedButton_LeftAxis, &QToolButton::clicked, this,
          [this] { OpenAxisPanel(AxisId::Left); });
  connect(SpeedButton_bottomaxis, &QToolButton::clicked, this,
          [this] { OpenAxisPanel(AxisId::Bottom); });
  connect(SpeedButton_RightAxis, &QToolButton::clicked, this,
          [this] { OpenAxisPanel(AxisId::Right); });
  connect(Button_axis_ok, &QPushButton::clicked, this, [this] { AxisPanelOk(); });
  connect(Button_axis_cancel, &QPushButton::clicked, this, [this] { AxisPanelCancel(); });
}

QChart* TForm_drawing::chart() const {
  return view_->chart();
}

// A fresh chart each time: the old one leaves the view with all its axes and series at
// once, so nothing of the previous set can linger on the screen.
void TForm_drawing::Redraw() {
  auto* fresh = new QChart;
  FillQChart(*fresh, state_.chart());
  QChart* old = view_->chart();
  view_->setChart(fresh);
  delete old;
}

void TForm_drawing::Activate() {
  state_.Activate(session_);
  Button_next->setVisible(state_.NextVisible());
  Panel_axis->hide();
  Redraw();
  show();
  raise();
  activateWindow();
}

void TForm_drawing::NextClick() {
  state_.Next(session_);
  Redraw();
}

void TForm_drawing::CloseClick() {
  close();
}

void TForm_drawing::closeEvent(QCloseEvent* event) {
  DrawingState::Close(session_);
  Panel_axis->hide();
  event->accept();
}

void TForm_drawing::ProfileClick() {
  state_.ShowProfile(session_);
  Redraw();
}

bool TForm_drawing::SaveTo(const QString& chosen, int filterIndex) {
  return SaveChartAs(state_.chart(), chosen, filterIndex, session_.messages);
}

bool TForm_drawing::PrintTo(QPrinter& printer) {
  return PrintChart(state_.chart(), printer);
}

void TForm_drawing::SaveDialog() {
  QStringList filters;
  for (const ChartSaveFilter& f : ChartSaveFilters())
    filters << QString::fromUtf8(f.label.data(), static_cast<qsizetype>(f.label.size()));
  QFileDialog dialog(this, QStringLiteral("Save"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(filters);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const int index = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
  SaveTo(dialog.selectedFiles().constFirst(), index);
}

void TForm_drawing::PrintDialog() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  if (!PrintTo(printer)) session_.messages.Show("The chart could not be printed");
}

void TForm_drawing::OpenAxisPanel(AxisId axis) {
  panelAxis_ = axis;
  const AxisPanelFields fields = dodavev::OpenAxisPanel(state_.chart(), axis);
  Label_axis->setText(QString::fromStdString(fields.label));
  CheckBox_visible->setChecked(fields.visible);
  CheckBox_grid->setChecked(fields.grid);
  Edit_amin->setText(QString::fromStdString(fields.Edit_amin));
  Edit_amax->setText(QString::fromStdString(fields.Edit_amax));
  Edit_ainc->setText(QString::fromStdString(fields.Edit_ainc));
  Edit_Caption->setText(QString::fromStdString(fields.Edit_Caption));
  Panel_axis->show();
}

void TForm_drawing::AxisPanelOk() {
  Panel_axis->hide();
  AxisPanelFields fields;
  fields.label = Label_axis->text().toStdString();
  fields.visible = CheckBox_visible->isChecked();
  fields.grid = CheckBox_grid->isChecked();
  fields.Edit_amin = Edit_amin->text().toStdString();
  fields.Edit_amax = Edit_amax->text().toStdString();
  fields.Edit_ainc = Edit_ainc->text().toStdString();
  fields.Edit_Caption = Edit_Caption->text().toStdString();
  state_.ApplyAxis(panelAxis_, fields, session_);
  Redraw();
}

void TForm_drawing::AxisPanelCancel() {
  Panel_axis->hide();
}

TForm_drawing* ShowDrawingWindow(QWidget* parent, Session& session) {
  TForm_drawing* window = nullptr;
  if (parent != nullptr)
    window = parent->findChild<TForm_drawing*>(QString(), Qt::FindDirectChildrenOnly);
  if (window == nullptr) window = new TForm_drawing(session, parent);
  window->Activate();
  return window;
}

}  // namespace dodavev
