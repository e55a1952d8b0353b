#include "session/language.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <algorithm>
#include <functional>

#include "favorites/fav_tree.h"
#include "favorites/mb_list.h"
#include "favorites/test_files.h"
#include "formula/syntax.h"
#include "session/messages.h"
#include "session/settings.h"

namespace vortexa {
namespace {

// Translators belong to a running application; it lives as long as the test.
void EnsureApplication() {
  static int argc = 1;
  static char name[] = "language_test";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

QString Translated(const char* context, const char* text) {
  return QCoreApplication::translate(context, text);
}

bool HasJapanese(const QString& text) {
  return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x3000; });
}

TEST(Language, TheSettingOverridesTheSystemsLocale) {
  const struct {
    const char* Setting;
    const char* Locale;
    TLanguage Expected;
  } cases[] = {
      {"", "ja_JP", TLanguage::Japanese},   {"", "en_US", TLanguage::English},
      {"", "C", TLanguage::English},        {"", "de_DE", TLanguage::English},
      {"ja", "en_US", TLanguage::Japanese}, {"en", "ja_JP", TLanguage::English},
      {"fr", "ja_JP", TLanguage::Japanese}, {"fr", "en_GB", TLanguage::English},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChooseLanguage(c.Setting, QLocale(c.Locale)), c.Expected)
        << "setting \"" << c.Setting << "\", locale " << c.Locale;
}

// Qt's buttons come in the interface's language, and a new choice replaces
// the translations of the one before.
TEST(Language, TranslationsFollowTheChosenLanguage) {
  EnsureApplication();
  TSettings settings;
  EXPECT_EQ(SetInterfaceLanguage(settings, "ja"), "");
  EXPECT_EQ(settings.Language, "ja");
  EXPECT_EQ(Translated("QPlatformTheme", "Cancel"), "キャンセル");
  EXPECT_EQ(ShownFavoriteName("全景"), "全景");

  EXPECT_EQ(SetInterfaceLanguage(settings, "en"), "");
  EXPECT_EQ(settings.Language, "en");
  EXPECT_EQ(Translated("QPlatformTheme", "Cancel"), "Cancel");
  EXPECT_EQ(ShownFavoriteName("全景"), "Whole set");
  EXPECT_EQ(ShownFavoriteName("私の渦"), "私の渦");

  EXPECT_EQ(InstallTranslations(TLanguage::Japanese), "");
  EXPECT_EQ(ShownFavoriteName("全景"), "全景");
}

TEST(Language, EveryRecommendedViewHasAnEnglishName) {
  EnsureApplication();
  ASSERT_EQ(InstallTranslations(TLanguage::English), "");
  TMBList favorites;
  TFavTree tree(favorites);
  tree.LoadFile(VORTEXA_RECOMMENDED_FILE, false);  // into a folder of its name
  int names = 0;
  const std::function<void(const TFavNode&)> check = [&](const TFavNode& node) {
    for (const auto& child : node.Children()) {
      const std::string name = child->IsFolder() ? child->Text : child->Item()->Name;
      EXPECT_FALSE(HasJapanese(ShownFavoriteName(name))) << name;
      ++names;
      check(*child);
    }
  };
  check(tree.Root());
  EXPECT_EQ(names, 17);
  InstallTranslations(TLanguage::Japanese);
}

// The formula checker's messages and the names of arithmetic faults come in
// the interface's language.
TEST(Language, FormulaMessagesFollowTheChosenLanguage) {
  EnsureApplication();
  TSettings settings;
  SetInterfaceLanguage(settings, "en");
  for (const char* message : syntax_message::kAll) {
    const QString shown = SyntaxMessageText(message);
    EXPECT_FALSE(HasJapanese(shown)) << message;
    EXPECT_FALSE(shown.isEmpty()) << message;
  }
  EXPECT_EQ(ArithmeticFaultNames(FE_DIVBYZERO | FE_INVALID), "division by zero, invalid operation");
  TCalcFault other;
  other.Error = "std::bad_alloc";
  EXPECT_EQ(CalcFaultText(other), "std::bad_alloc");

  SetInterfaceLanguage(settings, "ja");
  EXPECT_EQ(SyntaxMessageText(syntax_message::kEmptyBrackets), "括弧内が空です");
  EXPECT_EQ(ArithmeticFaultNames(FE_DIVBYZERO | FE_OVERFLOW), "ゼロ除算、オーバーフロー");
}

// The arguments a text takes, sorted: a translation must take the same.
std::string Placeholders(const QString& text) {
  QStringList found;
  for (const auto& match : QRegularExpression("%\\d").globalMatch(text))
    found << match.captured();
  found.sort();
  return found.join(' ').toStdString();
}

// Each text collected for translation has its English, and the program
// holds it: a caption added without English fails here.
TEST(Language, EveryTranslatedTextHasItsEnglishInTheProgram) {
  EnsureApplication();
  ASSERT_EQ(InstallTranslations(TLanguage::English), "");
  int messages = 0;
  for (const auto& entry : std::filesystem::directory_iterator(VORTEXA_TRANSLATIONS_FOLDER)) {
    QFile file(QString::fromStdString(entry.path().string()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << entry.path();
    QXmlStreamReader xml(&file);
    QString context, source;
    while (!xml.atEnd()) {
      if (xml.readNext() != QXmlStreamReader::StartElement) continue;
      if (xml.name() == u"name") context = xml.readElementText();
      if (xml.name() == u"source") source = xml.readElementText();
      if (xml.name() != u"translation") continue;
      const QString unfinished = xml.attributes().value("type").toString();
      const QString english = xml.readElementText();
      const std::string where = (context + ": " + source).toStdString();
      ++messages;
      EXPECT_EQ(unfinished.toStdString(), "") << where;
      EXPECT_FALSE(english.isEmpty()) << where;
      EXPECT_FALSE(HasJapanese(english)) << where;
      EXPECT_EQ(Placeholders(english), Placeholders(source)) << where;
      EXPECT_EQ(QCoreApplication::translate(context.toUtf8(), source.toUtf8()).toStdString(),
                english.toStdString())
          << where;
    }
    EXPECT_FALSE(xml.hasError()) << entry.path() << ": " << xml.errorString().toStdString();
  }
  EXPECT_GT(messages, 100);
  InstallTranslations(TLanguage::Japanese);
}

// The warning about an unreadable settings file, in either language.
TEST(Language, SettingsWarningFollowsTheChosenLanguage) {
  EnsureApplication();
  test_files::TTempFolder folder;
  const std::filesystem::path file = folder / "vortexa.ini";
  const struct {
    TLanguage Language;
    std::string Expected;
  } cases[] = {
      {TLanguage::Japanese, "設定ファイル " + file.string() +
                                " を読み込めません (it is not a settings file)。元のファイルは " +
                                file.string() + ".bad として残し、初期設定で起動します。"},
      {TLanguage::English, "The settings file " + file.string() +
                               " cannot be read (it is not a settings file). It has been kept as " +
                               file.string() +
                               ".bad2, and the program starts with the default "
                               "settings."},
  };
  for (const auto& c : cases) {
    InstallTranslations(c.Language);
    test_files::WriteBytes(file, "some text that is no INI file\n");
    EXPECT_EQ(TSettingsFile(file).Warning(), c.Expected);
  }
  InstallTranslations(TLanguage::Japanese);
}

}  // namespace
}  // namespace vortexa
