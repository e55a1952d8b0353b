#include "app/render_options.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/test_folder.h"
#include "favorites/number_text.h"

namespace vortexa {
namespace {

// A coordinate as a text reads it: the decimal value, not its long double.
TDeepReal Decimal(const char* text) {
  return *TDeepReal::FromDecimal(text);
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string word; in >> word;)
    words.push_back(word);
  return words;
}

TEST(RenderArguments, DefaultsAreTheHomeView) {
  const TRenderRequest request = ParseRenderArguments({});
  EXPECT_EQ(request.CenterX, 0);
  EXPECT_EQ(request.CenterY, 0);
  EXPECT_EQ(request.Range, 2);
  EXPECT_EQ(request.Limit, 1000);
  EXPECT_EQ(request.Width, 590);
  EXPECT_EQ(request.Height, 400);
  EXPECT_EQ(request.Colors.Period, 4);
  EXPECT_TRUE(request.CountsPath.empty());
}

TEST(RenderArguments, ReadsEveryOption) {
  const TRenderRequest request = ParseRenderArguments(
      Words("--center -0.743643887037151,0.131825904205330 --range 1e-6 --limit 4000 "
            "--size 1920x1080 --options 28 --colors 2,63,4,6,12 --counts c.raw -o out.png"));
  EXPECT_EQ(request.CenterX, Decimal("-0.743643887037151"));
  EXPECT_EQ(request.CenterY, Decimal("0.131825904205330"));
  EXPECT_EQ(request.Range, 1e-6L);
  EXPECT_EQ(request.Limit, 4000);
  EXPECT_EQ(request.Width, 1920);
  EXPECT_EQ(request.Height, 1080);
  EXPECT_EQ(request.Options, 28);
  EXPECT_EQ(request.Colors.ColorMode, 2);
  EXPECT_EQ(request.Colors.Hue, 63);
  EXPECT_EQ(request.Colors.Saturation, 4);
  EXPECT_EQ(request.Colors.Highlight, 6);
  EXPECT_EQ(request.Colors.Period, 12);
  EXPECT_EQ(request.CountsPath, "c.raw");
  EXPECT_EQ(request.OutputPath, "out.png");
}

TEST(RenderArguments, ViewTextSetsCentreRangeLimitAndColours) {
  const TRenderRequest request = ParseRenderArguments(
      {"--view", "\"渦 1\",0,-0.75,0.1,0.01,2000,1,32,2,5,6,1", "--limit", "3000"});
  EXPECT_EQ(request.CenterX, -0.75L);
  EXPECT_EQ(request.CenterY, Decimal("0.1"));
  EXPECT_EQ(request.Range, 0.01L);
  EXPECT_EQ(request.Limit, 3000);  // a later option wins
  EXPECT_EQ(request.Colors.ColorMode, 1);
  EXPECT_EQ(request.Colors.Hue, 32);
  EXPECT_EQ(request.Colors.Saturation, 2);
  EXPECT_EQ(request.Colors.Highlight, 5);
  EXPECT_EQ(request.Colors.Period, 6);
}

// The largest limit is taken wherever a limit is given; one more is refused
// (RefusesBadInput).
TEST(RenderArguments, LimitsUpToTheLargestAreTaken) {
  const std::string deep = "120,0,-0.75,0.1,1E-30,100000000,0,0,0,0,4,1";
  const TRenderRequest request = ParseRenderArguments({"--view", deep, "--to-view", deep});
  EXPECT_EQ(request.Limit, 100'000'000);
  EXPECT_EQ(request.ToLimit, 100'000'000);
  const TRenderRequest options =
      ParseRenderArguments({"--limit", "100000000", "--to-limit", "99999999"});
  EXPECT_EQ(options.Limit, 100'000'000);
  EXPECT_EQ(options.ToLimit, 99'999'999);
}

TEST(RenderArguments, ReliefAndFileOptions) {
  const TRenderRequest plain = ParseRenderArguments({});
  EXPECT_EQ(plain.Rotation, 0);
  EXPECT_EQ(plain.Elevation, 90);
  EXPECT_FALSE(plain.Concave);
  EXPECT_FALSE(plain.ThinWalls);
  EXPECT_EQ(plain.JpegQuality, 1);
  const TRenderRequest relief = ParseRenderArguments(
      Words("--rotation -180 --elevation 0 --concave --thin-walls --jpeg-quality 2 -o relief.jpg"));
  EXPECT_EQ(relief.Rotation, -180);
  EXPECT_EQ(relief.Elevation, 0);
  EXPECT_TRUE(relief.Concave);
  EXPECT_TRUE(relief.ThinWalls);
  EXPECT_EQ(relief.JpegQuality, 2);
}

TEST(RenderArguments, ReadsModeAndFormula) {
  const TRenderRequest julia = ParseRenderArguments(Words("--julia -0.75,0.1"));
  EXPECT_FALSE(julia.IsMandel);
  EXPECT_EQ(julia.ParamRe, -0.75L);
  EXPECT_EQ(julia.ParamIm, 0.1L);
  const TRenderRequest init =
      ParseRenderArguments(Words("--julia 1,1 --init 0.5,-0.25 --formula z^3+A*C --a 2 --b -1.5"));
  EXPECT_TRUE(init.IsMandel);
  EXPECT_EQ(init.ParamRe, 0.5L);
  EXPECT_EQ(init.ParamIm, -0.25L);
  EXPECT_EQ(init.Formula, "z^3+A*C");
  EXPECT_EQ(init.A, 2);
  EXPECT_EQ(init.B, -1.5L);
}

TEST(RenderArguments, FormulaSyntaxErrorNamesMessageAndPosition) {
  try {
    ParseRenderArguments({"--formula", "Z-+C"});
    FAIL() << "no error";
  } catch (const EUsageError& error) {
    EXPECT_STREQ(error.what(), "--formula: 演算子が連続しています at position 2");
  }
}

// Deep views need centres beyond long double: every digit given comes
// through, on the command line and in a reproduction text alike.
TEST(RenderArguments, CentreKeepsEveryDigit) {
  const std::string x = "-1.768778833000000000000000000000001";  // 34 digits
  const std::string y = "0.001738996073207466834921002345678";
  const TRenderRequest direct = ParseRenderArguments({"--center", x + "," + y, "--range", "1e-30"});
  const TRenderRequest viaText =
      ParseRenderArguments({"--view", "120,0," + x + "," + y + ",1E-30,2000,0,0,0,0,4,1"});
  for (const TRenderRequest* request : {&direct, &viaText}) {
    EXPECT_EQ(FormatGeneral(request->CenterX, 34), x);
    EXPECT_EQ(FormatGeneral(request->CenterY, 34), y);
    // Long double alone would lose the last digits.
    EXPECT_NE(request->CenterX, TDeepReal(request->CenterX.ToLongDouble()));
  }
  EXPECT_EQ(viaText.Range, 1e-30L);
}

// "-0.1" has no exact binary value: read at 128 bits it lies 7e-41 away,
// far outside a view of range 1e-300. The range may come before or after.
TEST(RenderArguments, ShortCentresAreReadAtTheBitsOfTheirRange) {
  const TDeepReal tenth = *TDeepReal::FromDecimal("0.1", 4096);
  const auto near = [&](const TDeepReal& value, bool negative) {
    return std::fabs(value - (negative ? -tenth : tenth)) < 1e-306L;
  };
  for (const char* line : {"--center -0.1,0.1 --range 1e-300", "--range 1e-300 --center -0.1,0.1",
                           "--center 0,0 --to-center -0.1,0.1 --to-range 1e-300 --video v.mp4",
                           "--center -0.1,0.1 --range 1e-6000"}) {
    SCOPED_TRACE(line);
    const TRenderRequest request = ParseRenderArguments(Words(line));
    const TDeepReal& x = request.ToCenterX ? *request.ToCenterX : request.CenterX;
    const TDeepReal& y = request.ToCenterY ? *request.ToCenterY : request.CenterY;
    EXPECT_TRUE(near(x, true));
    EXPECT_TRUE(near(y, false));
  }
}

TEST(RenderArguments, RefusesBadInput) {
  const char* bad[] = {
      "--range 0",
      "--range -1",
      "--range inf",
      "--range nan",
      "--range 1e5000",
      "--range 1e-10001",  // below the deepest range
      "--range abc",
      "--limit 0",
      "--limit 100000001",
      "--to-limit 100000001",
      "--limit 12x",
      "--size 0x10",
      "--size 100001x10",
      "--tile 4/4",
      "--tile 0/0",
      "--tile 1",
      "--fps 0",
      "--frames 0",
      "--seconds 0",
      "--to-range 0",
      "--to-range 1e-10001",
      "--to-view hello",
      "--tour-speed 4",
      "--stitch",
      "--stitch -o x.png",
      "--size 10x",
      "--size 10",
      "--options 64",
      "--options -1",
      "--colors 3,0,0,0,4",
      "--colors 0,64,0,0,4",
      "--colors 0,0,5,0,4",
      "--colors 0,0,0,7,4",
      "--colors 0,0,0,0,13",
      "--colors 0,0,0,0",
      "--center 1",
      "--center 1,2,3",
      "--center nan,0",
      "--view hello",
      "--view 120,0,0,0,2,0,0,0,0,0,0,1",
      "--view 120,0,0,0,2,1000,0,0,0,0,0",
      "--view 120,0,0,0,2,100000001,0,0,0,0,0,1",
      "--to-view 120,0,0,0,2,100000001,0,0,0,0,0,1",
      "--view 120,0,0,0,0,1000,0,0,0,0,0,1",
      "--view 120,0,0,0,-1,1000,0,0,0,0,0,1",
      "--view 120,0,0,0,2,1000,3,0,0,0,0,1",
      "--view 120,0,0,0,2,1000,0,64,0,0,0,1",
      "--view 120,0,0,0,2,1000,0,0,0,0,13,1",
      "--rotation 181",
      "--rotation -181",
      "--rotation 30.5",
      "--elevation 91",
      "--elevation -1",
      "--jpeg-quality 3",
      "--jpeg-quality",
      "--concave yes",
      "--julia 1",
      "--julia nan,0",
      "--init 1,2,3",
      "--init x,0",
      "--formula (Z",
      "--formula sin(Z)",
      "--a abc",
      "--b inf",
      "--bogus 1",
      "--limit",
      "stray",
  };
  for (const char* line : bad)
    EXPECT_THROW(ParseRenderArguments(Words(line)), EUsageError) << line;
}

TEST(RenderArguments, RefusesUnwritableOutput) {
  const std::filesystem::path folder = OwnTestFolder();
  auto check = [](const std::string& output, const std::string& counts = "") {
    TRenderRequest request;
    request.OutputPath = output;
    request.CountsPath = counts;
    CheckOutputPaths(request);
  };
  EXPECT_NO_THROW(check((folder / "a.png").string(), (folder / "a.raw").string()));
  EXPECT_NO_THROW(check((folder / "A.PNG").string()));
  EXPECT_THROW(check((folder / "missing" / "a.png").string()), EUsageError);
  EXPECT_THROW(check(folder.string()), EUsageError);
  EXPECT_NO_THROW(check((folder / "a.bmp").string()));
  EXPECT_NO_THROW(check((folder / "a.JPG").string()));
  EXPECT_THROW(check((folder / "a.gif").string()), EUsageError);
  EXPECT_THROW(check((folder / "a.jpeg").string()), EUsageError);
  EXPECT_THROW(check((folder / "a.png").string(), (folder / "no" / "c.raw").string()), EUsageError);
}

// Jobs that need what the output cannot give: bands need a flat PNG, a
// video an even size and an end.
TEST(RenderArguments, RefusesJobsTheOutputCannotTake) {
  const std::string folder = OwnTestFolder().string() + "/";
  // "@" stands for the temporary folder.
  const auto check = [&](std::string line) {
    for (std::size_t at; (at = line.find('@')) != std::string::npos;)
      line.replace(at, 1, folder);
    CheckOutputPaths(ParseRenderArguments(Words(line)));
  };
  const char* refused[] = {
      "--size 10000x10 -o @big.jpg",
      "--size 10000x10 --elevation 40 -o @big.png",
      "--size 10x10000 --rotation 10 -o @big.png",
      "--tile 1/4 --counts @a.raw -o @big.png",
      "--video @v.avi --to-range 1",
      "--video @v.mp4 --size 101x100 --to-range 1",
      "--video @v.mp4 --size 10000x100 --to-range 1",
      "--video @v.mp4",
      "--video @v.mp4 --random-tour",
      "--video @v.mp4 --tour A --random-tour --frames 3",
      "--video @v.mp4 --to-range 1 --tile 0/2",
      "--stitch @a.png -o @w.jpg",
  };
  for (const char* line : refused)
    EXPECT_THROW(check(line), EUsageError) << line;
  const char* taken[] = {
      "--size 100000x100000 -o @big.png",           "--tile 3/4 -o @big.png",
      "--video @v.mp4 --to-range 1e-3 --seconds 2", "--video @v.mp4 --random-tour --frames 30",
      "--stitch @a.png @w.png -o @w.png",
  };
  for (const char* line : taken)
    EXPECT_NO_THROW(check(line)) << line;
}

std::string FileBytes(const std::filesystem::path& path);

// The program itself; what it says on stderr goes to `errors` when given.
// `limits` are shell commands run before it, such as resource limits.
int RunRenderer(const std::string& arguments, const std::filesystem::path& errors = "/dev/null",
                const std::string& limits = "") {
  const std::string command = limits + " exec " + std::string(VORTEXA_RENDER_PATH) + " " +
                              arguments + " >/dev/null 2>" + errors.string();
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(RenderProgram, BadInputSaysOneLineExitsWithTwoAndWritesNothing) {
  const std::filesystem::path folder = OwnTestFolder();
  const auto picture = folder / "bad.png", errors = folder / "errors.txt";
  std::filesystem::remove(picture);
  for (const char* arguments :
       {"--range 0", "--limit 100000001", "--size 0x5", "--frobnicate",
        "--counts /nonexistent/dir/c.raw", "--formula Z-+C", "--view 120,0,0,0,2,0,0,0,0,0,0,1"}) {
    EXPECT_EQ(RunRenderer(std::string(arguments) + " -o " + picture.string(), errors), 2)
        << arguments;
    EXPECT_FALSE(std::filesystem::exists(picture)) << arguments;
    const std::string said = FileBytes(errors);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  }
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The team size fixed by the environment shows in the output line; a bad one
// is refused like bad arguments.
TEST(RenderProgram, EnvironmentFixesTheWorkersOfEveryPass) {
  const std::filesystem::path folder = OwnTestFolder();
  const auto picture = folder / "team.png", said = folder / "said.txt";
  const auto run = [&](const std::string& workers, const std::string& arguments) {
    const std::string command = "VORTEXA_WORKERS=" + workers + " " + VORTEXA_RENDER_PATH +
                                " --size 40x30 " + arguments + " -o " + picture.string() + " >" +
                                said.string() + " 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  ASSERT_EQ(run("3", ""), 0);
  EXPECT_NE(FileBytes(said).find(" workers=3,3,3 "), std::string::npos) << FileBytes(said);
  ASSERT_EQ(run("3", "--options 4"), 0);
  EXPECT_NE(FileBytes(said).find(" workers=1,1,1 "), std::string::npos) << FileBytes(said);

  std::filesystem::remove(picture);
  EXPECT_EQ(run("lots", ""), 2);
  EXPECT_FALSE(std::filesystem::exists(picture));
  const std::string error = FileBytes(said);
  EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
  EXPECT_NE(error.find("VORTEXA_WORKERS"), std::string::npos) << error;
}

// The switch for drawing deep views with merged steps takes 0 or 1; any
// other value is refused in one line before anything is drawn.
TEST(RenderProgram, RefusesABadMergedStepsSwitch) {
  const std::filesystem::path folder = OwnTestFolder();
  const auto picture = folder / "bla.png", said = folder / "said.txt";
  const auto run = [&](const std::string& value) {
    const std::string command = "VORTEXA_BLA=" + value + " " + VORTEXA_RENDER_PATH +
                                " --size 40x30 -o " + picture.string() + " >" + said.string() +
                                " 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(run("1"), 0);
  std::filesystem::remove(picture);
  EXPECT_EQ(run("yes"), 2);
  EXPECT_FALSE(std::filesystem::exists(picture));
  const std::string error = FileBytes(said);
  EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
  EXPECT_NE(error.find("VORTEXA_BLA"), std::string::npos) << error;
}

// A 34-digit centre on the command line and in a reproduction text: the
// renderer says the view it drew with every digit.
TEST(RenderProgram, PrintsTheViewWithEveryDigitOfADeepCentre) {
  const std::filesystem::path folder = OwnTestFolder();
  const auto picture = folder / "deep.png", said = folder / "said.txt";
  const std::string x = "-1.768778833000000000000000000000001";
  const std::string y = "0.001738996073207466834921002345678";
  const std::string text = "120,0," + x + "," + y + ",1E-30,100,0,0,0,0,4,1";
  for (const std::string& arguments :
       {"--center " + x + "," + y + " --range 1e-30 --limit 100", "--view " + text}) {
    const std::string command = std::string(VORTEXA_RENDER_PATH) + " --size 40x30 " + arguments +
                                " -o " + picture.string() + " >" + said.string();
    ASSERT_EQ(std::system(command.c_str()), 0) << arguments;
    EXPECT_NE(FileBytes(said).find("\nview=" + text + "\n"), std::string::npos) << FileBytes(said);
  }
}

TEST(RenderProgram, FormulaOfTheBuiltInRecurrenceGivesTheSameCounts) {
  const std::filesystem::path folder = OwnTestFolder();
  const auto plain = folder / "plain.raw", custom = folder / "custom.raw";
  const std::string common =
      "--size 40x30 --limit 200 --options 32 -o " + (folder / "formula.png").string();
  ASSERT_EQ(RunRenderer(common + " --counts " + plain.string()), 0);
  ASSERT_EQ(RunRenderer(common + " --formula Z*Z+C --counts " + custom.string()), 0);
  EXPECT_EQ(FileBytes(custom), FileBytes(plain));
}

TEST(RenderProgram, WritesPictureAndCounts) {
  const std::filesystem::path folder = OwnTestFolder();
  const auto picture = folder / "small.png", counts = folder / "small.raw";
  ASSERT_EQ(RunRenderer("--size 40x30 --limit 100 -o " + picture.string() + " --counts " +
                        counts.string()),
            0);
  EXPECT_GT(std::filesystem::file_size(picture), 0u);
  ASSERT_EQ(std::filesystem::file_size(counts), 40u * 30u * 2u);
  // The centre dot of the home view lies in the set.
  std::ifstream in(counts, std::ios::binary);
  in.seekg((15 * 40 + 20) * 2);
  unsigned char low = 0, high = 0;
  in.read(reinterpret_cast<char*>(&low), 1).read(reinterpret_cast<char*>(&high), 1);
  EXPECT_EQ(low | high << 8, 0xFFFF);
}

// The relief goes through the window's composition into BMP and JPEG files.
TEST(RenderProgram, WritesReliefAsBmpAndJpeg) {
  const std::filesystem::path folder = OwnTestFolder();
  for (const char* name : {"relief.bmp", "relief.jpg"}) {
    const auto picture = folder / name;
    std::filesystem::remove(picture);
    ASSERT_EQ(
        RunRenderer("--size 40x30 --limit 100 --rotation 30 --elevation 40 -o " + picture.string()),
        0)
        << name;
    std::ifstream in(picture, std::ios::binary);
    char magic[2] = {};
    in.read(magic, 2);
    if (picture.extension() == ".bmp") {
      EXPECT_EQ(std::string(magic, 2), "BM");
      EXPECT_EQ(std::filesystem::file_size(picture), 54u + 120u * 30u);
    } else {
      EXPECT_EQ(static_cast<unsigned char>(magic[0]), 0xFF);
      EXPECT_EQ(static_cast<unsigned char>(magic[1]), 0xD8);
    }
  }
}

std::size_t LineCount(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A full disk, here a file size limit of one block: one line that says why,
// exit status 1, and every earlier file as it was, with nothing left beside it.
TEST(RenderProgram, FailedWriteSaysWhyAndKeepsTheEarlierFile) {
  const std::filesystem::path folder = OwnTestFolder() / "full-disk";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directory(folder);
  const auto errors = folder / "errors.txt";
  const std::string sized = "--size 200x150 --limit 100 ";
  const std::pair<std::string, std::string> targets[] = {
      {"old.png", ""}, {"old.bmp", ""}, {"old.jpg", ""}, {"counts.png", "old.raw"}};
  for (const auto& [picture, counts] : targets) {
    const auto target = folder / (counts.empty() ? picture : counts);
    std::ofstream(target) << "earlier";
    const std::string arguments = sized + "-o " + (folder / picture).string() +
                                  (counts.empty() ? "" : " --counts " + (folder / counts).string());
    EXPECT_EQ(RunRenderer(arguments, errors, "trap '' XFSZ; ulimit -f 1;"), 1) << target;
    EXPECT_EQ(FileBytes(target), "earlier") << target;
    const std::string said = FileBytes(errors);
    EXPECT_EQ(LineCount(said), 1u) << said;
    EXPECT_NE(said.find("File too large"), std::string::npos) << said;
    EXPECT_NE(said.find(target.string()), std::string::npos) << said;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      EXPECT_TRUE(entry.path().filename().string().starts_with("old") || entry.path() == errors)
          << entry.path();
    }
    std::filesystem::remove(target);
  }
}

TEST(RenderProgram, RunningOutOfMemorySaysSoInOneLine) {
#ifdef VORTEXA_SANITIZED
  GTEST_SKIP() << "sanitizers reserve more address space than the limit allows";
#endif
  const std::filesystem::path folder = OwnTestFolder();
  const auto picture = folder / "huge.png", errors = folder / "errors.txt";
  std::filesystem::remove(picture);
  EXPECT_EQ(RunRenderer("--size 9999x9999 -o " + picture.string(), errors, "ulimit -v 600000;"), 1);
  const std::string said = FileBytes(errors);
  EXPECT_EQ(said, "vortexa-render: not enough memory for a 9999x9999 picture\n");
  EXPECT_FALSE(std::filesystem::exists(picture));
}

}  // namespace
}  // namespace vortexa
