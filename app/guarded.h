// Handlers reached from the event loop run through Guarded: an error becomes
// a message box instead of ending the program.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QWidget>
#include <exception>

namespace vortexa {

template <class THandler>
auto Guarded(QWidget* owner, THandler handler) {
  return [owner, handler] {
    try {
      handler();
    } catch (const std::exception& error) {
      QMessageBox::critical(owner, "うずまきらんど", QString::fromUtf8(error.what()));
    }
  };
}

}  // namespace vortexa
