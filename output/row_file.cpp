#include "row_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace Orvanta {

RowFile::~RowFile() {
  if (owned_) ::close(fd_);
}

bool RowFile::open(const std::string& path) {
  if (path.empty()) {
    fd_ = STDOUT_FILENO;
    return true;
  }
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  owned_ = fd_ >= 0;
  return owned_;
}

bool RowFile::write(const std::string& row) {
  if (failed_ || fd_ < 0) return false;
  std::size_t done = 0;
  while (done < row.size()) {
    const ssize_t n = ::write(fd_, row.data() + done, row.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      // A row cut by the failure goes; a pipe or terminal cannot be cut back, and a file that
      // cannot be cut back has nothing better to offer.
      const bool cut = owned_ && ::ftruncate(fd_, complete_) == 0;
      static_cast<void>(cut);
      return false;
    }
    done += std::size_t(n);
  }
  complete_ += off_t(row.size());
  return true;
}

}  // namespace Orvanta
