// TExprsForm: the formula window. The user picks Mandelbrot or Julia
// pictures, may replace z^2 + c by a recurrence of their own, gives the
// initial value (or the Julia constant) as a formula and steers the real
// parameters a and b on a pad. The checking and binding live in
// TFormulaState; the window shows what it decides and hands the result to
// the session.
#pragma once

#include <QDialog>
#include <QImage>

#include "session/formula_state.h"
#include "session/session.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vortexa {

class TExprsForm : public QDialog {
  Q_OBJECT

 public:
  // The session is not owned and must outlive the window.
  explicit TExprsForm(TSession& session, QWidget* parent = nullptr);
  // Gives the engine the standard Mandelbrot recurrence back; nothing is redrawn.
  ~TExprsForm() override;

  // Check, evaluate, hand over, then FormulaChanged asks for a redraw.
  void ApplyFormula();

  // Handlers.
  void rbMandClick();
  void edZChange();
  void edZ0Change();
  void Button1Click();
  void GraphPaint(QPainter& painter) const;
  void GraphMouseDown(QPoint position);
  void GraphMouseMove(QPoint position);
  void GraphMouseUp();

  int PadX() const { return FPadX; }
  int PadY() const { return FPadY; }
  bool Dragging() const { return FDragging; }
  const TFormulaState& State() const { return FState; }
  const QImage& PadPicture() const { return FPadBitmap; }

  // Controls named as users and tests know them.
  QRadioButton *rbMand, *rbJulia;
  QLabel *lbExprs, *lbZnext, *lbnext, *lbInit, *lbZ0, *lb0, *Label5;
  QLineEdit *edZ, *edZ0;
  QCheckBox *cbExprs, *cbAuto;
  QPushButton *Button1, *btClose;
  QLabel *lbA, *lbAMin, *lbAVal, *lbAMax, *lbB, *lbBMin, *lbBVal, *lbBMax;
  QLineEdit *edAMin, *edAVal, *edAMax, *edBMin, *edBVal, *edBMax;
  QWidget* Graph;

 signals:
  // The engine has a new formula: the main window recomputes the picture.
  void FormulaChanged();
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Esc closes the window as 閉じる does, so the main window hears of it.
  void reject() override { close(); }

 private:
  void CreateFormulaControls();
  void CreateParameterControls();
  QLineEdit* FieldEdit(TFormulaField field) const;
  void SelectError(QLineEdit* edit, int pos);
  void UpdateParams();
  void PaintPad();
  void EndDrag();

  TSession& FSession;
  TFormulaState FState;
  int FPadX = 0;
  int FPadY = 0;
  bool FDragging = false;
  int FLastX = 0;
  int FLastY = 0;
  QImage FPadBitmap;
};

}  // namespace vortexa
