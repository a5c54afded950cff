// One exchange at a time: the bridge buffer and the instrument buffers are shared, so while an
// operation owns the link, nothing started from a window message it lets through may exchange.
#pragma once

#include "host/Clock.h"
#include "host/EventPump.h"
#include "host/PanelRefresh.h"
#include "host/Prompt.h"

#include <functional>
#include <optional>

namespace qn {

class ExchangeGuard final : public EventPump {
  public:
    ExchangeGuard(Clock& clock, EventPump& windows, PanelRefresh& panels)
        : clock_(clock), windows_(windows), panels_(panels) {}
    ExchangeGuard(const ExchangeGuard&) = delete;
    ExchangeGuard& operator=(const ExchangeGuard&) = delete;

    // Kept for the length of one operation; the link is free again when the last one goes.
    class Hold {
      public:
        Hold(Hold&& other) noexcept : guard_(other.guard_) { other.guard_ = nullptr; }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        Hold& operator=(Hold&&) = delete;
        ~Hold() {
            if (guard_ != nullptr) guard_->Release();
        }

      private:
        friend class ExchangeGuard;
        explicit Hold(ExchangeGuard& guard) : guard_(&guard) {}
        ExchangeGuard* guard_;
    };

    // Starts an operation on the link. Empty when another operation owns it and this call comes
    // from a window message that operation let through: the caller must then do nothing. A call
    // the running operation makes itself (a register write within a test step) is part of it.
    std::optional<Hold> Begin();

    // An operation owns the link.
    bool Busy() const { return depth_ > 0; }

    // Asks the running operation to end at its next check (the main window is closing).
    void RequestStop() { stopRequested_ = Busy(); }
    bool StopRequested() const { return stopRequested_; }

    // Lets window messages through. The first time an operation does so, the windows are told it
    // is busy, so they disable whatever would start another exchange until it ends.
    void Pump() override;

    // Marks a stretch in which window messages run inside the current operation without going
    // through Pump: a modal question runs its own message loop.
    class MessagesScope {
      public:
        explicit MessagesScope(ExchangeGuard& guard);
        ~MessagesScope() { --guard_.pumping_; }
        MessagesScope(const MessagesScope&) = delete;
        MessagesScope& operator=(const MessagesScope&) = delete;

      private:
        ExchangeGuard& guard_;
    };

    // Waits `ms` on the steady clock, letting window messages through every 10 ms and telling
    // `progress` the milliseconds waited so far. False when a stop was requested first.
    bool WaitMs(double ms, const std::function<void(double waitedMs)>& progress = {});

  private:
    void Release();

    Clock& clock_;
    EventPump& windows_;
    PanelRefresh& panels_;
    int depth_ = 0;        // Begin calls of the running operation not yet released
    int pumping_ = 0;      // Pump calls in progress, nested
    int ownerPumping_ = 0; // pumping_ when the running operation began
    bool shownBusy_ = false;
    bool stopRequested_ = false;
};

// Questions put while an operation owns the link: the dialog's message loop is treated as
// pumped, so nothing it lets through starts an exchange.
class GuardedPrompt final : public Prompt {
  public:
    GuardedPrompt(ExchangeGuard& guard, Prompt& windows) : guard_(guard), windows_(windows) {}
    bool Confirm(const std::string& question) override {
        const ExchangeGuard::MessagesScope scope(guard_);
        return windows_.Confirm(question);
    }
    void Tell(const std::string& message) override {
        const ExchangeGuard::MessagesScope scope(guard_);
        windows_.Tell(message);
    }
    std::optional<uint32_t> AskHex(const HexQuestion& question) override {
        const ExchangeGuard::MessagesScope scope(guard_);
        return windows_.AskHex(question);
    }
    std::optional<uint32_t> AskColour(uint32_t current) override {
        const ExchangeGuard::MessagesScope scope(guard_);
        return windows_.AskColour(current);
    }
    std::optional<std::string> AskFileToSave(const std::string& extension,
                                             const std::string& folder) override {
        const ExchangeGuard::MessagesScope scope(guard_);
        return windows_.AskFileToSave(extension, folder);
    }
    std::optional<std::string> AskFileToOpen(const std::string& extension,
                                             const std::string& folder) override {
        const ExchangeGuard::MessagesScope scope(guard_);
        return windows_.AskFileToOpen(extension, folder);
    }

  private:
    ExchangeGuard& guard_;
    Prompt& windows_;
};

} // namespace qn
