// The desktop wallpaper on Linux: the file the picture goes to, and how the
// running desktop is asked to show it.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace vortexa {

// "Vortexa_" + login name (at most 100 characters) + ".png" in the per-user
// data folder ($XDG_DATA_HOME/vortexa, by default ~/.local/share/vortexa).
QString WallpaperFile();

enum class TDesktop { Gnome, Cinnamon, Mate, Plasma, Xfce, Unsupported };

// The desktop named by XDG_CURRENT_DESKTOP (a colon-separated list).
TDesktop DesktopFromName(const QString& currentDesktop);
TDesktop RunningDesktop();

// The programs and arguments that make the desktop show `file`; XFCE's take
// the monitors' properties that `xfconf-query -c xfce4-desktop -l` lists.
std::vector<QStringList> WallpaperCommands(TDesktop desktop, const QString& file,
                                           const QStringList& xfceProperties = {});

// Runs the commands for the running desktop; throws std::runtime_error when
// one fails. Unsupported desktops are refused before anything is written.
void ApplyWallpaper(TDesktop desktop, const QString& file);

}  // namespace vortexa
