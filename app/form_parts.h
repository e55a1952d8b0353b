// Plain widgets the main window is built from: the status bar with its four
// panels, the image area and the palette strip.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>

#include "render/palette.h"

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
  TColorStrip(QWidget* parent, const TPalette& palette);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const TPalette& FPalette;
};

}  // namespace vortexa
