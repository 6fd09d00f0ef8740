// A CSV output that never ends in the middle of a row: each row is written whole, and when a
// write fails (a full disk, a file size limit) the file is cut back to the last complete row
// and nothing more is written.
#pragma once

#include <sys/types.h>

#include <string>

namespace Orvanta {

class RowFile {
 public:
  RowFile() = default;
  RowFile(const RowFile&) = delete;
  RowFile& operator=(const RowFile&) = delete;
  ~RowFile();

  // Creates or empties path; an empty path writes to standard output. False when it cannot.
  bool open(const std::string& path);
  // One row, newline included. False, now and for every later row, once a write has failed.
  bool write(const std::string& row);
  bool failed() const { return failed_; }
  bool isOpen() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  bool owned_ = false;
  bool failed_ = false;
  off_t complete_ = 0;  // bytes of whole rows written
};

}  // namespace Orvanta
