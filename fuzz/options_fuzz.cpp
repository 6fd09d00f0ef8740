// Fuzzes the command line: the input, split at zero bytes, is the argument list. Every list
// is parsed or refused with a usage error, never a crash.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "calibration_file.hpp"
#include "options.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> words{"orvanta"};
  std::string word;
  for (std::size_t i = 0; i < size && words.size() < 32; ++i) {
    if (data[i] == 0) {
      words.push_back(word);
      word.clear();
    } else {
      word += char(data[i]);
    }
  }
  words.push_back(word);
  std::vector<const char*> argv;
  for (const std::string& w : words) argv.push_back(w.c_str());
  Orvanta::Options options;
  std::ostringstream out, err;
  const auto code = Orvanta::parseOptions(int(argv.size()), argv.data(), options, out, err);
  if (code && *code != 0 && *code != 2) __builtin_trap();
  std::string error;
  if (!code && !options.trackbars.empty())
    Orvanta::parseTrackbarAssignments(options.trackbars, &error);
  // An address the command line took is one the link can be set up for.
  if (!code) Orvanta::linkSettings(options.link, 0);
  return 0;
}
