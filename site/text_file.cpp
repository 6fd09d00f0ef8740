#include "text_file.hpp"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace Orvanta::site {

std::optional<std::string> readTextFile(const std::string& path, std::string* problem,
                                        std::size_t largest) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    *problem = "no such file";
    return std::nullopt;
  }
  if (!std::filesystem::is_regular_file(path, ec)) {
    *problem = "not a regular file";
    return std::nullopt;
  }
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (!ec && size > largest) {
    *problem = "larger than " + std::to_string(largest) + " bytes";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  if (!in) {
    *problem = "cannot be read";
    return std::nullopt;
  }
  return content.str();
}

}  // namespace Orvanta::site
