#include "picture_feed.hpp"

#include <utility>

namespace Orvanta {

PictureFeed::PictureFeed(pose::PoseEstimator& estimator, cv::Size size, bool ahead,
                         std::string source, long read)
    : estimator_(estimator), size_(size), source_(std::move(source)), read_(read) {
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
  if (!queryFrame(item.picture, &item.problem)) {
    if (!item.problem) item.problem = earlyEnd(source_, read_);
    return item;
  }
  ++read_;
  if (item.picture.size() != size_) {
    item.problem = sizeProblem(item.picture.size(), size_);
    return item;
  }
  item.delivered = true;
  return item;
}

void PictureFeed::estimate(Item& item) const {
  if (item.delivered) item.pose = estimator_.estimate(item.picture).pose;
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

bool PictureFeed::next(cv::Mat& picture, pose::CameraPose& pose, PictureProblem& problem) {
  if (!end_) {
    std::optional<Item> item;
    if (decoder_.joinable()) {
      item = estimated_.pop();
    } else {
      item = decode();
      estimate(*item);
    }
    if (item && item->delivered) {
      picture = std::move(item->picture);
      pose = item->pose;
      return true;
    }
    end_ = item ? std::move(*item) : Item{};
  }
  problem = end_->problem;
  return false;
}

}  // namespace Orvanta
