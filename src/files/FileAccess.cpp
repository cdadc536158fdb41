#include "files/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace vorn {

namespace {

std::string Reason(int err) { return std::strerror(err); }

bool Fail(std::string* error, int err) {
  if (error) *error = Reason(err);
  return false;
}

bool WriteAll(int fd, const std::string& bytes, int* err) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      *err = n < 0 ? errno : ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<std::string> ReadAll(int fd, std::string* error) {
  std::string out;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      Fail(error, errno);
      return std::nullopt;
    }
    if (n == 0) return out;
    out.append(buf, static_cast<std::size_t>(n));
  }
}

// Writes to something that cannot be replaced by a rename: standard output, a device, a FIFO.
bool WriteInPlace(int fd, const std::string& bytes, std::string* error) {
  int err = 0;
  if (!WriteAll(fd, bytes, &err)) return Fail(error, err);
  return true;
}

// Where a save lands: a symbolic link's own file, so the link stays a link.
std::string SaveTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : path;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::optional<std::string> ReadFileBytes(const std::string& path, std::string* error) {
  if (path == kStandardStream) return ReadAll(STDIN_FILENO, error);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    Fail(error, errno);
    return std::nullopt;
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    Fail(error, EISDIR);
    return std::nullopt;
  }
  auto bytes = ReadAll(fd, error);
  ::close(fd);
  return bytes;
}

bool SaveFileBytes(const std::string& path, const std::string& bytes, std::string* error) {
  // A file size limit must end in "File too large", not in the signal that kills the program.
  static const bool ignoreSizeSignal = (std::signal(SIGXFSZ, SIG_IGN), true);
  (void)ignoreSizeSignal;

  if (path == kStandardStream) return WriteInPlace(STDOUT_FILENO, bytes, error);
  const std::string target = SaveTarget(path);
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return Fail(error, EISDIR);
  if (exists && !S_ISREG(st.st_mode)) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return Fail(error, errno);
    const bool ok = WriteInPlace(fd, bytes, error);
    if (::close(fd) != 0 && ok) return Fail(error, errno);
    return ok;
  }
  if (exists && ::access(target.c_str(), W_OK) != 0) return Fail(error, errno);

  std::string temp = FolderOf(target) + "/.vorn-save-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return Fail(error, errno);
  // The new file gets the old one's permissions, or those a newly created file would get.
  mode_t mode = st.st_mode & 07777;
  if (!exists) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  int err = 0;
  bool ok = ::fchmod(fd, mode) == 0 || (err = errno, false);
  ok = ok && WriteAll(fd, bytes, &err);
  ok = ok && (::fsync(fd) == 0 || (err = errno, false));
  if (::close(fd) != 0 && ok) {
    err = errno;
    ok = false;
  }
  ok = ok && (::rename(temp.c_str(), target.c_str()) == 0 || (err = errno, false));
  if (!ok) {
    ::unlink(temp.c_str());
    return Fail(error, err);
  }
  return true;
}

std::string SaveProblem(const std::string& path) {
  if (path == kStandardStream) return "";
  const std::string target = SaveTarget(path);
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return Reason(EISDIR);
    // A device or FIFO is written in place; a regular file is replaced through its folder.
    if (!S_ISREG(st.st_mode)) return ::access(target.c_str(), W_OK) == 0 ? "" : Reason(errno);
    if (::access(target.c_str(), W_OK) != 0) return Reason(errno);
  } else if (errno != ENOENT) {
    return Reason(errno);
  }
  const std::string folder = FolderOf(target);
  if (::stat(folder.c_str(), &st) != 0) return Reason(errno);
  if (!S_ISDIR(st.st_mode)) return Reason(ENOTDIR);
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return Reason(errno);
  return "";
}

}  // namespace vorn
