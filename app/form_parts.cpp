#include "form_parts.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace vortexa {

namespace {

constexpr std::array<int, TStatusPanels::kPanelCount - 1> kPanelWidths = {100, 75, 80};
constexpr std::array<Qt::Alignment, TStatusPanels::kPanelCount> kPanelAlignments = {
    Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignLeft};

}  // namespace

TStatusPanels::TStatusPanels(QWidget* parent) : QWidget(parent) {
  setFixedHeight(20);
}

void TStatusPanels::SetText(int panel, const QString& text) {
  if (FTexts[panel] == text) return;
  FTexts[panel] = text;
  update(PanelRect(panel));
}

QRect TStatusPanels::PanelRect(int panel) const {
  int left = 0;
  for (int i = 0; i < panel; ++i)
    left += kPanelWidths[i] + 2;
  const int width = panel < kPanelCount - 1 ? kPanelWidths[panel] : this->width() - left;
  return QRect(left, 1, width, height() - 2);
}

void TStatusPanels::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().button());
  for (int panel = 0; panel < kPanelCount; ++panel) {
    const QRect area = PanelRect(panel);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    if (panel == 0 && FDrawPanel) {
      painter.save();
      FDrawPanel(painter, area.adjusted(1, 1, -1, -1));
      painter.restore();
      continue;
    }
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(area.adjusted(3, 0, -3, 0), kPanelAlignments[panel] | Qt::AlignVCenter,
                     FTexts[panel]);
  }
}

TImageArea::TImageArea(QWidget* parent, const QImage& surface)
    : QWidget(parent), FSurface(surface) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TImageArea::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), Qt::black);
  painter.drawImage(QRect(QPoint(0, 0), FExtent), FSurface);
}

TColorStrip::TColorStrip(QWidget* parent, TColorAt colorAt)
    : QWidget(parent), FColorAt(std::move(colorAt)) {}

void TColorStrip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  for (int x = 0; x < width(); ++x) {
    painter.setPen(FColorAt(x, width()));
    painter.drawLine(x, 0, x, height() - 1);
  }
}

int TWheelNotches::Add(int delta) {
  if ((delta > 0 && FRest < 0) || (delta < 0 && FRest > 0)) FRest = 0;
  FRest += delta;
  const int notches = FRest / kNotch;
  FRest -= notches * kNotch;
  return notches;
}

TWindowWheel::TWindowWheel(QWidget* window, TTurned turned)
    : QObject(window), FWindow(window), FTurned(std::move(turned)) {
  QCoreApplication::instance()->installEventFilter(this);
}

bool TWindowWheel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Wheel) return false;
  const auto* widget = qobject_cast<const QWidget*>(watched);
  if (!widget || widget->window() != FWindow) return false;
  const auto& wheel = static_cast<const QWheelEvent&>(*event);
  if (const int notches = FNotches.Add(wheel.angleDelta().y())) FTurned(notches, wheel);
  return true;
}

}  // namespace vortexa
