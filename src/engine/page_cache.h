// The page cache shared by every open file of an engine: a bounded set of
// page-sized frames, each holding one page of one file. A frame in use is
// pinned (PageRef); an unpinned frame may be taken for another page, the
// least recently used first (clock). A dirty frame is handed to its owner
// (FrameOwner::Spill) before it is taken, so that its page is not lost.
// When every frame is pinned the cache grows past its bound for the moment
// and gives the extra frames back as they are unpinned.
#ifndef VEVERAVE_ENGINE_PAGE_CACHE_H_
#define VEVERAVE_ENGINE_PAGE_CACHE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vv::engine {

inline constexpr std::size_t kPageSize = 4096;
// Default bound of the cache (the engine option VVENGINE_CACHE_SIZE).
inline constexpr std::size_t kDefaultCacheBytes = std::size_t{32} << 20;
// The cache never shrinks below this many frames, whatever the option says.
inline constexpr std::size_t kMinCacheFrames = 16;

class FrameOwner;

struct Frame {
  FrameOwner* owner = nullptr;  // nullptr: free
  uint32_t page = 0;
  uint32_t pins = 0;
  bool dirty = false;
  bool referenced = false;  // used since the clock hand last passed
  std::unique_ptr<uint8_t[]> data;
};

// What a file does for the cache: write out a dirty frame it is about to
// lose (may throw), and forget a frame the cache takes back.
class FrameOwner {
 public:
  virtual void Spill(Frame& frame) = 0;
  virtual void Forget(Frame& frame) = 0;
  virtual ~FrameOwner() = default;
};

class PageCache {
 public:
  explicit PageCache(std::size_t bytes);
  ~PageCache();
  PageCache(const PageCache&) = delete;
  PageCache& operator=(const PageCache&) = delete;

  // Changes the bound; frames beyond it are given back as they come free.
  void SetCapacity(std::size_t bytes);
  std::size_t capacity_frames() const { return capacity_; }
  std::size_t frame_count() const { return frames_.size(); }

  // A free frame for (owner, page), pinned once; its contents are
  // undefined. May spill another owner's dirty frame (which may throw) or
  // throw std::bad_alloc, taking nothing.
  Frame* Take(FrameOwner* owner, uint32_t page);
  // Gives a frame back at once (its owner no longer wants it).
  void Release(Frame* frame);
  void Unpin(Frame* frame) {
    if (--frame->pins == 0 && frames_.size() > capacity_) Shrink();
  }

 private:
  void Shrink();

  std::size_t capacity_;
  std::vector<std::unique_ptr<Frame>> frames_;
  std::vector<Frame*> free_;
  std::size_t hand_ = 0;
};

// A pinned frame; moves, unpins when it goes.
class PageRef {
 public:
  PageRef() = default;
  PageRef(PageCache* cache, Frame* frame) : cache_(cache), frame_(frame) {}
  PageRef(PageRef&& o) noexcept : cache_(o.cache_), frame_(o.frame_) { o.frame_ = nullptr; }
  PageRef& operator=(PageRef&& o) noexcept {
    if (this != &o) {
      Reset();
      cache_ = o.cache_;
      frame_ = o.frame_;
      o.frame_ = nullptr;
    }
    return *this;
  }
  PageRef(const PageRef&) = delete;
  PageRef& operator=(const PageRef&) = delete;
  ~PageRef() { Reset(); }

  explicit operator bool() const { return frame_ != nullptr; }
  uint8_t* data() const { return frame_->data.get(); }
  uint32_t page() const { return frame_->page; }
  Frame* frame() const { return frame_; }
  void Reset() {
    if (frame_ != nullptr) cache_->Unpin(frame_);
    frame_ = nullptr;
  }

 private:
  PageCache* cache_ = nullptr;
  Frame* frame_ = nullptr;
};

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_PAGE_CACHE_H_
