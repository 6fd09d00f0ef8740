#include "console_texts.hpp"

namespace Orvanta {

ConsoleTexts::ConsoleTexts(std::ostream& out) : out_(out) {}

void ConsoleTexts::setText(const std::string& control, const std::string& text) {
  out_ << control << ": " << text << '\n';
}

void ConsoleTexts::setSwatch(const std::string& control, int r, int g, int b) {
  out_ << control << ": " << r << ", " << g << ", " << b << '\n';
}

}  // namespace Orvanta
