// What answers behind an emulated bridge: it takes the host's requests and hands out answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace qn::emulated {

class BridgeModel {
  public:
    virtual ~BridgeModel() = default;
    // One request from the host (payload only, no report ID).
    virtual bool Receive(const uint8_t* data, size_t length) = 0;
    // The next answer for the host; false while there is none.
    virtual bool Answer(uint8_t* data, size_t length) = 0;
};

// Lets any object with Receive/Answer of the same shape (the simulated bridge) stand behind a
// device without deriving from BridgeModel.
template <class Device> class ModelAdapter final : public BridgeModel {
  public:
    explicit ModelAdapter(Device& device) : device_(device) {}
    bool Receive(const uint8_t* data, size_t length) override {
        return device_.Receive(data, length);
    }
    bool Answer(uint8_t* data, size_t length) override { return device_.Answer(data, length); }

  private:
    Device& device_;
};

template <class Device>
concept ForeignModel = !std::is_base_of_v<BridgeModel, Device> && requires(Device & d, uint8_t* p) {
    d.Receive(p, size_t{});
    d.Answer(p, size_t{});
};

} // namespace qn::emulated
