#include "device_pixels.h"

#include <QScreen>
#include <cmath>

namespace vortexa {

int DevicePixels(int logical, double ratio) {
  return static_cast<int>(std::lround(logical * ratio));
}

QSize DeviceSize(QSize logical, double ratio) {
  return {DevicePixels(logical.width(), ratio), DevicePixels(logical.height(), ratio)};
}

QPoint DevicePoint(QPointF logical, double ratio) {
  return {static_cast<int>(std::floor(logical.x() * ratio)),
          static_cast<int>(std::floor(logical.y() * ratio))};
}

QSize LogicalSize(QSize device, double ratio) {
  return {static_cast<int>(std::lround(device.width() / ratio)),
          static_cast<int>(std::lround(device.height() / ratio))};
}

QSize ScreenDeviceSize(const QScreen& screen) {
  return DeviceSize(screen.size(), screen.devicePixelRatio());
}

}  // namespace vortexa
