// TSizeForm: asks for the width and height of a picture to put out, with a
// menu of preset sizes.
#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;

namespace vortexa {

inline constexpr int kMinOutputSize = 10;
inline constexpr int kMaxOutputSize = 9999;

class TSizeForm : public QDialog {
  Q_OBJECT

 public:
  explicit TSizeForm(QWidget* parent);

  // Fills the edits and builds the presets: the current size, the screen's,
  // and the image-size items of `sizeMenu` above the separator that ends them.
  void Prepare(int width, int height, int curWidth, int curHeight, const QMenu* sizeMenu);
  int ChosenWidth() const;
  int ChosenHeight() const;

  void sbListClick();
  void mnOrigClick(int tag);
  void btOKClick();

  QLineEdit *edWidth, *edHeight;
  QToolButton* sbList;
  QPushButton *btOK, *btCancel;
  QMenu* PopupMenu;
  QAction *mnOrig, *mnScreen;
  // Shows the refusal of an out-of-range size; tests catch it.
  std::function<void(const QString& message)> ShowMessage;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// Whether a typed character may enter a size edit: digits, backspace and the
// control codes of copy, paste, cut and undo.
bool SizeCharAccepted(char32_t code);

}  // namespace vortexa
