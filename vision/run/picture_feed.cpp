#include "picture_feed.hpp"

#include <utility>

namespace Orvanta {

PictureFeed::PictureFeed(pose::PoseEstimator& estimator, cv::Size size, bool ahead,
                         std::string source, long read, CaptureClock clock)
    : estimator_(estimator), size_(size), source_(std::move(source)), read_(read), clock_(clock) {
  if (!ahead) return;
  decoder_ = std::thread([this] { decodeAhead(); });
  estimatorThread_ = std::thread([this] { estimateAhead(); });
}

PictureFeed::~PictureFeed() {
  decoded_.close();
  estimated_.close();
  if (decoder_.joinable()) decoder_.join();
  if (estimatorThread_.joinable()) estimatorThread_.join();
}

PictureFeed::Item PictureFeed::decode() {
  Item item;
  cv::Mat& picture = item.estimated.picture;
  if (!queryFrame(picture, &item.problem)) {
    if (!item.problem) item.problem = earlyEnd(source_, read_);
    return item;
  }
  item.estimated.time = clock_.stamp(read_++);
  if (picture.size() != size_) {
    item.problem = sizeProblem(picture.size(), size_);
    return item;
  }
  item.delivered = true;
  return item;
}

void PictureFeed::estimate(Item& item) const {
  if (item.delivered) item.estimated.pose = estimator_.estimate(item.estimated.picture).pose;
}

// Each thread stops after passing on the item that ended the source, or when the feed goes.
void PictureFeed::decodeAhead() {
  for (bool more = true; more;) {
    Item item = decode();
    more = item.delivered;
    if (!decoded_.push(std::move(item))) return;
  }
}

void PictureFeed::estimateAhead() {
  for (bool more = true; more;) {
    std::optional<Item> item = decoded_.pop();
    if (!item) return;
    estimate(*item);
    more = item->delivered;
    if (!estimated_.push(std::move(*item))) return;
  }
}

bool PictureFeed::next(Estimated& into, PictureProblem& problem) {
  if (!end_) {
    std::optional<Item> item;
    if (decoder_.joinable()) {
      item = estimated_.pop();
    } else {
      item = decode();
      estimate(*item);
    }
    if (item && item->delivered) {
      into = std::move(item->estimated);
      return true;
    }
    end_ = item ? std::move(*item) : Item{};
  }
  problem = end_->problem;
  return false;
}

}  // namespace Orvanta
