// The interface language. The program's texts are written in Japanese; the
// English interface comes from the translation built into the program, and
// Qt's own dialogs (file, print, message buttons) follow the same language.
#pragma once

#include <QLocale>
#include <QString>
#include <array>
#include <string>
#include <string_view>

#include "session/settings.h"

namespace vortexa {

enum class TLanguage { Japanese, English };

// Values of the "Language" setting; any other value, the empty one included,
// leaves the choice to the system's locale.
inline constexpr std::string_view kJapaneseSetting = "ja";
inline constexpr std::string_view kEnglishSetting = "en";
// The choices of the options menu in its order: the system's, then each language.
inline constexpr std::array<std::string_view, 3> kLanguageChoices = {"", kJapaneseSetting,
                                                                     kEnglishSetting};

// The language the setting names, or else Japanese on a Japanese system and
// English on any other.
TLanguage ChooseLanguage(std::string_view setting, const QLocale& system);

// Puts the translations of language in force for the running application,
// in place of the ones put in force before. Returns a warning when one is
// missing (those texts then stay in their source language), else empty.
std::string InstallTranslations(TLanguage language);

// The language last put in force; Japanese before any.
TLanguage InterfaceLanguage();

// The options menu's choice ("ja", "en", or empty for the system's): kept in
// the settings for the next start and in force at once. Returns the warning
// of InstallTranslations.
std::string SetInterfaceLanguage(TSettings& settings, std::string_view setting);

// The name of a favourite as the interface shows it: the recommended views
// shipped in osusume.fav keep their Japanese names in every file and show
// English names in the English interface; other names show as written.
QString ShownFavoriteName(const std::string& name);

}  // namespace vortexa
