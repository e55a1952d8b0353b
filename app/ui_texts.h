// For the tests of the English interface: the visible texts of a window that
// are still Japanese.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace vortexa {

// Kana, CJK punctuation and ideographs, and full-width forms.
bool HasJapanese(const QString& text);

// Every text of root and the widgets, actions and menus below it (captions,
// window titles, tips, combo and list entries, tree headers) that holds
// Japanese, each as "Class objectName: text". Hidden widgets count, since
// another mode of the window shows them.
QStringList JapaneseTexts(const QWidget* root);

}  // namespace vortexa
