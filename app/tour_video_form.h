// The dialog of the "save tour as video" command: the file, the video's
// size and frame rate, its length (or until the tour arrives) and where the
// tour goes, a favourite or the random tour, as the tour button offers.
#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "favorites/fav_tree.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace vortexa {

struct TTourVideoChoice {
  QString File;
  int Width = 0;
  int Height = 0;
  int Fps = 30;
  int Seconds = 0;                       // 0: until the tour arrives
  const TMBItem* Destination = nullptr;  // null: the random tour
};

class TTourVideoForm : public QDialog {
  Q_OBJECT

 public:
  // The size starts at the picture's, made even; the destinations are the
  // random tour and then every favourite of the tree in menu order.
  TTourVideoForm(QWidget* parent, const TFavNode& favorites, int pictureWidth, int pictureHeight);

  TTourVideoChoice Choice() const;

  QLineEdit* edFile;
  QSpinBox *seWidth, *seHeight, *seFps, *seSeconds;
  QCheckBox* cbUntilArrival;
  QComboBox* cbDest;

 private:
  void AddFavorites(const TFavNode& folder);
  void Browse();
  // OK needs a file, and a length for the random tour, which never arrives.
  void UpdateControls();

  std::vector<const TMBItem*> FDestinations;  // by the list's position; null first
};

}  // namespace vortexa
