// TDrawForm: the main window. It holds the view, turns every command into a
// drawing through the busy protocol, and is the canvas the picture is shown on.
#pragma once

#include <QIcon>
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "app/info_form.h"
#include "app/view_input.h"
#include "engine/calc_grid.h"
#include "favorites/fav_tree.h"
#include "favorites/mb_list.h"
#include "render/canvas.h"
#include "render/draw_grid.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;
class QTimer;

namespace vortexa {

class TStatusPanels;
class TImageArea;
class TColorStrip;

// Restriction bits after the rule that a processor without vector units
// never uses the vector kernels.
int EffectiveOptions(int options, int simdLevel);

// Where the window's favourites come from and go to.
struct TFavoritesFiles {
  std::filesystem::path OwnFile;
  std::optional<std::filesystem::path> RecommendedFile;
};

class TDrawForm : public QMainWindow, public TCanvas {
  Q_OBJECT

 public:
  // debug shows the debug controls; the favourites are read at once.
  TDrawForm(bool debug, TFavoritesFiles favoritesFiles, QWidget* parent = nullptr);
  ~TDrawForm() override;

  // TCanvas.
  void Present(const QImage& image, int left, int top) override;
  void PresentStretched(const QImage& image, const QRect& dest) override;
  void ProcessEvents() override;
  std::int64_t NowMs() override;
  void SleepMs(int milliseconds) override;

  // The busy protocol every drawing command runs in.
  bool BeginDraw();
  void EndDraw();
  // Runs work between BeginDraw and EndDraw; false when busy. EndDraw runs
  // also when work throws, and the error goes on to the caller.
  bool DrawCommand(const std::function<void()>& work);
  void EnableControls(bool enabled);
  void DrawProgress(int percent, bool& abort);
  bool Busy() const { return FProgress >= 0; }
  int Progress() const { return FProgress; }

  void ShowView();
  void DrawView();
  void StoreView(TMBItem& item, const std::string& name) const;
  void LoadView(const TMBItem& item);
  void AddHistory(const std::string& name);
  void ShowAngles();
  // The hover over the picture at a client position of the window.
  void FormMouseMove(QPoint position);
  // Builds the favourites menu from the favourites tree.
  void BuildMenu();

  // Handlers.
  void btDrawClick();
  void cbLimitSelect();
  void mnInitClick();
  void mnOptionClick();
  void cbColorChange();
  void cbTimesChange();
  void mnInfoClick();
  void mnFavoriteItemClick(TMBItem& item);

  const TViewState& View() const { return FView; }
  TCalcGrid& CalcGrid() { return FCalcGrid; }
  TDrawGrid& DrawGrid() { return FDrawGrid; }
  TMBList& History() { return FHistory; }
  TFavTree& Favorites() { return FFavoriteTree; }
  TInfoForm* InfoForm() const { return FInfoForm; }
  const QImage& Screen() const { return FScreen; }
  QString StatusText(int panel) const;
  QMenu* FavoriteMenu() const { return mnFavorite; }
  bool FieldEdited(const QWidget* field) const;
  // The restriction bits the menu's switches stand for.
  int RestrictOptions() const;
  QSize ImageAreaSize() const;

  // Controls named as users and tests know them.
  QWidget *TopPanel, *BasicToolBar, *ColorToolBar;
  QLineEdit *edX, *edY, *edRange;
  QComboBox* cbLimit;
  QPushButton* btDraw;
  QPushButton* Button4;
  TColorStrip* ColorBar;
  QComboBox *cbColor, *cbTimes;
  QSlider *tbHue, *tbHighlight, *tbSaturation;
  QPushButton *Button1, *Button2, *Button3;
  QCheckBox* CheckBox1;
  QAction *mnDraw, *mnInit, *mnInfo, *mnExit, *mnAbout;
  QAction *mnFSInfo, *mnAnimate, *mnThread, *mnPredict, *mnSymY, *mnSSE;
  QMenu *mnFile, *mnDisplay, *mnFavorite, *mnOption, *mnRestrict, *mnHelp;

 signals:
  void DrawingEnded();

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateBasicToolBar();
  void CreateColorToolBar();
  void CreateDebugControls(bool debug);
  void CreateMenus();
  void CreateRestrictMenu();
  void ApplyLayout();
  void InstallFieldFilters();
  bool FilterKey(QObject* watched, QKeyEvent* key);
  void MarkEdited(QWidget* field);
  void ClearEdited(QWidget* field);
  void ApplyColors();
  void ApplicationEventsIdle();
  void ShowElapsed(std::chrono::steady_clock::duration elapsed);
  void AddFavoriteEntries(QMenu* menu, const TFavNode& folder);
  void ShowStatus(int panel, const QString& text);
  bool HasPicture() const;
  void StatusBarDrawPanel(QPainter& painter, const QRect& rect);
  void RotationSweep();
  void ElevationSweep();
  void RotationDemo();
  void ShowCliffsCount();
  void CheckBox1Click();
  void mnAboutClick();
  void LoadFavorites();
  void SaveFavorites();

  TViewState FView;
  QString FDestName;  // destination shown in the information strip during tours
  int FProgress = -1;
  bool FAbortRequested = false;
  bool FTourRunning = false;
  bool FColorsSuspended = false;  // several colour controls are being set at once
  bool FIdleRedrawEnabled = true;
  std::chrono::steady_clock::time_point FDrawStart;

  TCalcGrid FCalcGrid;
  TDrawGrid FDrawGrid;
  TMBList FHistory;
  TMBList FFavorites;
  TFavTree FFavoriteTree;
  TFavoritesFiles FFavoritesFiles;
  bool FFavoritesReadable = true;
  int FFixedFavoriteItems = 0;  // menu entries ahead of the favourites
  QPointer<TInfoForm> FInfoForm;

  QImage FScreen;  // what the image area shows
  TImageArea* FImageArea = nullptr;
  TStatusPanels* FStatusBar = nullptr;
  QTimer* FIdleTimer = nullptr;
  // imFPU, imSSE and imSSE2 by kernel number.
  std::array<QImage, 3> FKernelGlyphs;
  QImage imBar;
  QIcon imFolder;
};

}  // namespace vortexa
