#include "whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

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

}  // namespace

void WriteFileWhole(const fs::path& fileName, std::string_view bytes) {
  // Through a symbolic link (as dot-file managers make) the file it points
  // to is replaced, not the link.
  std::error_code ec;
  fs::path target = fs::is_symlink(fileName, ec) ? fs::canonical(fileName, ec) : fileName;
  if (ec || target.empty()) target = fileName;

  fs::path temporary;
  const int fd = CreateTemporaryBeside(target, temporary);
  if (fd < 0) throw FileError("create a file beside", target, errno);
  bool ok = WriteAll(fd, bytes) && KeepPermissions(fd, target) && fsync(fd) == 0;
  int failure = ok ? 0 : errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    failure = errno;
  }
  if (ok && rename(temporary.c_str(), target.c_str()) != 0) {
    ok = false;
    failure = errno;
  }
  if (!ok) {
    unlink(temporary.c_str());
    throw FileError("write", target, failure);
  }
  SyncFolder(target.parent_path().empty() ? fs::path(".") : target.parent_path());
}

}  // namespace vortexa
