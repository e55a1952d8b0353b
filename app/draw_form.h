// TDrawForm: the main window. It shows the session's view and picture, turns
// mouse, keys, menus and drops into session commands, and is the canvas the
// picture is shown on.
#pragma once

#include <QIcon>
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QUrl>
#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>

#include "app/device_pixels.h"
#include "app/exprs_form.h"
#include "app/info_form.h"
#include "app/menu_rows.h"
#include "favorites/fav_tree.h"
#include "favorites/mb_list.h"
#include "session/language.h"
#include "session/session.h"
#include "session/settings.h"
#include "session/tour.h"
#include "session/window_pump.h"

class QAction;
class QCheckBox;
class QMimeData;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;
class QTimer;
class QPrinter;

namespace vortexa {

class TArrivalSound;
class TFavForm;
class TStatusPanels;
class TSizeForm;
class TTourVideoForm;
class TImageArea;
class TColorStrip;

// Restriction bits after the rule that a processor without vector units
// never uses the vector kernels.
int EffectiveOptions(int options, int simdLevel);

// A favourites menu longer than this scrolls.
inline constexpr int kMenuColumnEntries = 30;
void FitMenuHeight(QMenu* menu);
// Where a printed picture goes on a page: at the top left, keeping its aspect.
QRect PrintedPictureRect(QSize picture, QSize page);

// The first page of the manual in language, in the first of the folders that
// holds it.
std::optional<std::filesystem::path> FindManual(std::span<const std::filesystem::path> folders,
                                                TLanguage language);

// Where the window's favourites come from and go to.
struct TFavoritesFiles {
  std::filesystem::path OwnFile;
  std::optional<std::filesystem::path> RecommendedFile;
};

class TDrawForm : public QMainWindow,
                  public TCanvas,
                  private TSessionObserver,
                  private TTourObserver {
  Q_OBJECT

 public:
  // debug shows the debug controls; the favourites are read at once.
  TDrawForm(bool debug, TFavoritesFiles favoritesFiles, QWidget* parent = nullptr);
  ~TDrawForm() override;

  // TCanvas.
  void Present(const QImage& image, int left, int top) override;
  void PresentStretched(const QImage& image, const QRect& dest) override;

  TSession& Session() { return FSession; }
  void EnableControls(bool enabled);
  void ShowAngles();
  // A move with no mouse button held, at a client position of the window:
  // the hover over the picture, and in full screen without modifier keys
  // the bars.
  void FormMouseMove(QPointF position, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
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
  void mnExprsClick();
  // Recomputes the picture after the formula window changed the formula;
  // while another command runs, once it has ended.
  void DrawContinue();
  void mnFavoriteItemClick(TMBItem& item);
  void mnDisplayClick();
  void mnFileClick();
  void mnInfoCopyClick();
  void mnInfoPasteClick();
  // Alt+arrows, PageUp/PageDown, Home and Enter; true when the key was used.
  bool FormKeyDown(const QKeyEvent& key);

  TFavTree& Favorites() { return FFavoriteTree; }
  TInfoForm* InfoForm() const { return FInfoForm; }
  TExprsForm* ExprsForm() const { return FExprsForm; }
  const QImage& Screen() const { return FScreen; }
  QWidget* ImageArea() const;
  QString StatusText(int panel) const;
  QMenu* FavoriteMenu() const { return mnFavorite; }
  bool FieldEdited(const QWidget* field) const;
  // The restriction bits the menu's switches stand for.
  int RestrictOptions() const;
  // The picture area in window pixels.
  QSize ImageAreaSize() const;
  // The picture in dots: the picture area in the screen's device pixels, so
  // that a scaled screen shows every dot on a pixel of its own.
  QSize PictureSize() const;

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
  QAction* mnExprs;
  QAction *mnDraw, *mnInit, *mnInfo, *mnExit, *mnAbout, *mnInfoCopy, *mnInfoPaste;
  QAction *mnPrev, *mnNext, *mnWheelAtPointer;
  QAction *mnFSInfo, *mnAnimate, *mnThread, *mnPredict, *mnSymY, *mnSSE;
  QMenu *mnFile, *mnDisplay, *mnFavorite, *mnOption, *mnRestrict, *mnHelp;
  QMenu *mnMagnify, *mnReduce, *mnMove, *mnHistory, *mnMagnifyRatio, *mnMoveRatio;

  // ---- favourites commands and tours (draw_form_tours.cpp) ----
  void mnAddClick();
  void mnModifyClick();
  void mnTourClick();
  void TourToFavorite(const TMBItem& dest);
  void mnRandTourClick();
  void btTourPressed();
  void btTourClick();
  void TimerTimer();
  void mnTourSNDFileClick();
  // Films a tour from the view into a video file, with progress in the status bar.
  void mnTourVideoClick();
  // The video dialog; tests answer it without a user.
  std::function<int(TTourVideoForm& form)> TourVideoDialog;
  // Settings of the tour menus, kept here for the settings file.
  void SetTourSpeed(int position);
  int TourSpeed() const { return FTour.Speed(); }
  // 0: the arrival sound plays, 1: off.
  void SetTourSound(int position);
  int TourSound() const { return FTourSound; }
  void SetSoundFile(const QString& file) { FSoundFile = file; }
  const QString& SoundFile() const { return FSoundFile; }
  void SetFavoriteDir(std::filesystem::path folder) { FFavoriteDir = std::move(folder); }
  const std::filesystem::path& FavoriteDir() const { return FFavoriteDir; }
  TTour& Tour() { return FTour; }
  TFavForm* FavForm() const { return FFavForm; }
  // The favourites that random tours choose from, in list order.
  std::vector<const TMBItem*> TourCandidates() const;

  QAction *mnAdd, *mnModify, *mnRandTour, *pmRandTour;
  QAction *mnTourSNDFile, *mnTourSNDOff;
  QMenu *mnDest, *mnTourSpeed, *mnTourSND, *PopupMenu;
  QPushButton* btTour;
  QLabel* imTour;
  QWidget* ArrivePanel;
  QLabel *lbArrive, *lbDestName;
  QTimer* Timer;
  // ---- settings and image sizes (draw_form_settings.cpp) ----
  // Reads the settings file and applies it; closing the window writes it.
  void LoadSettings(const std::filesystem::path& file);
  // What the window holds now, as the settings file keeps it.
  TSettings CurrentSettings() const;
  // Values other windows keep here too (tour speed and sound).
  TSettings& Settings() { return FSettings; }
  // The user's sizes (width × 10000 + height), top to bottom.
  std::vector<int> UserImageSizes() const;
  void mnSizeClick(int tag);
  void mnSizeAddClick();
  void mnSizeDelClick();
  // The language menu's choice at position (the system's, Japanese, English):
  // kept in the settings, in force for windows opened from now on and for
  // the main window at the next start, which the user is told.
  void mnLanguageClick(int position);
  QMenu *mnSize, *mnJPEG, *mnLanguage;
  QAction *mnSizeAdd, *mnSizeDel;

  // ---- picture output (draw_form_output.cpp) ----
  // Writes the current picture by the file name's extension: false for an
  // extension that is not a picture format. Errors throw.
  bool SavePicture(const QString& fileName);
  // True when the picture was written or copied (not when busy or aborted).
  bool RenderAtSize(const QString& fileName, int width, int height);
  void PrintPicture(QPrinter& printer) const;
  void mnSaveClick();
  void mnCopyClick();
  void mnSizeSaveClick(bool copy);
  void mnPrintClick();
  void mnWallClick();
  QAction *mnSave, *mnCopy, *mnSizeSave, *mnSizeCopy, *mnPrint, *mnWall;
  QLabel *lbTmpMode, *lbTmpSize;
  // Dialogs the commands open; tests answer them without a user.
  std::function<QString(const QString& folder)> SaveFileDialog;
  std::function<bool(const QString& question)> ConfirmDialog;
  std::function<int(TSizeForm& form)> SizeDialog;
  // The JPEG quality submenu's checked position.
  int JpegPosition() const;

  // ---- full screen and help (draw_form_screen.cpp) ----
  bool FullScreen() const;
  bool BarsShown() const;
  void mnFullScreenClick();
  void ToggleBars();
  // A mouse move without buttons in full screen, at a position below the menu bar.
  void FullScreenMouseMove(QPoint position);
  void mnShowHelpClick();
  QAction *mnFullScreen, *mnShowHelp;
  std::function<void(const QString& text)> InformDialog;
  // Opens the manual in the desktop's browser; false when none could.
  std::function<bool(const QUrl& url)> OpenUrl;

 signals:
  void DrawingEnded();

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // TSessionObserver.
  void BusyChanged(bool busy) override;
  void ProgressChanged() override;
  void ViewShown() override;
  void ColorsChanged() override;
  void AnglesChanged() override;
  void StatusChanged(const std::string& text) override;
  void CommandEnded(double elapsedMs) override;
  void MouseCaptured(bool captured) override;
  void ScrollDragging(bool dragging) override;

  void CreateBasicToolBar();
  void CreateColorToolBar();
  void CreateDebugControls(bool debug);
  void CreateMenus();
  // The menu item that gives the command with the argument.
  QAction* CommandItem(TCommandId command, int argument = 0) const;
  void AssignMenuMembers();
  // A menu item or its key: runs the command when the session's table lets it.
  void Dispatch(QAction* item, TCommandId command, int argument);
  void RunMenuCommand(QAction* item, TCommandId command, int argument);
  void ApplyLayout();
  void InstallFieldFilters();
  bool FilterKey(QObject* watched, QKeyEvent* key);
  bool ImageAreaEvent(QEvent* event);
  void FormMouseWheel(int notches, const QWheelEvent& wheel);
  TPointerState PointerState(const QMouseEvent& event) const;
  // Window pixels of this window's screen as dots of the picture.
  int Dots(int pixels) const;
  QPoint Dot(QPointF position) const;
  // The window moved to a screen of another scale: the picture is drawn anew.
  void ScreenChanged();
  void MarkEdited(QWidget* field);
  void ClearEdited(QWidget* field);
  TColorPositions ColorControls() const;
  bool AllocatePicture(QSize picture);
  void ApplicationEventsIdle();
  void ShowElapsed(double milliseconds);
  void ShowFault();
  void AddFavoriteEntries(QMenu* menu, const TFavNode& folder);
  void ShowStatus(int panel, const QString& text);
  void StatusBarDrawPanel(QPainter& painter, const QRect& rect);
  std::optional<std::string> ClipboardText() const;
  std::optional<std::string> DroppedText(const QMimeData* data) const;
  void ShowCliffsCount();
  void mnAboutClick();
  void LoadFavorites();
  void SaveFavorites();

  // Tours (draw_form_tours.cpp).
  void CreateTourControls();
  void CreateTourMenus();
  void CopyFavoriteMenu(QMenu* parent, const TFavNode& folder);
  void TourStateChanged(bool running) override;
  void TourStatus(const std::string& text) override;
  void ArrivalShown(const std::string& name) override;
  void ArrivalHidden() override;
  void TourStepEnded() override;
  void TooFewCandidates() override;
  void CreateSizeMenu();
  void AddSizeItem(int tag, const QString& caption, QAction* before);
  void UpdateSizeMenu();
  void SaveSettings();
  void CreateOutputMenu();
  void TempSizeShown(bool on) override;
  QRect TempSizeArea() const;
  // Runs a menu command; an error becomes a message box.
  void Guard(const std::function<void()>& handler);

  void CreateScreenMenus();
  void ShowFullScreenNotice();
  int PictureTop() const;
  QRect FSavedBounds;  // the window's bounds before full screen; null outside it

  TSettings FSettings;
  std::optional<TSettingsFile> FSettingsFile;
  QAction* mnP16 = nullptr;  // ends the user's sizes

  std::map<TMenu, QMenu*> FMenus;  // by the rows' names
  TWindowPump FPump;               // the session's; reached only through a running command
  TSession FSession;
  bool FClosePending = false;     // closing waits for the running command to stop
  bool FColorsSuspended = false;  // several colour controls are being set at once
  bool FIdleRedrawEnabled = true;
  bool FContinuePending = false;  // the formula changed while a command ran

  TMBList FFavorites;
  TFavTree FFavoriteTree;
  TFavoritesFiles FFavoritesFiles;
  bool FFavoritesReadable = true;
  int FFixedFavoriteItems = 0;  // menu entries ahead of the favourites
  int FFixedHistoryItems = 0;   // back, forward and their separator
  QPointer<TInfoForm> FInfoForm;
  QPointer<TExprsForm> FExprsForm;

  QImage FScreen;        // what the image area shows, in dots
  QSize FChosenPicture;  // the size the image-size menu asked for last
  bool FScreenWatched = false;
  TImageArea* FImageArea = nullptr;
  TStatusPanels* FStatusBar = nullptr;
  QTimer* FIdleTimer = nullptr;
  // imFPU, imSSE, imSSE2 and the deep family's picture by kernel number.
  std::array<QImage, 4> FKernelGlyphs;
  QImage imBar;
  QIcon imFolder;

  TTour FTour{FSession};
  TFavForm* FFavForm = nullptr;
  std::unique_ptr<TArrivalSound> FArrivalSound;
  int FTourSound = 0;
  QString FSoundFile;
  std::filesystem::path FFavoriteDir;
  bool FTimerFired = false;  // the tour button was held: no random tour on release
};

}  // namespace vortexa
