// Plain widgets the main window is built from: the status bar with its four
// panels, the image area and the palette strip; and the wheel of the window.
#pragma once

#include <QObject>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>

class QWheelEvent;

namespace vortexa {

class TStatusPanels : public QWidget {
 public:
  static constexpr int kPanelCount = 4;
  using TDrawPanel = std::function<void(QPainter& painter, const QRect& rect)>;

  explicit TStatusPanels(QWidget* parent);
  // Panel 0 is drawn by its owner.
  void SetOwnerDraw(TDrawPanel draw) { FDrawPanel = std::move(draw); }
  void SetText(int panel, const QString& text);
  QString Text(int panel) const { return FTexts[panel]; }
  QRect PanelRect(int panel) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::array<QString, kPanelCount> FTexts;
  TDrawPanel FDrawPanel;
};

// Shows the window's picture surface; the window watches its mouse events.
class TImageArea : public QWidget {
 public:
  TImageArea(QWidget* parent, const QImage& surface);
  // The window pixels the surface covers; its dots are spread over them
  // exactly, one dot a device pixel when the surface has the device size.
  void SetSurfaceExtent(QSize extent) { FExtent = extent; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const QImage& FSurface;
  QSize FExtent;
};

// The palette strip: one column per pixel, entry Round(x × 1023 / (width − 1)).
class TColorStrip : public QWidget {
 public:
  // colorAt gives the colour of column x of a strip `width` pixels wide.
  using TColorAt = std::function<QColor(int x, int width)>;
  TColorStrip(QWidget* parent, TColorAt colorAt);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TColorAt FColorAt;
};

// Smooth-scrolling wheels and touchpads send parts of a notch (120 units of
// angle): the parts add up, and each whole notch is one step. Turning the
// other way starts afresh.
class TWheelNotches {
 public:
  static constexpr int kNotch = 120;
  // The whole notches, signed, that delta completes.
  int Add(int delta);

 private:
  int FRest = 0;
};

// Hands the vertical wheel over any control of a window to `turned`, whole
// notches at a time, before the control can use it: the wheel acts alike
// wherever the pointer is in the window. Popups and other windows keep theirs.
class TWindowWheel : public QObject {
 public:
  using TTurned = std::function<void(int notches, const QWheelEvent& wheel)>;
  // Owned by window; watches the application's events.
  TWindowWheel(QWidget* window, TTurned turned);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* FWindow;
  TTurned FTurned;
  TWheelNotches FNotches;
};

}  // namespace vortexa
