// Reading the small text files that describe the set-up, with a reason when one cannot be read.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace Orvanta::site {

// The whole file; nothing when it is missing, not a regular file, unreadable or larger than
// `largest` bytes, and *problem then says which.
std::optional<std::string> readTextFile(const std::string& path, std::string* problem,
                                        std::size_t largest = std::size_t(1) << 20);

// Sets *problem to why; returns nothing, for readers that give an optional.
inline std::nullopt_t refuse(std::string* problem, const std::string& why) {
  *problem = why;
  return std::nullopt;
}

}  // namespace Orvanta::site
