// The drawing window (caption "Drawing"): the charts of the last calculation, "Next"
// through its chart sets, the axis panel, "Profile", "Save", "Print" and "Close". It draws
// the chart model of src/charts and holds no physics.
#pragma once

#include <QString>
#include <QWidget>

#include "charts/drawing_state.hpp"

class QChart;
class QCloseEvent;
class QChartView;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QPointF;
class QToolButton;

namespace dodavev {

struct Session;
class WindowMessageSink;

class TForm_drawing : public QWidget {
  Q_OBJECT

 public:
  // The window belongs to `parent` (a separate top-level window) and reads `session`,
  // which must outlive it. It starts hidden.
  explicit TForm_drawing(Session& session, QWidget* parent = nullptr);
  ~TForm_drawing() override;

  // Window shown: rebuilds the chart from the last results with the first chart set,
  // shows "Next" only when the calculation has more than one set, and shows the window.
  void Activate();

  // The button actions, also for callers without a click.
  void NextClick();
  void CloseClick();
  void ProfileClick();
  // The save action after the dialog: `chosen` with the filter chosen (index into
  // ChartSaveFilters()). Returns whether a file was written.
  bool SaveTo(const QString& chosen, int filterIndex);
  // The print action after the dialog.
  bool PrintTo(QPrinter& printer);
  // The axis panel: opened for an axis, then "OK" or "Cancel".
  void OpenAxisPanel(AxisId axis);
  void AxisPanelOk();
  void AxisPanelCancel();
  // The chart at the ranges the builder gave it, after any zoom or pan.
  void ResetZoom();
  // The cursor read-out for a position in the chart view's coordinates.
  void ShowCursorValues(const QPointF& viewPosition);

  // The boxes of the window's actions belong to it (and not to the main window) when the
  // session's messages go to `sink`.
  void SetMessageSink(WindowMessageSink* sink) { messageSink_ = sink; }

  const DrawingState& state() const { return state_; }
  QChart* chart() const;

  // Controls, named as on the form.
  QPushButton* Button_next = nullptr;
  QPushButton* Button_close = nullptr;
  QPushButton* Button_profile = nullptr;
  QToolButton* SpeedButton_save = nullptr;
  QToolButton* SpeedButton_print = nullptr;
  QToolButton* SpeedButton_LeftAxis = nullptr;
  QToolButton* SpeedButton_bottomaxis = nullptr;
  QToolButton* SpeedButton_RightAxis = nullptr;
  QGroupBox* Panel_axis = nullptr;
  QLabel* Label_axis = nullptr;
  QCheckBox* CheckBox_visible = nullptr;
  QCheckBox* CheckBox_grid = nullptr;
  QLineEdit* Edit_amin = nullptr;
  QLineEdit* Edit_amax = nullptr;
  QLineEdit* Edit_ainc = nullptr;
  QLineEdit* Edit_Caption = nullptr;
  QPushButton* Button_axis_ok = nullptr;
  QPushButton* Button_axis_cancel = nullptr;
  QToolButton* SpeedButton_zoomreset = nullptr;
  QLabel* Label_cursor = nullptr;  // x and y under the mouse

 protected:
  // Closing the window by its frame does what "Close" does.
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void Redraw();
  void SaveDialog();
  void PrintDialog();
  void FitToScreen();

  Session& session_;
  DrawingState state_;
  AxisId panelAxis_ = AxisId::Left;
  QChartView* view_ = nullptr;
  WindowMessageSink* messageSink_ = nullptr;
  bool placed_ = false;  // given a size and place on its screen
};

// Shows the drawing window of `parent` on the results of the last calculation: created
// the first time (owned by `parent`; with no parent the caller owns it), reused after.
TForm_drawing* ShowDrawingWindow(QWidget* parent, Session& session);

}  // namespace dodavev
