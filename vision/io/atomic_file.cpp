#include "atomic_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace Orvanta {

namespace fs = std::filesystem;

namespace {

bool fail(std::string* problem, const std::string& why) {
  if (problem) *problem = why;
  return false;
}

// Follows symbolic links to the file they name, which need not exist yet.
fs::path resolved(const fs::path& path) {
  fs::path target = path;
  std::error_code ec;
  for (int depth = 0; depth < 40 && fs::is_symlink(fs::symlink_status(target, ec)); ++depth) {
    const fs::path next = fs::read_symlink(target, ec);
    if (ec) break;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target;
}

bool writeAll(int fd, const std::string& contents) {
  std::size_t done = 0;
  while (done < contents.size()) {
    const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += std::size_t(n);
  }
  return true;
}

// What a new file gets: read and write for all, less the process's umask.
mode_t usualMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

void syncFolder(const fs::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool replaceFile(const std::string& path, const std::string& contents, std::string* problem) {
  const fs::path target = resolved(path);
  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode)) return fail(problem, "not a regular file");
  if (exists && (existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
    return fail(problem, "the file is read-only; it was not replaced");
  const mode_t mode = exists ? (existing.st_mode & 07777) : usualMode();

  const fs::path folder = target.parent_path();
  std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0)
    return fail(problem, std::string("cannot write in its folder: ") + std::strerror(errno));
  const std::string temporary(name.data());
  const bool written = writeAll(fd, contents) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
  const int writeErrno = errno;
  if (::close(fd) != 0 || !written) {
    ::unlink(temporary.c_str());
    return fail(problem,
                std::string("cannot write: ") + std::strerror(written ? errno : writeErrno));
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    const int renameErrno = errno;
    ::unlink(temporary.c_str());
    return fail(problem, std::string("cannot replace the file: ") + std::strerror(renameErrno));
  }
  syncFolder(folder);
  return true;
}

}  // namespace Orvanta
