#include "ImageBudget.h"

namespace filterhost {

ImageBudget::Ticket& ImageBudget::Ticket::operator=(Ticket&& other) noexcept {
    if (this != &other) {
        Reset();
        budget_ = other.budget_;
        other.budget_ = nullptr;
    }
    return *this;
}

void ImageBudget::Ticket::Reset() {
    if (budget_ != nullptr) budget_->Release();
    budget_ = nullptr;
}

ImageBudget::Ticket ImageBudget::Acquire() {
    std::unique_lock<std::mutex> lock(mutex_);
    freed_.wait(lock, [this] { return free_ > 0; });
    --free_;
    return Ticket(this);
}

void ImageBudget::Release() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++free_;
    }
    freed_.notify_one();
}

}  // namespace filterhost
