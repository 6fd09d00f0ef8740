#include "interruption.hpp"

namespace Orvanta {

namespace {

volatile std::sig_atomic_t raisedSignal = 0;

extern "C" void note(int signal) {
  raisedSignal = signal;
}

}  // namespace

Interruption::Interruption() {
  raisedSignal = 0;
  struct sigaction noting {};
  noting.sa_handler = note;
  sigemptyset(&noting.sa_mask);
  sigaction(SIGINT, &noting, &previousInt_);
  sigaction(SIGTERM, &noting, &previousTerm_);
}

Interruption::~Interruption() {
  sigaction(SIGINT, &previousInt_, nullptr);
  sigaction(SIGTERM, &previousTerm_, nullptr);
}

bool Interruption::raised() const {
  return raisedSignal != 0;
}

int Interruption::exitCode() const {
  return 128 + raisedSignal;
}

}  // namespace Orvanta
