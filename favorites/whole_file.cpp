#include "whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>

namespace vortexa {

namespace fs = std::filesystem;

namespace {

std::runtime_error FileError(const std::string& action, const fs::path& file, int error) {
  return std::runtime_error("cannot " + action + " " + file.string() + ": " + std::strerror(error));
}

// A name of our own beside the target, so the final rename stays on one
// file system.
int CreateTemporaryBeside(const fs::path& target, fs::path& temporary) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = target;
    std::string name = ".";
    name.append(target.filename().string()).append(".").append(std::to_string(getpid()));
    name.append(".").append(std::to_string(counter++)).append(".tmp");
    temporary.replace_filename(name);
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// An existing file keeps its permissions; a new one gets the default ones.
bool KeepPermissions(int fd, const fs::path& target) {
  struct stat status {};
  if (stat(target.c_str(), &status) != 0) return errno == ENOENT;
  return fchmod(fd, status.st_mode & 07777) == 0;
}

void SyncFolder(const fs::path& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;  // the data is already safe in the file; this only hurries it
  fsync(fd);
  close(fd);
}

// Through a symbolic link (as dot-file managers make) the file it points to is
// written, not the link; a link to nothing gets the file it names.
fs::path LinkTarget(const fs::path& fileName) {
  std::error_code ec;
  if (!fs::is_symlink(fileName, ec)) return fileName;
  if (fs::path target = fs::canonical(fileName, ec); !ec) return target;
  const fs::path pointed = fs::read_symlink(fileName, ec);
  return ec ? fileName : fileName.parent_path() / pointed;
}

bool IsStream(mode_t mode) {
  return S_ISFIFO(mode) || S_ISCHR(mode);
}

// Opens a pipe or character device the target is, for writing into it
// directly; -1 for a regular or missing target that is to be replaced.
// Throws for a target of a kind not allowed.
int OpenStream(const fs::path& target, TTargetKinds kinds) {
  struct stat status {};
  if (stat(target.c_str(), &status) != 0 || S_ISREG(status.st_mode)) return -1;
  if (kinds != TTargetKinds::kStreamsToo || !IsStream(status.st_mode))
    throw std::runtime_error("cannot write " + target.string() + ": not a regular file");
  const int fd = open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) throw FileError("open", target, errno);
  return fd;
}

}  // namespace

TWholeFile::TWholeFile(const fs::path& fileName, TTargetKinds kinds)
    : FTarget(LinkTarget(fileName)) {
  FFile = OpenStream(FTarget, kinds);
  if (FFile >= 0) return;
  FFile = CreateTemporaryBeside(FTarget, FTemporary);
  if (FFile < 0) throw FileError("create a file beside", FTarget, errno);
}

TWholeFile::~TWholeFile() {
  if (FFile < 0) return;
  close(FFile);
  if (!FTemporary.empty()) unlink(FTemporary.c_str());
}

void TWholeFile::Fail(const char* action, int error) {
  if (FFile >= 0) close(FFile);
  FFile = -1;
  if (!FTemporary.empty()) unlink(FTemporary.c_str());
  throw FileError(action, FTarget, error);
}

void TWholeFile::Write(std::string_view bytes) {
  if (!WriteAll(FFile, bytes)) Fail("write", errno);
}

void TWholeFile::Commit() {
  if (FTemporary.empty()) {
    if (close(std::exchange(FFile, -1)) != 0) throw FileError("write", FTarget, errno);
    return;
  }
  if (!KeepPermissions(FFile, FTarget) || fsync(FFile) != 0) Fail("write", errno);
  const int file = std::exchange(FFile, -1);
  if (close(file) != 0 || rename(FTemporary.c_str(), FTarget.c_str()) != 0) {
    const int error = errno;
    unlink(FTemporary.c_str());
    throw FileError("write", FTarget, error);
  }
  SyncFolder(FTarget.parent_path().empty() ? fs::path(".") : FTarget.parent_path());
}

std::string ReadFileWhole(const fs::path& fileName) {
  // A pipe would wait for a writer, a device give endless bytes.
  std::error_code ec;
  if (fs::is_directory(fileName, ec)) throw FileError("read", fileName, EISDIR);
  if (!fs::is_regular_file(fileName, ec))
    throw std::runtime_error("cannot read " + fileName.string() + ": not a regular file");
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw FileError("read", fileName, errno);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw FileError("read", fileName, errno);
  return bytes;
}

void WriteFileWhole(const fs::path& fileName, std::string_view bytes, TTargetKinds kinds) {
  TWholeFile file(fileName, kinds);
  file.Write(bytes);
  file.Commit();
}

}  // namespace vortexa
