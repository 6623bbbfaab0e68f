#include "engine/large_block.h"

#include <new>
#include <utility>

#include "platform/platform.h"

namespace vv::engine {

namespace {

constexpr std::size_t kHuge = platform::kHugePageSize;

bool IsHuge(std::size_t size) {
  return size >= kHuge;
}

}  // namespace

LargeBlock::LargeBlock(std::size_t size) {
  if (IsHuge(size)) {
    const std::size_t rounded = (size + kHuge - 1) / kHuge * kHuge;
    data_ = static_cast<uint8_t*>(::operator new (rounded, std::align_val_t{kHuge}));
    size_ = rounded;
    platform::AdviseHugePages(data_, size_);
  } else {
    data_ = static_cast<uint8_t*>(::operator new(size));
    size_ = size;
  }
}

LargeBlock::~LargeBlock() {
  Release();
}

LargeBlock::LargeBlock(LargeBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

LargeBlock& LargeBlock::operator=(LargeBlock&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

void LargeBlock::Release() {
  if (data_ == nullptr) return;
  if (IsHuge(size_)) {
    ::operator delete (data_, std::align_val_t{kHuge});
  } else {
    ::operator delete(data_);
  }
  data_ = nullptr;
  size_ = 0;
}

}  // namespace vv::engine
