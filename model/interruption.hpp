// Ctrl-C (SIGINT) or a termination request (SIGTERM) during a long run: noted rather than
// fatal while an Interruption lives, so that the run stops after the row it is writing and its
// files end at a whole row.
#pragma once

#include <csignal>

namespace Orvanta {

class Interruption {
 public:
  Interruption();   // takes both signals over
  ~Interruption();  // gives them back as they were
  Interruption(const Interruption&) = delete;
  Interruption& operator=(const Interruption&) = delete;

  bool raised() const;
  // The exit status a shell gives a program ended by that signal.
  int exitCode() const;

 private:
  struct sigaction previousInt_ {
  }, previousTerm_{};
};

}  // namespace Orvanta
