// vortexa: the explorer's window.
#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "app/draw_form.h"
#include "favorites/fav_files.h"
#include "session/engine_environment.h"
#include "session/language.h"

namespace {

constexpr const char* kUsage =
    "usage: vortexa [/debug | --debug]\n"
    "       vortexa --version | --help\n";

// --version and --help answer without opening the window; true when one did.
bool AnsweredInformationOption(int argc, char** argv) {
  if (argc != 2) return false;
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("vortexa %s\n", VORTEXA_VERSION);
    return true;
  }
  if (std::strcmp(argv[1], "--help") == 0) {
    std::printf("%s", kUsage);
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vortexa;
  const auto start = std::chrono::steady_clock::now();
  if (AnsweredInformationOption(argc, argv)) return 0;
  try {
    ReadEngineEnvironment();  // refused before the window opens
  } catch (const std::invalid_argument& error) {
    std::fprintf(stderr, "vortexa: %s\n", error.what());
    return 2;
  }
  QApplication application(argc, argv);
  application.setWindowIcon(QIcon(":/icons/vortexa-256.png"));
  const std::filesystem::path settingsFile = ConfigFolder() / kSettingsFileName;
  const std::string warning =
      InstallTranslations(ChooseLanguage(ReadLanguageSetting(settingsFile), QLocale::system()));
  if (!warning.empty()) std::fprintf(stderr, "vortexa: %s\n", warning.c_str());
  const QStringList arguments = QCoreApplication::arguments();
  // "--debug" too, as Linux users spell switches.
  const bool debug =
      arguments.size() > 1 && (arguments[1] == "/debug" || arguments[1] == "--debug");
  TDrawForm form(debug, {OwnFavoritesFile(), FindRecommendedFile(RecommendedFileFolders())});
  form.LoadSettings(settingsFile);

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
