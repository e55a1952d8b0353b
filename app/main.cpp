// vortexa: the explorer's window.
#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "app/draw_form.h"
#include "engine/team_size.h"
#include "favorites/fav_files.h"

int main(int argc, char** argv) {
  using namespace vortexa;
  const auto start = std::chrono::steady_clock::now();
  try {
    FixedTeamSizeFromEnvironment();  // refused before the window opens
  } catch (const std::invalid_argument& error) {
    std::fprintf(stderr, "vortexa: %s\n", error.what());
    return 2;
  }
  QApplication application(argc, argv);
  application.setWindowIcon(QIcon(":/icons/vortexa-256.png"));
  const QStringList arguments = QCoreApplication::arguments();
  // "--debug" too, as Linux users spell switches.
  const bool debug =
      arguments.size() > 1 && (arguments[1] == "/debug" || arguments[1] == "--debug");
  TDrawForm form(debug, {OwnFavoritesFile(), FindRecommendedFile(RecommendedFileFolders())});
  form.LoadSettings(ConfigFolder() / kSettingsFileName);

  // For measuring start-up: report the time to the first finished picture and quit.
  if (std::getenv("VORTEXA_QUIT_AFTER_FIRST_PICTURE")) {
    QObject::connect(&form, &TDrawForm::DrawingEnded, &application, [&] {
      const auto elapsed = std::chrono::steady_clock::now() - start;
      std::printf("first picture after %lld ms\n",
                  static_cast<long long>(
                      std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
      std::fflush(stdout);
      QTimer::singleShot(0, &form, &QWidget::close);
    });
  }
  form.show();
  return application.exec();
}
