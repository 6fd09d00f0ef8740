#include "json_text.hpp"

#include <memory>
#include <set>
#include <vector>

namespace Orvanta::site {

namespace {

// A parser callback that remembers the first key an object holds twice.
Json::parser_callback_t rejectDuplicateKeys(std::string& duplicate) {
  auto keys = std::make_shared<std::vector<std::set<std::string>>>();
  return [keys, &duplicate](int, nlohmann::json::parse_event_t event, Json& parsed) {
    using Event = nlohmann::json::parse_event_t;
    if (event == Event::object_start) keys->emplace_back();
    if (event == Event::object_end && !keys->empty()) keys->pop_back();
    if (event == Event::key && !keys->empty() &&
        !keys->back().insert(parsed.get<std::string>()).second && duplicate.empty())
      duplicate = parsed.get<std::string>();
    return true;
  };
}

}  // namespace

std::optional<Json> parseStrictJson(const std::string& text, std::string* problem) {
  std::string duplicate;
  Json document = Json::parse(text, rejectDuplicateKeys(duplicate), false);
  if (!duplicate.empty()) {
    *problem = "the key " + keyText(duplicate) + " appears twice";
    return std::nullopt;
  }
  if (document.is_discarded()) {
    *problem = "not valid JSON (or more after the document)";
    return std::nullopt;
  }
  return document;
}

std::string keyText(const std::string& key) {
  constexpr std::size_t kLongest = 40;  // characters of the key shown
  const bool cut = key.size() > kLongest;
  const std::string shown = cut ? key.substr(0, kLongest) : key;
  const std::string quoted = Json(shown).dump(-1, ' ', false, Json::error_handler_t::replace);
  return cut ? quoted.substr(0, quoted.size() - 1) + "...\" (" + std::to_string(key.size()) +
                   " bytes)"
             : quoted;
}

}  // namespace Orvanta::site
