// The window's small pictures, drawn in code.
#pragma once

#include <QImage>

namespace vortexa {

// 8 × 12 kernel indicators: extended precision (grey "F"), single lanes
// (green "S"), double lanes (blue "D").
QImage KernelGlyph(int kernel);
// 9 × 17 slice of the progress bar, stretched over its width.
QImage BarGlyph();
// 16 × 16 folder.
QImage FolderGlyph();

}  // namespace vortexa
