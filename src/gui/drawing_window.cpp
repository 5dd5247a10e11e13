#include "gui/drawing_window.hpp"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QWheelEvent>

#include "app/session.hpp"
#include "charts/chart_files.hpp"
#include "gui/chart_render.hpp"
#include "gui/window_message_sink.hpp"

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

// The chart view with the mouse: a rubber band zooms into a rectangle, the wheel zooms
// about the centre, the middle button or the arrow keys pan, and the position under the
// mouse goes to the read-out.
class InteractiveChartView final : public QChartView {
 public:
  InteractiveChartView(QChart* chart, TForm_drawing* window)
      : QChartView(chart, window), window_(window) {
    setRubberBand(QChartView::RectangleRubberBand);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
  }

 protected:
  void wheelEvent(QWheelEvent* event) override {
    const int steps = event->angleDelta().y();
    if (steps == 0) return;
    chart()->zoom(steps > 0 ? 1.25 : 0.8);
    event->accept();
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::MiddleButton) {
      panFrom_ = event->position();
      panning_ = true;
      event->accept();
      return;
    }
    QChartView::mousePressEvent(event);
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (panning_) {
      const QPointF d = event->position() - panFrom_;
      chart()->scroll(-d.x(), d.y());
      panFrom_ = event->position();
    }
    window_->ShowCursorValues(event->position());
    QChartView::mouseMoveEvent(event);
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::MiddleButton) {
      panning_ = false;
      event->accept();
      return;
    }
    QChartView::mouseReleaseEvent(event);
  }
  void keyPressEvent(QKeyEvent* event) override {
    const qreal step = 20.0;
    switch (event->key()) {
      case Qt::Key_Left:
        chart()->scroll(-step, 0);
        break;
      case Qt::Key_Right:
        chart()->scroll(step, 0);
        break;
      case Qt::Key_Up:
        chart()->scroll(0, step);
        break;
      case Qt::Key_Down:
        chart()->scroll(0, -step);
        break;
      default:
        QChartView::keyPressEvent(event);
        return;
    }
    event->accept();
  }

 private:
  TForm_drawing* window_;
  QPointF panFrom_;
  bool panning_ = false;
};

QValueAxis* AxisAt(QChart* chart, Qt::Alignment alignment) {
  for (QAbstractAxis* axis : chart->axes()) {
    if (axis->alignment() == alignment && axis->isVisible()) return qobject_cast<QValueAxis*>(axis);
  }
  return nullptr;
}

}  // namespace

TForm_drawing::TForm_drawing(Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session) {
  setObjectName(QStringLiteral("TForm_drawing"));
  setWindowTitle(QStringLiteral("Drawing"));
  BuildControls();
  resize(960, 680);
}

// The first showing: a size that fits the screen of the main window, centred on it.
void TForm_drawing::FitToScreen() {
  const QWidget* owner = parentWidget();
  const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect available = screen->availableGeometry();
  const QSize size(std::min(960, available.width() * 9 / 10),
                   std::min(680, available.height() * 9 / 10));
  resize(size);
  move(available.center() - QPoint(size.width() / 2, size.height() / 2));
  placed_ = true;
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
  SpeedButton_zoomreset = SpeedButton(
      this, "SpeedButton_zoomreset", QStringLiteral("Reset zoom"),
      QStringLiteral("Back to the ranges of the chart (drag a rectangle or turn the wheel to "
                     "zoom, the middle button or the arrow keys to pan)"));
  Button_close = Button(this, "Button_close", QStringLiteral("Close"));
  for (QWidget* w : std::initializer_list<QWidget*>{
           SpeedButton_save, SpeedButton_print, SpeedButton_LeftAxis, SpeedButton_bottomaxis,
           SpeedButton_RightAxis, SpeedButton_zoomreset, Button_profile, Button_next})
    tools->addWidget(w);
  tools->addStretch(1);
  tools->addWidget(Button_close);

  view_ = new InteractiveChartView(new QChart, this);
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
  Label_cursor = new QLabel(this);
  Label_cursor->setObjectName(QStringLiteral("Label_cursor"));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(tools);
  layout->addLayout(body, 1);
  layout->addWidget(Label_cursor);

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
  connect(SpeedButton_zoomreset, &QToolButton::clicked, this, [this] { ResetZoom(); });
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
  Label_cursor->clear();  // the read-out was of the chart just replaced
}

void TForm_drawing::Activate() {
  state_.Activate(session_);
  Button_next->setVisible(state_.NextVisible());
  Panel_axis->hide();
  Redraw();
  if (!placed_) FitToScreen();
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
  const MessageWindowScope scope(messageSink_, this);
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
  const MessageWindowScope scope(messageSink_, this);
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
  AxisPanelFields fields;
  fields.label = Label_axis->text().toStdString();
  fields.visible = CheckBox_visible->isChecked();
  fields.grid = CheckBox_grid->isChecked();
  fields.Edit_amin = Edit_amin->text().toStdString();
  fields.Edit_amax = Edit_amax->text().toStdString();
  fields.Edit_ainc = Edit_ainc->text().toStdString();
  fields.Edit_Caption = Edit_Caption->text().toStdString();
  const MessageWindowScope scope(messageSink_, this);
  state_.ApplyAxis(panelAxis_, fields, session_);
  Redraw();
  // After a message the panel stays open with what was typed, to be corrected.
  if (!scope.anyShown()) Panel_axis->hide();
}

void TForm_drawing::ResetZoom() {
  Redraw();
}

void TForm_drawing::ShowCursorValues(const QPointF& viewPosition) {
  QChart* c = chart();
  const QPointF scene = view_->mapToScene(viewPosition.toPoint());
  const QPointF inChart = c->mapFromScene(scene);
  if (!c->plotArea().contains(inChart)) {
    Label_cursor->clear();
    return;
  }
  const QRectF area = c->plotArea();
  // Each visible axis at the mouse, as the axis is drawn (reversed axes too).
  const auto valueAt = [&](const QValueAxis* axis, bool horizontal) {
    double f = horizontal ? (inChart.x() - area.left()) / area.width()
                          : (area.bottom() - inChart.y()) / area.height();
    if (axis->isReverse()) f = 1.0 - f;
    return axis->min() + f * (axis->max() - axis->min());
  };
  QStringList parts;
  const auto add = [&](Qt::Alignment alignment, bool horizontal) {
    if (const QValueAxis* axis = AxisAt(c, alignment)) {
      const QString title = axis->titleText().trimmed();
      parts << QStringLiteral("%1 = %2")
                   .arg(title.isEmpty() ? (horizontal ? QStringLiteral("x") : QStringLiteral("y"))
                                        : title)
                   .arg(valueAt(axis, horizontal), 0, 'g', 6);
    }
  };
  add(Qt::AlignBottom, true);
  add(Qt::AlignTop, true);
  add(Qt::AlignLeft, false);
  add(Qt::AlignRight, false);
  Label_cursor->setText(parts.join(QStringLiteral("    ")));
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
