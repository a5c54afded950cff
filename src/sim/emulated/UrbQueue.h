// The usbdevfs side of an emulated bulk device: takes submitted URBs, completes them, hands them
// back.
#pragma once

#include "sim/emulated/BridgeModel.h"

#include <deque>
#include <mutex>

typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;
typedef struct _UMockdevIoctlData UMockdevIoctlData;

namespace qn::emulated {

// OUT URBs complete at once after the model took their data; IN URBs wait for the model's
// answer. A URB the host discards (its time-out) completes with -ENOENT. Once disconnected,
// waiting URBs complete with -ENODEV and new ones are refused with ENODEV.
// Runs on umockdev's ioctl thread; the test thread reaches the model through Lock().
// A queue belongs to its ioctl handler: umockdev keeps the handler alive for as long as a host
// handle is connected to it, which may be longer than the emulated bridge lives.
class UrbQueue {
  public:
    // A new queue owned by `handler`, answering its "handle-ioctl" signal.
    static UrbQueue* Attach(UMockdevIoctlBase* handler, BridgeModel& model);
    UrbQueue(const UrbQueue&) = delete;
    UrbQueue& operator=(const UrbQueue&) = delete;

    // From now on the model is left alone: transfers fail as with an unplugged device.
    void Disconnect();
    std::unique_lock<std::mutex> Lock() { return std::unique_lock(mutex_); }
    int TransfersSeen() {
        auto hold = Lock();
        return transfersSeen_;
    }

  private:
    struct Urb {
        UMockdevIoctlData* header = nullptr; // the usbdevfs_urb in the host's memory
        UMockdevIoctlData* buffer = nullptr; // its data buffer; null for zero length
    };

    UrbQueue(UMockdevIoctlBase* handler, BridgeModel& model) : handler_(handler), model_(model) {}
    ~UrbQueue();
    static int OnIoctl(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, void* self);
    static int OnReapDelay(void* pending);
    bool Handle(UMockdevIoctlClient* client);
    void Submit(UMockdevIoctlClient* client);
    void Discard(UMockdevIoctlClient* client);
    void Reap(UMockdevIoctlClient* client);
    bool HandBack(UMockdevIoctlClient* client);
    void AnswerWaiting();
    void Finish(Urb urb, int status, int actualLength);
    static void Release(Urb& urb);

    UMockdevIoctlBase* handler_;
    BridgeModel& model_;
    std::mutex mutex_;
    std::deque<Urb> waiting_;
    std::deque<Urb> done_;
    bool disconnected_ = false;
    int transfersSeen_ = 0;
};

} // namespace qn::emulated
