// A folder of the user's own for a run's scratch files. It is made afresh under the system's
// temporary folder with a unique name and mode 0700, so no other user can have put a file or a
// link in it beforehand or add one later; it goes, with what it holds, when its owner does,
// unless kept.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace Orvanta {

class PrivateFolder {
 public:
  // Nothing when the folder cannot be made (no temporary folder, no space, no permission).
  static std::optional<PrivateFolder> create(const std::string& prefix);
  ~PrivateFolder();
  PrivateFolder(PrivateFolder&& other) noexcept;
  PrivateFolder& operator=(PrivateFolder&& other) noexcept;
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  void keep() { kept_ = true; }

 private:
  explicit PrivateFolder(std::filesystem::path path) : path_(std::move(path)) {}
  std::filesystem::path path_;
  bool kept_ = false;
};

}  // namespace Orvanta
