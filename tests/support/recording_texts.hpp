// An OperatorTexts for tests: keeps the last text and swatch (or box colour) per control and every
// change.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host.hpp"

namespace OrvantaTest {

class RecordingTexts : public Orvanta::OperatorTexts {
 public:
  void setText(const std::string& control, const std::string& text) override {
    texts_[control] = text;
    history_.emplace_back(control, text);
  }
  void setSwatch(const std::string& control, int r, int g, int b) override {
    swatches_[control] = {r, g, b};
  }
  // A box's background is kept as its swatch.
  void setBoxColour(const std::string& control, int r, int g, int b) override {
    swatches_[control] = {r, g, b};
  }

  void setDimmed(const std::string& control, bool dimmed) override { dimmed_[control] = dimmed; }
  bool dimmed(const std::string& control) const {
    const auto found = dimmed_.find(control);
    return found != dimmed_.end() && found->second;
  }

  // The control's last text; nothing when it was never set.
  std::optional<std::string> text(const std::string& control) const {
    const auto found = texts_.find(control);
    if (found == texts_.end()) return std::nullopt;
    return found->second;
  }
  // Every text the control received, in order.
  std::vector<std::string> textsOf(const std::string& control) const {
    std::vector<std::string> all;
    for (const auto& [name, text] : history_)
      if (name == control) all.push_back(text);
    return all;
  }
  std::optional<std::array<int, 3>> swatch(const std::string& control) const {
    const auto found = swatches_.find(control);
    if (found == swatches_.end()) return std::nullopt;
    return found->second;
  }
  const std::vector<std::pair<std::string, std::string>>& history() const { return history_; }

 private:
  std::map<std::string, std::string> texts_;
  std::map<std::string, std::array<int, 3>> swatches_;
  std::map<std::string, bool> dimmed_;
  std::vector<std::pair<std::string, std::string>> history_;
};

}  // namespace OrvantaTest
