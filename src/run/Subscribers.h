// Subscriptions to what an object tells: each subscriber holds a handle that ends its
// subscription when destroyed, so no subscriber is overwritten by another or told after it is gone.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace qn {

// Ends one subscription when destroyed or reset; does nothing once the told object is gone.
class Subscription {
  public:
    Subscription() = default;
    explicit Subscription(std::function<void()> end) : end_(std::move(end)) {}
    Subscription(Subscription&& other) noexcept : end_(std::exchange(other.end_, {})) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            Reset();
            end_ = std::exchange(other.end_, {});
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { Reset(); }

    void Reset() {
        if (end_) std::exchange(end_, {})();
    }

  private:
    std::function<void()> end_;
};

template <typename Signature> class Subscribers;

// The subscribers to one kind of news, told in the order they subscribed. A subscriber that
// unsubscribes while the others are being told is not told after that.
template <typename Result, typename... Args> class Subscribers<Result(Args...)> {
    static_assert(std::is_void_v<Result> || std::is_same_v<Result, bool>);

  public:
    using Callback = std::function<Result(Args...)>;

    Subscribers() = default;
    Subscribers(const Subscribers&) = delete;
    Subscribers& operator=(const Subscribers&) = delete;

    [[nodiscard]] Subscription Subscribe(Callback callback) {
        auto slot = std::make_shared<Slot>(Slot{std::move(callback), true});
        slots_->push_back(slot);
        return Subscription([list = std::weak_ptr<List>(slots_), weak = std::weak_ptr<Slot>(slot)] {
            const auto subscribed = list.lock();
            const auto ended = weak.lock();
            if (!subscribed || !ended) return;
            ended->Live = false;
            std::erase(*subscribed, ended);
        });
    }

    bool Empty() const { return slots_->empty(); }

    // Tells every subscriber; for news that asks, true when every subscriber answered true
    // (and when there is none).
    Result Notify(Args... args) const {
        const List told = *slots_;
        if constexpr (std::is_void_v<Result>) {
            for (const auto& slot : told)
                if (slot->Live) slot->Call(args...);
        } else {
            bool all = true;
            for (const auto& slot : told)
                if (slot->Live && !slot->Call(args...)) all = false;
            return all;
        }
    }

  private:
    struct Slot {
        Callback Call;
        bool Live;
    };
    using List = std::vector<std::shared_ptr<Slot>>;

    std::shared_ptr<List> slots_ = std::make_shared<List>();
};

} // namespace qn
