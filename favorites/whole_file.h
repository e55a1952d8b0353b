// Files written whole: beside the target first, then renamed over it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vortexa {

// The bytes of a regular file. Throws std::runtime_error naming the file
// and the reason when it cannot be read (anything but a regular file among
// them).
std::string ReadFileWhole(const std::filesystem::path& fileName);

// What a file written whole may be besides a regular (or new) file: a pipe
// or a character device (/dev/null, a terminal) is written into directly,
// never replaced. Anything else that is no regular file is refused.
enum class TTargetKinds { kRegularOnly, kStreamsToo };

// Writes `bytes` to a temporary file beside fileName and puts it in the
// target's place only when complete, so that a failure (a full disk) never
// leaves a half-written file and keeps any earlier one. Through a symbolic
// link the file it points to is replaced; an existing file keeps its
// permissions. Throws std::runtime_error naming the file and the reason,
// also for a target that `kinds` does not allow.
void WriteFileWhole(const std::filesystem::path& fileName, std::string_view bytes,
                    TTargetKinds kinds = TTargetKinds::kRegularOnly);

// The same for a file written piece by piece: the pieces go to a temporary
// file beside the target, and Commit puts it in the target's place. Without
// Commit nothing is left behind (a pipe or device has had what was written). Throws
// std::runtime_error naming the file and the reason.
class TWholeFile {
 public:
  explicit TWholeFile(const std::filesystem::path& fileName,
                      TTargetKinds kinds = TTargetKinds::kRegularOnly);
  ~TWholeFile();
  TWholeFile(const TWholeFile&) = delete;
  TWholeFile& operator=(const TWholeFile&) = delete;

  void Write(std::string_view bytes);
  void Commit();

 private:
  [[noreturn]] void Fail(const char* action, int error);

  std::filesystem::path FTarget;
  std::filesystem::path FTemporary;  // empty when writing into a pipe or device
  int FFile = -1;
};

}  // namespace vortexa
