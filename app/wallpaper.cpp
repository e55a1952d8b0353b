#include "wallpaper.h"

#include <pwd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <stdexcept>

namespace vortexa {

namespace {

constexpr int kMaxLoginLength = 100;
constexpr int kCommandTimeoutMs = 10000;

std::runtime_error Failure(const QString& message) {
  return std::runtime_error(message.toStdString());
}

QString LoginName() {
  const passwd* entry = getpwuid(geteuid());
  const QString name =
      entry ? QString::fromLocal8Bit(entry->pw_name) : qEnvironmentVariable("USER");
  return name.left(kMaxLoginLength);
}

// Runs a program and returns its output; a failure to start or an exit
// status other than 0 throws with the program's own message.
QByteArray Run(const QStringList& command) {
  QProcess process;
  process.start(command.front(), command.mid(1));
  if (!process.waitForFinished(kCommandTimeoutMs) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0)
    throw Failure(QCoreApplication::translate("Wallpaper", "壁紙を設定できませんでした: %1\n%2\n%3")
                      .arg(command.join(' '), process.errorString(),
                           QString::fromLocal8Bit(process.readAllStandardError())));
  return process.readAllStandardOutput();
}

QStringList Gsettings(const QString& schema, const QString& key, const QString& value) {
  return {"gsettings", "set", schema, key, value};
}

}  // namespace

QString WallpaperFile() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  return QDir(folder).filePath("vortexa/Vortexa_" + LoginName() + ".png");
}

TDesktop DesktopFromName(const QString& currentDesktop) {
  for (const QString& name : currentDesktop.toUpper().split(':', Qt::SkipEmptyParts)) {
    if (name == "GNOME" || name == "UNITY" || name == "BUDGIE" || name == "PANTHEON" ||
        name == "GNOME-CLASSIC" || name == "GNOME-FLASHBACK")
      return TDesktop::Gnome;
    if (name == "X-CINNAMON" || name == "CINNAMON") return TDesktop::Cinnamon;
    if (name == "MATE") return TDesktop::Mate;
    if (name == "KDE") return TDesktop::Plasma;
    if (name == "XFCE") return TDesktop::Xfce;
  }
  return TDesktop::Unsupported;
}

TDesktop RunningDesktop() {
  return DesktopFromName(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
}

std::vector<QStringList> WallpaperCommands(TDesktop desktop, const QString& file,
                                           const QStringList& xfceProperties) {
  const QString uri = QString::fromUtf8(QUrl::fromLocalFile(file).toEncoded());
  switch (desktop) {
    case TDesktop::Gnome:
      return {Gsettings("org.gnome.desktop.background", "picture-uri", uri),
              Gsettings("org.gnome.desktop.background", "picture-uri-dark", uri),
              Gsettings("org.gnome.desktop.background", "picture-options", "zoom")};
    case TDesktop::Cinnamon:
      return {Gsettings("org.cinnamon.desktop.background", "picture-uri", uri)};
    case TDesktop::Mate:
      return {Gsettings("org.mate.background", "picture-filename", file)};
    case TDesktop::Plasma:
      return {{"plasma-apply-wallpaperimage", file}};
    case TDesktop::Xfce: {
      std::vector<QStringList> commands;
      for (const QString& property : xfceProperties)
        if (property.endsWith("/last-image"))
          commands.push_back({"xfconf-query", "-c", "xfce4-desktop", "-p", property, "-s", file});
      return commands;
    }
    case TDesktop::Unsupported:
      break;
  }
  return {};
}

void ApplyWallpaper(TDesktop desktop, const QString& file) {
  if (desktop == TDesktop::Unsupported)
    throw Failure(QCoreApplication::translate(
        "Wallpaper", "このデスクトップの壁紙の設定には対応していません。"));
  QStringList xfceProperties;
  if (desktop == TDesktop::Xfce)
    xfceProperties = QString::fromUtf8(Run({"xfconf-query", "-c", "xfce4-desktop", "-l"}))
                         .split('\n', Qt::SkipEmptyParts);
  const std::vector<QStringList> commands = WallpaperCommands(desktop, file, xfceProperties);
  if (commands.empty())
    throw Failure(
        QCoreApplication::translate("Wallpaper", "壁紙を設定するモニターが見つかりませんでした。"));
  for (const QStringList& command : commands)
    Run(command);
}

}  // namespace vortexa
