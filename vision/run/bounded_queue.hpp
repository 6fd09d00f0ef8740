// A queue between two threads that holds at most a few items: push waits while it is full, pop
// while it is empty; once closed both give up at once.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace Orvanta {

template <class T>
class BoundedQueue {
 public:
  explicit BoundedQueue(std::size_t capacity) : capacity_(capacity) {}

  // False when the queue was closed before there was room.
  bool push(T item) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return closed_ || items_.size() < capacity_; });
    if (closed_) return false;
    items_.push_back(std::move(item));
    lock.unlock();
    changed_.notify_all();
    return true;
  }

  // Nothing when the queue was closed before an item came.
  std::optional<T> pop() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return closed_ || !items_.empty(); });
    if (closed_) return std::nullopt;
    T item = std::move(items_.front());
    items_.pop_front();
    lock.unlock();
    changed_.notify_all();
    return item;
  }

  void close() {
    {
      const std::lock_guard lock(mutex_);
      closed_ = true;
    }
    changed_.notify_all();
  }

 private:
  std::size_t capacity_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<T> items_;
  bool closed_ = false;
};

}  // namespace Orvanta
