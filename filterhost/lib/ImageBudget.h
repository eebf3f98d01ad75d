// How many whole images a batch of filter runs may hold at once. Each stage
// takes a ticket before it allocates an image (the decoder for the document
// it reads into, the filter for the session's second copy) and gives it back
// when that image is gone, so the stages running side by side never hold
// more than the budget, whatever their speeds.
#pragma once

#include <condition_variable>
#include <mutex>

namespace filterhost {

class ImageBudget {
public:
    explicit ImageBudget(int images) : free_(images) {}
    ImageBudget(const ImageBudget&) = delete;
    ImageBudget& operator=(const ImageBudget&) = delete;

    // The right to hold one image; given back when it is destroyed or reset.
    class Ticket {
    public:
        Ticket() = default;
        Ticket(Ticket&& other) noexcept : budget_(other.budget_) { other.budget_ = nullptr; }
        Ticket& operator=(Ticket&& other) noexcept;
        ~Ticket() { Reset(); }
        Ticket(const Ticket&) = delete;
        Ticket& operator=(const Ticket&) = delete;
        void Reset();

    private:
        friend class ImageBudget;
        explicit Ticket(ImageBudget* budget) : budget_(budget) {}
        ImageBudget* budget_ = nullptr;
    };

    // Waits until an image is free and takes it.
    Ticket Acquire();

private:
    void Release();

    std::mutex mutex_;
    std::condition_variable freed_;
    int free_;
};

}  // namespace filterhost
