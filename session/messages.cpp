#include "session/messages.h"

#include <QCoreApplication>
#include <QStringList>

namespace vortexa {

namespace {

constexpr const char* kContext = "Messages";

QString Translated(const char* text) {
  return QCoreApplication::translate(kContext, text);
}

}  // namespace

QString SyntaxMessageText(const std::string& message) {
  return Translated(message.c_str());
}

QString ArithmeticFaultNames(int flags) {
  const struct {
    int Flag;
    const char* Name;
  } faults[] = {{FE_DIVBYZERO, QT_TRANSLATE_NOOP("Messages", "ゼロ除算")},
                {FE_OVERFLOW, QT_TRANSLATE_NOOP("Messages", "オーバーフロー")},
                {FE_INVALID, QT_TRANSLATE_NOOP("Messages", "不正な演算")}};
  QStringList names;
  for (const auto& fault : faults)
    if (flags & fault.Flag) names << Translated(fault.Name);
  return names.join(Translated(QT_TRANSLATE_NOOP("Messages", "、")));
}

QString CalcFaultText(const TCalcFault& fault) {
  if (fault.ArithmeticFlags) return ArithmeticFaultNames(fault.ArithmeticFlags);
  return QString::fromStdString(fault.Error);
}

}  // namespace vortexa
