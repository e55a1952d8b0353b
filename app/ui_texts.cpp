#include "app/ui_texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTreeWidget>
#include <algorithm>
#include <functional>

namespace vortexa {

namespace {

// Calls shown(text) for each text the widget itself shows.
void ForEachText(const QWidget& widget, const std::function<void(const QString&)>& shown) {
  shown(widget.windowTitle());
  shown(widget.toolTip());
  shown(widget.statusTip());
  shown(widget.whatsThis());
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) shown(label->text());
  if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) shown(button->text());
  if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) shown(group->title());
  if (const auto* edit = qobject_cast<const QLineEdit*>(&widget)) shown(edit->placeholderText());
  if (const auto* menu = qobject_cast<const QMenu*>(&widget)) shown(menu->title());
  if (const auto* combo = qobject_cast<const QComboBox*>(&widget))
    for (int i = 0; i < combo->count(); ++i)
      shown(combo->itemText(i));
  if (const auto* list = qobject_cast<const QListWidget*>(&widget))
    for (int i = 0; i < list->count(); ++i)
      shown(list->item(i)->text());
  if (const auto* tree = qobject_cast<const QTreeWidget*>(&widget))
    if (const QTreeWidgetItem* header = tree->headerItem())
      for (int i = 0; i < header->columnCount(); ++i)
        shown(header->text(i));
  for (const QAction* action : widget.actions()) {
    shown(action->text());
    shown(action->iconText());
    shown(action->toolTip());
    shown(action->statusTip());
    if (const QMenu* submenu = action->menu()) shown(submenu->title());
  }
}

}  // namespace

bool HasJapanese(const QString& text) {
  return std::any_of(text.begin(), text.end(), [](QChar c) {
    const char16_t code = c.unicode();
    return (code >= 0x3000 && code <= 0x30FF) ||  // punctuation, kana
           (code >= 0x3400 && code <= 0x9FFF) ||  // ideographs
           (code >= 0xF900 && code <= 0xFAFF) ||  // compatibility ideographs
           (code >= 0xFF00 && code <= 0xFFEF);    // full-width forms
  });
}

QStringList JapaneseTexts(const QWidget* root) {
  QList<const QWidget*> widgets{root};
  for (const QWidget* child : root->findChildren<QWidget*>())
    widgets << child;
  // Menus reached through actions need not be children of the window.
  for (qsizetype i = 0; i < widgets.size(); ++i)
    for (const QAction* action : widgets[i]->actions())
      if (const QMenu* menu = action->menu(); menu && !widgets.contains(menu)) widgets << menu;
  QStringList found;
  for (const QWidget* widget : widgets)
    ForEachText(*widget, [&](const QString& text) {
      if (HasJapanese(text))
        found << QString("%1 %2: %3")
                     .arg(widget->metaObject()->className(), widget->objectName(), text);
    });
  found.removeDuplicates();
  return found;
}

}  // namespace vortexa
