#include "session/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vortexa {

namespace {

// Marks the translators this unit installed, so a new choice replaces them.
constexpr const char* kTranslatorName = "vortexa-translation";
// The translation of the recommended views' names.
constexpr const char* kRecommendedViewsContext = "RecommendedViews";

TLanguage LanguageInForce = TLanguage::Japanese;

void RemoveInstalledTranslators() {
  QCoreApplication* application = QCoreApplication::instance();
  for (QTranslator* translator :
       application->findChildren<QTranslator*>(kTranslatorName, Qt::FindDirectChildrenOnly)) {
    QCoreApplication::removeTranslator(translator);
    delete translator;
  }
}

// Loads file from folder and installs it; false when it cannot be loaded.
bool Install(const QString& file, const QString& folder) {
  auto* translator = new QTranslator(QCoreApplication::instance());
  translator->setObjectName(kTranslatorName);
  if (!translator->load(file, folder) || !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return false;
  }
  return true;
}

}  // namespace

TLanguage ChooseLanguage(std::string_view setting, const QLocale& system) {
  if (setting == kJapaneseSetting) return TLanguage::Japanese;
  if (setting == kEnglishSetting) return TLanguage::English;
  return system.language() == QLocale::Japanese ? TLanguage::Japanese : TLanguage::English;
}

std::string InstallTranslations(TLanguage language) {
  RemoveInstalledTranslators();
  LanguageInForce = language;
  // The source texts are Japanese, so Japanese needs only Qt's translation
  // of its dialogs, and English only the program's (Qt's texts are English).
  if (language == TLanguage::English)
    return Install("vortexa_en", ":/i18n") ? "" : "the English translation is missing";
  const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  if (Install("qt_ja", qtFolder)) return {};
  return "Qt's Japanese translation (qt_ja.qm) is missing from " + qtFolder.toStdString() +
         " (Debian package qt6-translations-l10n): Qt's dialogs show English texts";
}

TLanguage InterfaceLanguage() {
  return LanguageInForce;
}

std::string SetInterfaceLanguage(TSettings& settings, std::string_view setting) {
  settings.Language = setting;
  return InstallTranslations(ChooseLanguage(setting, QLocale::system()));
}

QString ShownFavoriteName(const std::string& name) {
  return QCoreApplication::translate(kRecommendedViewsContext, name.c_str());
}

}  // namespace vortexa
