// Operator texts for runs without the operator window: one "control: text" line each.
#pragma once

#include <ostream>

#include "host.hpp"

namespace Orvanta {

class ConsoleTexts : public OperatorTexts {
 public:
  explicit ConsoleTexts(std::ostream& out);  // std::cerr for the program
  void setText(const std::string& control, const std::string& text) override;
  void setSwatch(const std::string& control, int r, int g, int b) override;

 private:
  std::ostream& out_;
};

// Operator texts nobody reads (quiet headless runs, benchmarks).
class SilentTexts : public OperatorTexts {
 public:
  void setText(const std::string&, const std::string&) override {}
  void setSwatch(const std::string&, int, int, int) override {}
};

}  // namespace Orvanta
