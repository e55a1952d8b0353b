// TInfoForm: the statistics window. Summary counts, the frequency table and
// histogram over a range chosen with two track bars, and a magnified view of
// the 3 × 3 dots under the mouse.
#pragma once

#include <QDialog>
#include <QImage>
#include <array>
#include <cstdint>
#include <vector>

#include "session/finished_grid.h"

class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;

namespace vortexa {

inline constexpr int kHistBins = 500;
inline constexpr int kGraphWidth = 500;
inline constexpr int kGraphHeight = 200;

// The label lines of the frequency table whose bins of binWidth counts start
// after offset. The counts take five digits, more when the range needs them.
QString FrequencyLine(int offset, int binWidth, int bin, int count);
QString OutOfRangeLine(int offset, int binWidth, int count);

// A dot of the inspector: a rounded square with an outline and a fill.
class TDotShape : public QWidget {
 public:
  explicit TDotShape(QWidget* parent);
  void SetColors(const QColor& pen, const QColor& brush);
  QColor PenColor() const { return FPen; }
  QColor BrushColor() const { return FBrush; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor FPen = Qt::black;
  QColor FBrush = Qt::black;
};

class TInfoForm : public QDialog {
  Q_OBJECT

 public:
  explicit TInfoForm(QWidget* parent = nullptr);
  ~TInfoForm() override;

  // The view must outlive the window.
  void Bind(const TFinishedGrid* grid);
  // Recomputes everything; a limit of 0 keeps the current range.
  void UpdateStats(int limit);
  // Redraws the graph only, for changed colours.
  void DrawHistogram();
  void EnableRange(bool enabled);
  // The inspector for column x, row y at the plane point (cx, cy).
  void ShowDot(int x, int y, const TDeepReal& cx, const TDeepReal& cy);
  void ClearDot();
  bool DotInspectorOn() const;

  int StatLimit() const { return FStatLimit; }
  // The count one track bar position stands for: HistStep of the limit.
  int TrackStep() const { return HistStep(FStatLimit); }
  const TCalcStats& Stats() const { return FStats; }
  const QImage& GraphBitmap() const { return FGraphBitmap; }

  // Controls named as the window's users and tests know them.
  QLabel *lbOKdotVal, *lbNGdotVal, *lbOverDotVal, *lbSkipDotVal, *lbTotalDotVal;
  QLabel *lbMinVal, *lbMaxVal;
  QListWidget* lbCount;
  QLabel *lbGraphMin, *lbGraphMid, *lbGraphMax;
  QLabel *lbEndVal, *lbStartVal;
  QSlider *tbEnd, *tbStart;
  QCheckBox* cbAuto;
  QPushButton* btDot;
  QLabel *lbDotState, *lbDot, *lbXdot, *lbYdot, *lbXVal, *lbYVal;
  QPushButton* btClose;
  // sh00, sh10, sh20, sh01, ... : row by row, shXY with X the column offset + 1.
  std::array<TDotShape*, 9> FDotShapes{};

 signals:
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Esc closes the window as 閉じる does, so the main window hears of it.
  void reject() override { close(); }

 private:
  void CreateSummary();
  void CreateFrequencyTable();
  void CreateHistogram();
  void CreateDotInspector();
  void SetRange(int limit);
  void ApplySuggestedRange();
  void FillFrequencyTable(const std::vector<std::int32_t>& bins);
  void ShowSummary();
  void ShowDotShape(TDotShape* shape, int x, int y) const;
  void ShowDotState(int x, int y);
  void tbEndChange();
  void tbStartChange();
  void btDotClick();
  int BinWidth() const;

  const TFinishedGrid* FGrid = nullptr;
  int FStatLimit = 0;
  int FEndSelection = 1;  // largest position tbEnd may take
  int FEndTag = 0;        // counts the track bars stand for
  int FStartTag = 0;
  int FMaxBinCount = 0;
  TCalcStats FStats{};
  QImage FGraphBitmap;
  QLabel* Graph = nullptr;
  std::vector<QWidget*> FInspectorParts;
};

}  // namespace vortexa
