// Window pixels and device pixels: on a scaled screen (HiDPI) a window pixel
// covers ratio × ratio device pixels, and the picture is computed at device
// pixels so that every dot has a pixel of its own.
#pragma once

#include <QPoint>
#include <QPointF>
#include <QSize>

class QScreen;

namespace vortexa {

// Window pixels to device pixels at a screen's scale `ratio`. Sizes and
// offsets round to the nearest pixel, halves up as the window system rounds
// the window's own size; a position becomes the device pixel that holds it.
QSize DeviceSize(QSize logical, double ratio);
int DevicePixels(int logical, double ratio);
QPoint DevicePoint(QPointF logical, double ratio);
// The window pixels whose device size is nearest to `device`.
QSize LogicalSize(QSize device, double ratio);
// The whole screen in device pixels, as a picture that fills it needs.
QSize ScreenDeviceSize(const QScreen& screen);

}  // namespace vortexa
