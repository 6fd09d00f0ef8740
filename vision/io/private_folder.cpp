#include "private_folder.hpp"

#include <stdlib.h>

#include <utility>

namespace Orvanta {

std::optional<PrivateFolder> PrivateFolder::create(const std::string& prefix) {
  std::error_code error;
  const std::filesystem::path temp = std::filesystem::temp_directory_path(error);
  if (error) return std::nullopt;
  // mkdtemp makes a new folder, 0700, or fails: it never takes over one that exists.
  std::string pattern = (temp / (prefix + "-XXXXXX")).string();
  if (!::mkdtemp(pattern.data())) return std::nullopt;
  return PrivateFolder(pattern);
}

PrivateFolder::PrivateFolder(PrivateFolder&& other) noexcept
    : path_(std::move(other.path_)), kept_(other.kept_) {
  other.path_.clear();
}

PrivateFolder& PrivateFolder::operator=(PrivateFolder&& other) noexcept {
  std::swap(path_, other.path_);
  std::swap(kept_, other.kept_);
  return *this;
}

PrivateFolder::~PrivateFolder() {
  if (kept_ || path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace Orvanta
