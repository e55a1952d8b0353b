// The window's small pictures, drawn in code.
#pragma once

#include <QImage>

namespace vortexa {

// 8 × 12 kernel indicators: extended precision (grey "F"), single lanes
// (green "S"), double lanes (blue "D"), deep family (purple "P").
QImage KernelGlyph(int kernel);
// 9 × 17 slice of the progress bar, stretched over its width.
QImage BarGlyph();
// 16 × 16 folder.
QImage FolderGlyph();
// 16 × 16 open folder, for the selected folder of a tree.
QImage OpenFolderGlyph();
// 16 × 16 favourite: a small picture of a spiral on a page.
QImage FavoriteGlyph();
// The favourite with the random-tour mark (a green arrow) in its corner.
QImage TourFavoriteGlyph();
// 16 × 16 tree toggle: a small tree of nodes.
QImage TreeToggleGlyph();
// 12 × 12 arrow to the right, the tour button's picture.
QImage ArrowRightGlyph();

}  // namespace vortexa
