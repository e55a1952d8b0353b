#include "app/render_options.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <string_view>

#include "favorites/mb_item.h"
#include "favorites/number_text.h"
#include "formula/syntax.h"

namespace vortexa {

const char* const kRenderUsage =
    "usage: vortexa-render [--view TEXT] [--center X,Y] [--range R] [--limit N]\n"
    "                      [--size WxH] [--options BITS] [--colors C,HUE,SAT,HL,PERIOD]\n"
    "                      [--rotation DEG] [--elevation DEG] [--concave] [--thin-walls]\n"
    "                      [--julia RE,IM | --init RE,IM] [--formula TEXT [--a A] [--b B]]\n"
    "                      [--jpeg-quality 0|1|2] [--counts FILE] [-o FILE.png|.bmp|.jpg]\n"
    "                      [--timings]\n"
    "  --limit and --to-limit N: the iteration limit, 1 to 100000000\n"
    "  pictures beyond 9999 a side, up to 100000 (PNG, flat): rendered in bands\n"
    "                      [--tile I/N]        band I (0-based) of N of the picture\n"
    "       vortexa-render --stitch BAND.png... -o FILE.png\n"
    "  videos:             --video FILE.mp4 [--fps F] [--frames N | --seconds S]\n"
    "                      zoom: [--to-view TEXT] [--to-center X,Y] [--to-range R]\n"
    "                            [--to-limit N]\n"
    "                      tour: --tour NAME | --random-tour [--favorites FILE.fav]\n"
    "                            [--tour-speed 0..3]\n"
    "       vortexa-render --version | --help";

namespace {

template <typename Number>
Number ParseNumber(std::string_view text, std::string_view what) {
  Number value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end)
    throw EUsageError(std::string(what) + ": not a number: \"" + std::string(text) + "\"");
  return value;
}

int InRange(int value, std::string_view what, int low, int high) {
  if (value < low || value > high)
    throw EUsageError(std::string(what) + " must lie between " + std::to_string(low) + " and " +
                      std::to_string(high));
  return value;
}

int ParseInt(std::string_view text, std::string_view what, int low, int high) {
  return InRange(ParseNumber<int>(text, what), what, low, high);
}

// Splits "a<sep>b<sep>c" into exactly `count` parts.
std::vector<std::string_view> SplitFields(std::string_view text, char separator, size_t count,
                                          std::string_view what) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (size_t pos; (pos = text.find(separator, start)) != std::string_view::npos; start = pos + 1)
    fields.push_back(text.substr(start, pos - start));
  fields.push_back(text.substr(start));
  if (fields.size() != count)
    throw EUsageError(std::string(what) + " needs " + std::to_string(count) +
                      " values separated by '" + separator + "'");
  return fields;
}

void SetCenter(TRenderRequest& request, const TDeepReal& x, const TDeepReal& y) {
  if (!x.IsFinite() || !y.IsFinite()) throw EUsageError("the centre must be finite");
  request.CenterX = x;
  request.CenterY = y;
}

// A centre coordinate with every digit given: deep views need more than
// long double holds.
TDeepReal ParseCoordinate(std::string_view text, std::string_view what,
                          const TFloatExp& range = 1) {
  const std::optional<TDeepReal> value = ParseDeep(text, range);
  if (!value)
    throw EUsageError(std::string(what) + ": not a number: \"" + std::string(text) + "\"");
  return *value;
}

// A range with an exponent beyond long double's where it is that small.
TFloatExp ParseRange(std::string_view text, std::string_view what) {
  const std::optional<TFloatExp> value = ParseWideExponent(text);
  if (!value)
    throw EUsageError(std::string(what) + ": not a number: \"" + std::string(text) + "\"");
  return *value;
}

TFloatExp CheckedRange(const TFloatExp& range) {
  if (!range.IsFinite() || !(range > 0))
    throw EUsageError("the range must be a positive finite number");
  if (range < DeepestRange()) throw EUsageError("the range must be at least 1E-10000");
  return range;
}

void SetRange(TRenderRequest& request, const TFloatExp& range) {
  request.Range = CheckedRange(range);
}

void ApplyCenter(TRenderRequest& request, std::string_view value) {
  const auto xy = SplitFields(value, ',', 2, "--center");
  SetCenter(request, ParseCoordinate(xy[0], "--center"), ParseCoordinate(xy[1], "--center"));
  request.CenterText = value;
}

void ApplyRange(TRenderRequest& request, std::string_view value) {
  SetRange(request, ParseRange(value, "--range"));
}

void ApplySize(TRenderRequest& request, std::string_view value) {
  const auto wh = SplitFields(value, 'x', 2, "--size");
  request.Width = ParseInt(wh[0], "width", 1, kMaxPosterSide);
  request.Height = ParseInt(wh[1], "height", 1, kMaxPosterSide);
}

TColorPositions ColorsInRange(int colorMode, int hue, int saturation, int highlight, int period) {
  return {InRange(colorMode, "colour count", 0, 2), InRange(hue, "hue", 0, 63),
          InRange(saturation, "saturation", 0, 4), InRange(highlight, "highlight", 0, 6),
          InRange(period, "period", 0, 12)};
}

void ApplyColors(TRenderRequest& request, std::string_view value) {
  const auto f = SplitFields(value, ',', 5, "--colors");
  request.Colors =
      ColorsInRange(ParseNumber<int>(f[0], "colour count"), ParseNumber<int>(f[1], "hue"),
                    ParseNumber<int>(f[2], "saturation"), ParseNumber<int>(f[3], "highlight"),
                    ParseNumber<int>(f[4], "period"));
}

// A reproduction text carries the centre, range, limit and colours at once.
void ApplyView(TRenderRequest& request, std::string_view value) {
  const std::optional<TMBItem> view = ParseView(value);
  if (!view) throw EUsageError("--view: not the text of a view: \"" + std::string(value) + "\"");
  SetCenter(request, view->X, view->Y);
  request.CenterText.clear();
  SetRange(request, view->Range);
  request.Limit = InRange(view->Limit, "the limit", 1, kMaxLimit);
  request.Colors =
      ColorsInRange(view->ColorIndex, view->Hue, view->Saturation, view->Highlight, view->Period);
}

long double ParseFinite(std::string_view text, std::string_view what) {
  const long double value = ParseNumber<long double>(text, what);
  if (!std::isfinite(value)) throw EUsageError(std::string(what) + " must be finite");
  return value;
}

// --julia and --init: the later one wins, as with every repeated option.
void SetParam(TRenderRequest& request, bool isMandel, std::string_view value,
              std::string_view what) {
  const auto reIm = SplitFields(value, ',', 2, what);
  request.IsMandel = isMandel;
  request.ParamRe = ParseFinite(reIm[0], what);
  request.ParamIm = ParseFinite(reIm[1], what);
}

void ApplyFormula(TRenderRequest& request, std::string_view value) {
  TTokenList program;
  CheckFormula(value, program);
  request.Formula = value;
}

void ApplyTile(TRenderRequest& request, std::string_view value) {
  const auto in = SplitFields(value, '/', 2, "--tile");
  request.TileCount = ParseInt(in[1], "--tile's band count", 1, kMaxPosterSide);
  request.TileIndex = ParseInt(in[0], "--tile's band", 0, request.TileCount - 1);
}

// The "to" view of a zoom video; its colours are the start's.
void ApplyToView(TRenderRequest& request, std::string_view value) {
  const std::optional<TMBItem> view = ParseView(value);
  if (!view) throw EUsageError("--to-view: not the text of a view: \"" + std::string(value) + "\"");
  if (!view->X.IsFinite() || !view->Y.IsFinite())
    throw EUsageError("--to-view: the centre must be finite");
  request.ToCenterX = view->X;
  request.ToCenterY = view->Y;
  request.ToCenterText.clear();
  request.ToRange = CheckedRange(view->Range);
  request.ToLimit = InRange(view->Limit, "the limit", 1, kMaxLimit);
}

void ApplyToCenter(TRenderRequest& request, std::string_view value) {
  const auto xy = SplitFields(value, ',', 2, "--to-center");
  request.ToCenterX = ParseCoordinate(xy[0], "--to-center");
  request.ToCenterY = ParseCoordinate(xy[1], "--to-center");
  if (!request.ToCenterX->IsFinite() || !request.ToCenterY->IsFinite())
    throw EUsageError("the centre must be finite");
  request.ToCenterText = value;
}

// A centre text read again at the bits its view's range needs: the range may
// come after it on the line.
void ReadCentreAtRange(const std::string& text, const TFloatExp& range, TDeepReal& x,
                       TDeepReal& y) {
  if (text.empty()) return;
  const auto xy = SplitFields(text, ',', 2, "--center");
  x = ParseCoordinate(xy[0], "--center", range);
  y = ParseCoordinate(xy[1], "--center", range);
}

void ApplyToRange(TRenderRequest& request, std::string_view value) {
  request.ToRange = CheckedRange(ParseRange(value, "--to-range"));
}

void ApplySeconds(TRenderRequest& request, std::string_view value) {
  request.Seconds = ParseFinite(value, "--seconds");
  if (!(request.Seconds > 0) || request.Seconds > 86400)
    throw EUsageError("--seconds must lie between 0 and 86400");
}

struct TOptionRule {
  std::string_view Name;
  bool TakesValue;
  void (*Apply)(TRenderRequest&, std::string_view value);  // value is empty for switches
};

const TOptionRule kOptionRules[] = {
    {"--view", true, ApplyView},
    {"--center", true, ApplyCenter},
    {"--range", true, ApplyRange},
    {"--limit", true,
     [](TRenderRequest& r, std::string_view v) { r.Limit = ParseInt(v, "--limit", 1, kMaxLimit); }},
    {"--size", true, ApplySize},
    {"--options", true,
     [](TRenderRequest& r, std::string_view v) { r.Options = ParseInt(v, "--options", 0, 63); }},
    {"--colors", true, ApplyColors},
    {"--rotation", true,
     [](TRenderRequest& r, std::string_view v) {
       r.Rotation = ParseInt(v, "--rotation", -180, 180);
     }},
    {"--elevation", true,
     [](TRenderRequest& r, std::string_view v) {
       r.Elevation = ParseInt(v, "--elevation", 0, 90);
     }},
    {"--concave", false, [](TRenderRequest& r, std::string_view) { r.Concave = true; }},
    {"--thin-walls", false, [](TRenderRequest& r, std::string_view) { r.ThinWalls = true; }},
    {"--jpeg-quality", true,
     [](TRenderRequest& r, std::string_view v) {
       r.JpegQuality = ParseInt(v, "--jpeg-quality", 0, 2);
     }},
    {"--julia", true,
     [](TRenderRequest& r, std::string_view v) { SetParam(r, false, v, "--julia"); }},
    {"--init", true, [](TRenderRequest& r, std::string_view v) { SetParam(r, true, v, "--init"); }},
    {"--formula", true, ApplyFormula},
    {"--a", true, [](TRenderRequest& r, std::string_view v) { r.A = ParseFinite(v, "--a"); }},
    {"--b", true, [](TRenderRequest& r, std::string_view v) { r.B = ParseFinite(v, "--b"); }},
    {"--counts", true, [](TRenderRequest& r, std::string_view v) { r.CountsPath = v; }},
    {"-o", true, [](TRenderRequest& r, std::string_view v) { r.OutputPath = v; }},
    {"--timings", false, [](TRenderRequest& r, std::string_view) { r.Timings = true; }},
    {"--tile", true, ApplyTile},
    {"--video", true, [](TRenderRequest& r, std::string_view v) { r.VideoPath = v; }},
    {"--fps", true,
     [](TRenderRequest& r, std::string_view v) { r.Fps = ParseInt(v, "--fps", 1, 240); }},
    {"--frames", true,
     [](TRenderRequest& r, std::string_view v) {
       r.Frames = ParseInt(v, "--frames", 1, 10'000'000);
     }},
    {"--seconds", true, ApplySeconds},
    {"--to-view", true, ApplyToView},
    {"--to-center", true, ApplyToCenter},
    {"--to-range", true, ApplyToRange},
    {"--to-limit", true,
     [](TRenderRequest& r, std::string_view v) {
       r.ToLimit = ParseInt(v, "--to-limit", 1, kMaxLimit);
     }},
    {"--tour", true, [](TRenderRequest& r, std::string_view v) { r.TourDestination = v; }},
    {"--random-tour", false, [](TRenderRequest& r, std::string_view) { r.RandomTour = true; }},
    {"--favorites", true, [](TRenderRequest& r, std::string_view v) { r.FavoritesPath = v; }},
    {"--tour-speed", true,
     [](TRenderRequest& r, std::string_view v) {
       r.TourSpeed = ParseInt(v, "--tour-speed", 0, 3);
     }},
};

const TOptionRule& FindOption(std::string_view name) {
  for (const TOptionRule& rule : kOptionRules)
    if (rule.Name == name) return rule;
  throw EUsageError("unknown option \"" + std::string(name) + "\"");
}

void CheckWritable(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  std::error_code error;
  const fs::file_type type = fs::status(target, error).type();
  if (type == fs::file_type::directory)
    throw EUsageError("cannot write \"" + path + "\": a folder");
  // A pipe or character device is written into, so its folder need not be writable.
  if (type == fs::file_type::fifo || type == fs::file_type::character) {
    if (access(target.c_str(), W_OK) != 0)
      throw EUsageError("cannot write \"" + path + "\": not writable");
    return;
  }
  if (type != fs::file_type::regular && type != fs::file_type::not_found)
    throw EUsageError("cannot write \"" + path + "\": not a regular file");
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  if (!fs::is_directory(folder, error) || access(folder.c_str(), W_OK) != 0)
    throw EUsageError("cannot write \"" + path + "\": folder missing or not writable");
  if (fs::exists(target, error) && access(target.c_str(), W_OK) != 0)
    throw EUsageError("cannot write \"" + path + "\": not writable");
}

// Also through links and other spellings of one path.
bool SameFile(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (fs::equivalent(a, b, error)) return true;
  const fs::path first = fs::weakly_canonical(a, error);
  if (error) return a == b;
  const fs::path second = fs::weakly_canonical(b, error);
  return error ? a == b : first == second;
}

}  // namespace

TRenderRequest ParseRenderArguments(const std::vector<std::string>& args) {
  TRenderRequest request;
  for (size_t i = 0; i < args.size(); ++i) {
    // The band files to join run up to the next option.
    if (args[i] == "--stitch") {
      while (i + 1 < args.size() && !args[i + 1].starts_with('-'))
        request.StitchPaths.push_back(args[++i]);
      if (request.StitchPaths.empty()) throw EUsageError("--stitch needs the band files");
      continue;
    }
    const TOptionRule& rule = FindOption(args[i]);
    if (!rule.TakesValue) {
      rule.Apply(request, {});
      continue;
    }
    if (i + 1 == args.size()) throw EUsageError(std::string(rule.Name) + " needs a value");
    rule.Apply(request, args[++i]);
  }
  ReadCentreAtRange(request.CenterText, request.Range, request.CenterX, request.CenterY);
  if (request.ToCenterX)
    ReadCentreAtRange(request.ToCenterText, request.ToRange.value_or(request.Range),
                      *request.ToCenterX, *request.ToCenterY);
  return request;
}

void CheckFormula(std::string_view text, TTokenList& program) {
  TSyntax syntax;
  if (!syntax.Check(program, text))
    throw EUsageError("--formula: " + syntax.ErrorMessage() + " at position " +
                      std::to_string(syntax.ErrorPos()));
}

std::string PictureExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  for (char& c : extension)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

bool IsVideo(const TRenderRequest& request) {
  return !request.VideoPath.empty();
}

bool IsZoomVideo(const TRenderRequest& request) {
  return IsVideo(request) && request.TourDestination.empty() && !request.RandomTour;
}

int VideoFrames(const TRenderRequest& request) {
  if (request.Frames > 0) return request.Frames;
  const double seconds = request.Seconds > 0    ? request.Seconds
                         : IsZoomVideo(request) ? kDefaultZoomSeconds
                                                : 0;
  return std::max(seconds > 0 ? 1 : 0, static_cast<int>(std::lround(seconds * request.Fps)));
}

bool RendersInBands(const TRenderRequest& request) {
  return request.TileCount > 0 || request.Width > kMaxWholeSide || request.Height > kMaxWholeSide;
}

namespace {

void CheckVideo(const TRenderRequest& request) {
  if (PictureExtension(request.VideoPath) != ".mp4")
    throw EUsageError("cannot write \"" + request.VideoPath + "\": the video must be an .mp4 file");
  if (request.Width > kMaxWholeSide || request.Height > kMaxWholeSide || request.Width % 2 != 0 ||
      request.Height % 2 != 0)
    throw EUsageError("a video's width and height must be even and at most 9999");
  if (request.TileCount > 0) throw EUsageError("--tile makes pictures, not videos");
  if (!request.TourDestination.empty() && request.RandomTour)
    throw EUsageError("--tour and --random-tour exclude each other");
  if (request.RandomTour && VideoFrames(request) == 0)
    throw EUsageError("a random tour never ends: give --frames or --seconds");
  if (IsZoomVideo(request) && !request.ToCenterX && !request.ToRange)
    throw EUsageError("a zoom video needs --to-view, --to-center or --to-range");
  CheckWritable(request.VideoPath);
}

// Bands are computed and written on their own, so every dot's colour must
// depend on its count alone.
void CheckBands(const TRenderRequest& request) {
  if (PictureExtension(request.OutputPath) != ".png" || request.Rotation != 0 ||
      request.Elevation != 90 || !request.CountsPath.empty())
    throw EUsageError(
        "pictures in bands (--tile, or beyond 9999 a side) are flat .png files without "
        "--rotation, --elevation or --counts");
}

}  // namespace

void CheckOutputPaths(const TRenderRequest& request) {
  if (!request.StitchPaths.empty()) {
    if (PictureExtension(request.OutputPath) != ".png")
      throw EUsageError("joined bands make a .png file");
    CheckWritable(request.OutputPath);
    return;
  }
  if (IsVideo(request)) {
    CheckVideo(request);
    return;
  }
  if (RendersInBands(request)) CheckBands(request);
  const std::string extension = PictureExtension(request.OutputPath);
  if (extension != ".png" && extension != ".bmp" && extension != ".jpg")
    throw EUsageError("cannot write \"" + request.OutputPath +
                      "\": the picture must be a .png, .bmp or .jpg file");
  CheckWritable(request.OutputPath);
  if (request.CountsPath.empty()) return;
  CheckWritable(request.CountsPath);
  if (SameFile(request.OutputPath, request.CountsPath))
    throw EUsageError("--counts and -o name the same file \"" + request.CountsPath + "\"");
}

}  // namespace vortexa
