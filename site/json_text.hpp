// JSON documents the user writes by hand (calibration and layout files): parsed strictly, and
// named in messages so that any key gives a message of one readable line.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace Orvanta::site {

using Json = nlohmann::ordered_json;

// The document; nothing when the text is not one JSON value, or an object in it holds a key
// twice (which a parser would otherwise settle silently), and *problem then says which.
std::optional<Json> parseStrictJson(const std::string& text, std::string* problem);

// A key as a message names it: quoted and escaped as JSON writes it, so that a key holding a
// line break (or bytes that are not UTF-8) still gives a message of one line, and cut short, so
// that a huge one gives a line one can read.
std::string keyText(const std::string& key);

}  // namespace Orvanta::site
