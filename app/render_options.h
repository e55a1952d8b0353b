// Command line of vortexa-render: what to compute and where to put it.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "formula/token_list.h"
#include "session/view_input.h"

namespace vortexa {

struct TRenderRequest {
  TDeepReal CenterX;  // every digit given, for deep views
  TDeepReal CenterY;
  // The texts of --center and --to-center: read again, once the ranges are
  // known, with the bits those need.
  std::string CenterText, ToCenterText;
  TFloatExp Range = 2;
  int Limit = 1000;
  int Width = 590;
  int Height = 400;
  int Options = 0;
  TColorPositions Colors;
  // The relief: degrees of rotation and elevation (90 looks straight down),
  // "凹" instead of "凸", and walls only at the steepest steps ("厚" unchecked).
  int Rotation = 0;
  int Elevation = 90;
  bool Concave = false;
  bool ThinWalls = false;
  int JpegQuality = 1;  // 0, 1, 2: low, middle, high
  std::string CountsPath;
  std::string OutputPath = "vortexa.png";
  // Mandelbrot mode starts every dot at (ParamRe, ParamIm); Julia mode uses
  // it as the constant C.
  bool IsMandel = true;
  long double ParamRe = 0;
  long double ParamIm = 0;
  std::string Formula;  // a checked recurrence in place of Z*Z+C, or empty
  long double A = 0;
  long double B = 0;
  bool Timings = false;  // one line on stderr: time and page faults of every stage

  // Band TileIndex of TileCount horizontal bands of the picture; 0 bands: all of it.
  int TileIndex = 0;
  int TileCount = 0;
  // Band files joined into OutputPath, without computing anything.
  std::vector<std::string> StitchPaths;

  // A video instead of a picture: a zoom to the "to" view, or a tour.
  std::string VideoPath;
  int Fps = 30;
  int Frames = 0;                      // 0: from Seconds
  double Seconds = 0;                  // 0: the zoom's default, the tour's whole flight
  std::optional<TDeepReal> ToCenterX;  // unset: the start's
  std::optional<TDeepReal> ToCenterY;
  std::optional<TFloatExp> ToRange;
  std::optional<int> ToLimit;
  std::string TourDestination;  // a favourite's name
  bool RandomTour = false;
  std::string FavoritesPath;  // empty: the user's favourites, else the shipped ones
  int TourSpeed = 1;
};

// Sides up to this render whole; larger pictures (PNG only) render in bands.
inline constexpr int kMaxWholeSide = 9999;
inline constexpr int kMaxPosterSide = 100000;
// A zoom video without --frames or --seconds lasts this long.
inline constexpr double kDefaultZoomSeconds = 10;

bool IsVideo(const TRenderRequest& request);
bool IsZoomVideo(const TRenderRequest& request);
// Frames of a video with a known length; 0 for a tour flown to its end.
int VideoFrames(const TRenderRequest& request);
// Whether the picture goes to its file band by band.
bool RendersInBands(const TRenderRequest& request);

// Bad input on the command line; the text names what was wrong.
class EUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses the arguments after the program name. Throws EUsageError.
TRenderRequest ParseRenderArguments(const std::vector<std::string>& args);

// Checks a recurrence formula into program. Throws EUsageError with the
// check's message and its 0-based position.
void CheckFormula(std::string_view text, TTokenList& program);

// Throws EUsageError when a file of the request could not be written, before
// anything is computed or written.
void CheckOutputPaths(const TRenderRequest& request);

// The picture file's extension in lower case, with its dot.
std::string PictureExtension(const std::string& path);

extern const char* const kRenderUsage;

}  // namespace vortexa
