// A KeyWait for tests: returns scripted keys one per wait, then -1, and can run a callback at
// every wait (where the real event loop would deliver a click or a trackbar move).
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "host.hpp"

namespace OrvantaTest {

class ScriptedKeyWait : public Orvanta::KeyWait {
 public:
  // onWait gets the 0-based number of the wait, before its key is returned.
  explicit ScriptedKeyWait(std::vector<int> keys = {}, std::function<void(int)> onWait = nullptr)
      : keys_(std::move(keys)), onWait_(std::move(onWait)) {}

  int wait(int ms) override {
    const int index = static_cast<int>(durations_.size());
    durations_.push_back(ms);
    if (onWait_) onWait_(index);
    return index < static_cast<int>(keys_.size()) ? keys_[index] : -1;
  }

  int waits() const { return static_cast<int>(durations_.size()); }
  const std::vector<int>& durations() const { return durations_; }  // ms asked, per wait

 private:
  std::vector<int> keys_;
  std::function<void(int)> onWait_;
  std::vector<int> durations_;
};

}  // namespace OrvantaTest
