// URB handling of the emulated bulk device, answered on umockdev's ioctl thread.
#include "sim/emulated/UrbQueue.h"

#include <umockdev.h>

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

namespace qn::emulated {
namespace {

// libusb polls for finished URBs without waiting; answering "none yet" only after a short pause
// keeps it from spinning a core while a read waits for the device.
constexpr unsigned kNoneReadyPauseMs = 2;

struct PausedReap {
    UrbQueue* queue;
    UMockdevIoctlBase* handler; // held so the queue outlives the pause
    UMockdevIoctlClient* client;
};

usbdevfs_urb ReadHeader(UMockdevIoctlData* header) {
    usbdevfs_urb urb{};
    std::memcpy(&urb, header->data, sizeof urb);
    return urb;
}

} // namespace

UrbQueue::~UrbQueue() {
    for (auto& urb : waiting_) Release(urb);
    for (auto& urb : done_) Release(urb);
}

UrbQueue* UrbQueue::Attach(UMockdevIoctlBase* handler, BridgeModel& model) {
    auto* queue = new UrbQueue(handler, model);
    const auto forget = [](void* self, GClosure*) { delete static_cast<UrbQueue*>(self); };
    g_signal_connect_data(handler, "handle-ioctl", G_CALLBACK(OnIoctl), queue, forget,
                          GConnectFlags{});
    return queue;
}

int UrbQueue::OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self) {
    return static_cast<UrbQueue*>(self)->Handle(client) ? TRUE : FALSE;
}

bool UrbQueue::Handle(UMockdevIoctlClient* client) {
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    if (request == USBDEVFS_SUBMITURB) {
        Submit(client);
    } else if (request == USBDEVFS_DISCARDURB) {
        Discard(client);
    } else if (request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY) {
        Reap(client);
    } else {
        auto hold = Lock();
        if (disconnected_) {
            umockdev_ioctl_client_complete(client, -1, ENODEV);
        } else if (request == USBDEVFS_DISCONNECT_CLAIM) {
            umockdev_ioctl_client_complete(client, 0, 0); // no driver bound: simply claimed
        } else {
            return false; // claim, release and the like: umockdev's own answers
        }
    }
    return true;
}

void UrbQueue::Submit(UMockdevIoctlClient* client) {
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    Urb urb;
    urb.header = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
    if (!urb.header) return umockdev_ioctl_client_complete(client, -1, EFAULT);
    const usbdevfs_urb fields = ReadHeader(urb.header);
    if (fields.buffer_length > 0)
        urb.buffer =
            umockdev_ioctl_data_resolve(urb.header, offsetof(usbdevfs_urb, buffer),
                                        static_cast<size_t>(fields.buffer_length), nullptr);
    auto hold = Lock();
    int refusal = 0;
    if (disconnected_)
        refusal = ENODEV;
    else if (fields.type != USBDEVFS_URB_TYPE_BULK)
        refusal = EINVAL;
    if (refusal != 0) {
        Release(urb);
        return umockdev_ioctl_client_complete(client, -1, refusal);
    }
    if (fields.endpoint & 0x80) {
        waiting_.push_back(urb);
    } else {
        ++transfersSeen_;
        model_.Receive(urb.buffer ? urb.buffer->data : nullptr,
                       static_cast<size_t>(fields.buffer_length));
        Finish(urb, 0, fields.buffer_length);
    }
    AnswerWaiting();
    umockdev_ioctl_client_complete(client, 0, 0);
}

void UrbQueue::Discard(UMockdevIoctlClient* client) {
    unsigned long address = 0;
    std::memcpy(&address, umockdev_ioctl_client_get_arg(client)->data, sizeof address);
    auto hold = Lock();
    for (auto at = waiting_.begin(); at != waiting_.end(); ++at) {
        if (at->header->client_addr != address) continue;
        Urb urb = *at;
        waiting_.erase(at);
        Finish(urb, -ENOENT, 0);
        return umockdev_ioctl_client_complete(client, 0, 0);
    }
    umockdev_ioctl_client_complete(client, -1, EINVAL); // finished already
}

void UrbQueue::Reap(UMockdevIoctlClient* client) {
    if (HandBack(client)) return;
    auto* paused = new PausedReap{this, handler_, client};
    g_object_ref(handler_);
    g_object_ref(client);
    GSource* source = g_timeout_source_new(kNoneReadyPauseMs);
    g_source_set_callback(source, OnReapDelay, paused, nullptr);
    g_source_attach(source, g_main_context_get_thread_default());
    g_source_unref(source);
}

int UrbQueue::OnReapDelay(void* pending) {
    auto* paused = static_cast<PausedReap*>(pending);
    if (!paused->queue->HandBack(paused->client)) {
        auto hold = paused->queue->Lock();
        const int error = paused->queue->disconnected_ ? ENODEV : EAGAIN;
        umockdev_ioctl_client_complete(paused->client, -1, error);
    }
    g_object_unref(paused->client);
    g_object_unref(paused->handler); // may be the last reference: the queue goes with it
    delete paused;
    return G_SOURCE_REMOVE;
}

// Gives the oldest finished URB back to the host, if there is one.
bool UrbQueue::HandBack(UMockdevIoctlClient* client) {
    auto hold = Lock();
    AnswerWaiting();
    if (done_.empty()) return false;
    Urb urb = done_.front();
    done_.pop_front();
    UMockdevIoctlData* slot = umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0,
                                                          sizeof(void*), nullptr);
    if (slot) {
        umockdev_ioctl_data_set_ptr(slot, 0, urb.header);
        umockdev_ioctl_client_complete(client, 0, 0);
        g_object_unref(slot);
    } else {
        umockdev_ioctl_client_complete(client, -1, EFAULT);
    }
    Release(urb);
    return true;
}

// Fills waiting IN URBs, oldest first, for as long as the model has answers.
void UrbQueue::AnswerWaiting() {
    while (!waiting_.empty() && !disconnected_) {
        Urb& urb = waiting_.front();
        const auto length = static_cast<size_t>(ReadHeader(urb.header).buffer_length);
        if (!urb.buffer || !model_.Answer(urb.buffer->data, length)) return;
        Finish(urb, 0, static_cast<int>(length));
        waiting_.pop_front();
    }
}

void UrbQueue::Disconnect() {
    auto hold = Lock();
    disconnected_ = true;
    for (auto& urb : waiting_) Finish(urb, -ENODEV, 0);
    waiting_.clear();
}

void UrbQueue::Finish(Urb urb, int status, int actualLength) {
    usbdevfs_urb fields = ReadHeader(urb.header);
    fields.status = status;
    fields.actual_length = actualLength;
    std::memcpy(urb.header->data, &fields, sizeof fields);
    done_.push_back(urb);
}

void UrbQueue::Release(Urb& urb) {
    if (urb.buffer) g_object_unref(urb.buffer);
    if (urb.header) g_object_unref(urb.header);
    urb = {};
}

} // namespace qn::emulated
