#include "CallbackController.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> calls;

// A callback that logs its name and answers its result (0: consumed).
struct Probe {
    std::string name;
    int32_t result;
};

int32_t RecordCall(void *context, void *)
{
    Probe *p = static_cast<Probe *>(context);
    calls.push_back(p->name);
    return p->result;
}

int32_t Quiet(void *, void *)
{
    return 1;
}

// Grows the array while the dispatch is walking it.
int32_t InstallMore(void *context, void *)
{
    for (int k = 0; k < 20; k++)
        CallbackControllerInstallCallback(static_cast<CallbackController *>(context), 1, Quiet, nullptr);
    calls.push_back("installed");
    return 1;
}

} // namespace

TEST(CallbackController, DispatchRunsNewestFirstUntilConsumedAndAnswersTheLastValue)
{
    calls.clear();
    Probe first{"first", 0}, second{"second", 1}, third{"third", 1}, other{"other", 5};
    CallbackController *c = CallbackControllerAllocate();
    EXPECT_EQ(CallbackControllerDispatchCallback(c, 7, nullptr), 1); // nothing installed
    EXPECT_EQ(CallbackControllerInstallCallback(c, 7, RecordCall, &first), 0);
    EXPECT_EQ(CallbackControllerInstallCallback(c, 7, RecordCall, &second), 1);
    EXPECT_EQ(CallbackControllerInstallCallback(c, 7, RecordCall, &third), 2);
    EXPECT_EQ(CallbackControllerDispatchCallback(c, 7, nullptr), 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"third", "second", "first"}));
    // The newest consuming stops the older ones.
    calls.clear();
    third.result = 0;
    EXPECT_EQ(CallbackControllerDispatchCallback(c, 7, nullptr), 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"third"}));
    // Another kind calls nothing and answers 1; a match's non-zero value is the answer.
    calls.clear();
    EXPECT_EQ(CallbackControllerDispatchCallback(c, 3, nullptr), 1);
    EXPECT_TRUE(calls.empty());
    CallbackControllerInstallCallback(c, 3, RecordCall, &other);
    EXPECT_EQ(CallbackControllerDispatchCallback(c, 3, nullptr), 5);
    CallbackControllerDispose(c);
}

// Identifiers count up and are never reused, in a copy too.
TEST(CallbackController, RemovalKeepsOrderAndIdentifiersAreNeverReusedEvenInACopy)
{
    calls.clear();
    Probe a{"a", 1}, b{"b", 1}, c3{"c", 1}, d{"d", 1};
    CallbackController *c = CallbackControllerAllocate();
    CallbackControllerInstallCallback(c, 1, RecordCall, &a);
    int32_t middle = CallbackControllerInstallCallback(c, 1, RecordCall, &b);
    CallbackControllerInstallCallback(c, 2, RecordCall, &c3);
    CallbackControllerRemoveCallback(c, middle);
    CallbackControllerRemoveCallback(c, 99); // unknown: nothing changes
    EXPECT_EQ(c->count, 2);
    CallbackController *copy = CallbackControllerCreateCopy(c);
    EXPECT_EQ(CallbackControllerInstallCallback(c, 1, RecordCall, &d), 3);
    EXPECT_EQ(CallbackControllerInstallCallback(copy, 1, RecordCall, &d), 3);
    EXPECT_EQ(copy->count, 3);
    CallbackControllerDispatchCallback(c, 1, nullptr);
    CallbackControllerDispatchCallback(copy, 2, nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"d", "a", "c"}));
    CallbackControllerDispose(copy);
    CallbackControllerDispose(c);
}

TEST(CallbackController, CallbackMayInstallDuringDispatch)
{
    calls.clear();
    CallbackController *c = CallbackControllerAllocate();
    CallbackControllerInstallCallback(c, 1, InstallMore, c);
    CallbackControllerInstallCallback(c, 1, Quiet, nullptr);
    EXPECT_EQ(CallbackControllerDispatchCallback(c, 1, nullptr), 1);
    EXPECT_EQ(calls, std::vector<std::string>{"installed"});
    EXPECT_EQ(c->count, 22);
    CallbackControllerDispose(c);
}
