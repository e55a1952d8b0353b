// The radio submenus the settings file keeps by position: how many positions
// each has and where it starts. The session, the tours and the settings read
// them from here, so a submenu and its stored value cannot disagree.
#pragma once

namespace vortexa {

// 拡大 / 縮小率: ×2, ×4, ×8, ×16 per wheel notch.
inline constexpr int kMagnifyRatioPositions = 4;
inline constexpr int kDefaultMagnifyRatio = 1;
// スクロール量: a quarter, half or whole picture.
inline constexpr int kMoveRatioPositions = 3;
// ツアー速度: 低速, 中速, 高速, 最高速.
inline constexpr int kTourSpeedPositions = 4;
inline constexpr int kDefaultTourSpeed = 1;
// ツアー到着音: the sound file, or off.
inline constexpr int kTourSoundPositions = 2;
inline constexpr int kTourSoundOff = 1;
// JPEG quality: 80, 90, 100.
inline constexpr int kJpegQualityPositions = 3;

}  // namespace vortexa
