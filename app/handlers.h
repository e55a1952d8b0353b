// Helpers the windows share for their controls' hints and event handlers.
#pragma once

#include <QCoreApplication>
#include <QMessageBox>
#include <QString>
#include <QWidget>
#include <exception>

namespace vortexa {

// A hint is the short text for the tool tip, "|", and the long text for the status bar.
inline void SetHint(QWidget* widget, const QString& hint) {
  const auto bar = hint.indexOf('|');
  widget->setToolTip(bar < 0 ? hint : hint.left(bar));
  widget->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

// Runs a handler reached from the event loop; an error becomes a message box
// instead of ending the program.
template <class THandler>
auto Guarded(QWidget* owner, THandler handler) {
  return [owner, handler] {
    try {
      handler();
    } catch (const std::exception& error) {
      QMessageBox::critical(owner, QCoreApplication::translate("Messages", "うずまきらんど"),
                            QString::fromUtf8(error.what()));
    }
  };
}

}  // namespace vortexa
