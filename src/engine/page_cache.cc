#include "engine/page_cache.h"

#include <algorithm>

namespace vv::engine {

namespace {

constexpr int kDirtyPasses = 16;

std::size_t FramesFor(std::size_t bytes) {
  return std::max(kMinCacheFrames, bytes / kPageSize);
}

}  // namespace

PageCache::PageCache(std::size_t bytes) : capacity_(FramesFor(bytes)) {}

PageCache::~PageCache() = default;

void PageCache::SetCapacity(std::size_t bytes) {
  capacity_ = FramesFor(bytes);
  if (frames_.size() > capacity_) Shrink();
}

Frame* PageCache::Take(FrameOwner* owner, uint32_t page) {
  Frame* frame = nullptr;
  if (!free_.empty()) {
    frame = free_.back();
  } else if (frames_.size() < capacity_) {
    auto fresh = std::make_unique<Frame>();
    fresh->data = std::make_unique<uint8_t[]>(kPageSize);
    frames_.reserve(frames_.size() + 1);
    free_.reserve(frames_.size() + 1);
    frame = fresh.get();
    frames_.push_back(std::move(fresh));
    free_.push_back(frame);
  } else {
    // Clock: a frame used since the hand last passed gets another round;
    // a few dirty ones (each costs a write to let go) are passed over for a
    // clean one.
    int dirty_passed = 0;
    for (std::size_t looked = 0; looked < 2 * frames_.size() && frame == nullptr; ++looked) {
      Frame* f = frames_[hand_].get();
      hand_ = (hand_ + 1) % frames_.size();
      if (f->pins > 0) continue;
      if (f->referenced) {
        f->referenced = false;
        continue;
      }
      if (f->dirty && dirty_passed++ < kDirtyPasses) continue;
      frame = f;
    }
    if (frame == nullptr) {
      // Everything is pinned: grow for the moment.
      auto fresh = std::make_unique<Frame>();
      fresh->data = std::make_unique<uint8_t[]>(kPageSize);
      frames_.reserve(frames_.size() + 1);
      free_.reserve(frames_.size() + 1);
      frames_.push_back(std::move(fresh));
      free_.push_back(frames_.back().get());
      frame = free_.back();
    } else {
      if (frame->dirty) frame->owner->Spill(*frame);  // may throw: nothing taken yet
      frame->owner->Forget(*frame);
      frame->owner = nullptr;
      free_.push_back(frame);
    }
  }
  free_.pop_back();
  frame->owner = owner;
  frame->page = page;
  frame->pins = 1;
  frame->dirty = false;
  frame->referenced = true;
  return frame;
}

void PageCache::Release(Frame* frame) {
  frame->owner = nullptr;
  frame->dirty = false;
  frame->pins = 0;
  free_.push_back(frame);  // capacity reserved when the frame was made
  if (frames_.size() > capacity_) Shrink();
}

void PageCache::Shrink() {
  // Free frames go first; a clean unpinned one may go too.
  for (std::size_t i = frames_.size(); i-- > 0 && frames_.size() > capacity_;) {
    Frame* f = frames_[i].get();
    if (f->pins > 0 || f->dirty) continue;
    if (f->owner != nullptr) {
      f->owner->Forget(*f);
      f->owner = nullptr;
    } else {
      free_.erase(std::find(free_.begin(), free_.end(), f));
    }
    frames_.erase(frames_.begin() + static_cast<std::ptrdiff_t>(i));
  }
  hand_ = 0;
}

}  // namespace vv::engine
