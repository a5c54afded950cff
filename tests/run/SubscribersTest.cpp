// Subscriptions: several subscribers told in order, none told once its handle is gone or after
// it unsubscribed mid-notice, and a handle that outlives what it subscribed to.
#include "run/Subscribers.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qn {
namespace {

TEST(Subscribers, HandlesDecideWhoIsTold) {
    Subscribers<void(int)> news;
    std::vector<std::string> told;
    std::optional<Subscription> second;
    Subscription first = news.Subscribe([&](int n) {
        told.push_back("first " + std::to_string(n));
        if (n == 2) second.reset(); // unsubscribes the next one while it is being told
    });
    second = news.Subscribe([&](int n) { told.push_back("second " + std::to_string(n)); });
    news.Notify(1);
    news.Notify(2);
    first = Subscription();
    news.Notify(3);
    EXPECT_EQ(told, (std::vector<std::string>{"first 1", "second 1", "first 2"}));
    EXPECT_TRUE(news.Empty());
}

TEST(Subscribers, AQuestionIsAnsweredTrueOnlyByEveryone) {
    Subscribers<bool(const std::string&)> written;
    EXPECT_TRUE(written.Notify("a")) << "nobody to object";
    int asked = 0;
    const Subscription yes = written.Subscribe([&](const std::string&) { return ++asked > 0; });
    const Subscription no = written.Subscribe([&](const std::string&) { return ++asked < 0; });
    EXPECT_FALSE(written.Notify("a"));
    EXPECT_EQ(asked, 2) << "every subscriber is told, whatever the first answered";
}

TEST(Subscribers, AHandleOutlivesWhatItSubscribedTo) {
    Subscription handle;
    {
        auto news = std::make_unique<Subscribers<void()>>();
        handle = news->Subscribe([] {});
    }
    handle.Reset(); // nothing left to unsubscribe from: the sanitizers see no dangling access
}

} // namespace
} // namespace qn
