#include "CallbackController.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Recorder {
    std::vector<std::string> calls;
};

struct Probe {
    Recorder *recorder;
    std::string name;
    int32_t result;
};

int32_t RecordCall(void *context, void *)
{
    Probe *p = static_cast<Probe *>(context);
    p->recorder->calls.push_back(p->name);
    return p->result;
}

} // namespace

TEST(CallbackController, DispatchRunsNewestFirstUntilConsumed)
{
    Recorder r;
    Probe first{&r, "first", 0}, second{&r, "second", 1}, third{&r, "third", 1};
    CallbackController *c = CallbackControllerAllocate();
    EXPECT_EQ(CallbackControllerInstallCallback(c, 7, RecordCall, &first), 0);
    EXPECT_EQ(CallbackControllerInstallCallback(c, 7, RecordCall, &second), 1);
    EXPECT_EQ(CallbackControllerInstallCallback(c, 7, RecordCall, &third), 2);
    EXPECT_EQ(CallbackControllerDispatchCallback(c, 7, nullptr), 0);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"third", "second", "first"}));

    // The newest consuming stops the older ones.
    r.calls.clear();
    third.result = 0;
    EXPECT_EQ(CallbackControllerDispatchCallback(c, 7, nullptr), 0);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"third"}));
    CallbackControllerDispose(c);
}

TEST(CallbackController, DispatchWithoutMatchReturnsOne)
{
    CallbackController *c = CallbackControllerAllocate();
    EXPECT_EQ(c->lastId, -1);
    EXPECT_EQ(c->entries, nullptr);
    EXPECT_EQ(CallbackControllerDispatchCallback(c, 3, nullptr), 1);
    Recorder r;
    Probe p{&r, "p", 0};
    CallbackControllerInstallCallback(c, 4, RecordCall, &p);
    EXPECT_EQ(CallbackControllerDispatchCallback(c, 3, nullptr), 1);
    EXPECT_TRUE(r.calls.empty());
    // A matching callback's non-zero value is what the dispatch returns.
    Probe q{&r, "q", 5};
    CallbackControllerInstallCallback(c, 3, RecordCall, &q);
    EXPECT_EQ(CallbackControllerDispatchCallback(c, 3, nullptr), 5);
    CallbackControllerDispose(c);
}

TEST(CallbackController, RemovalKeepsOrderAndNeverReusesIdentifiers)
{
    Recorder r;
    Probe a{&r, "a", 1}, b{&r, "b", 1}, c3{&r, "c", 1}, d{&r, "d", 1};
    CallbackController *c = CallbackControllerAllocate();
    CallbackControllerInstallCallback(c, 1, RecordCall, &a);
    int32_t middle = CallbackControllerInstallCallback(c, 1, RecordCall, &b);
    CallbackControllerInstallCallback(c, 1, RecordCall, &c3);
    CallbackControllerRemoveCallback(c, middle);
    CallbackControllerRemoveCallback(c, 99); // unknown: nothing changes
    EXPECT_EQ(c->count, 2);
    EXPECT_EQ(CallbackControllerInstallCallback(c, 1, RecordCall, &d), 3);
    CallbackControllerDispatchCallback(c, 1, nullptr);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"d", "c", "a"}));
    CallbackControllerDispose(c);
}

TEST(CallbackController, CopyContinuesTheNumbering)
{
    Recorder r;
    Probe a{&r, "a", 1};
    CallbackController *c = CallbackControllerAllocate();
    CallbackControllerInstallCallback(c, 1, RecordCall, &a);
    CallbackControllerInstallCallback(c, 2, RecordCall, &a);
    CallbackController *copy = CallbackControllerCreateCopy(c);
    EXPECT_EQ(CallbackControllerInstallCallback(copy, 1, RecordCall, &a), 2);
    EXPECT_EQ(CallbackControllerInstallCallback(c, 1, RecordCall, &a), 2);
    EXPECT_EQ(copy->count, 3);
    CallbackControllerDispatchCallback(copy, 2, nullptr);
    EXPECT_EQ(r.calls.size(), 1u);
    CallbackControllerDispose(copy);
    CallbackControllerDispose(c);
}

namespace {
struct Installer {
    CallbackController *controller;
    int installed = 0;
};
int32_t Quiet(void *, void *)
{
    return 1;
}
int32_t InstallMore(void *context, void *)
{
    Installer *i = static_cast<Installer *>(context);
    // Grows the array while the dispatch is walking it.
    for (int k = 0; k < 20; k++)
        CallbackControllerInstallCallback(i->controller, 1, Quiet, nullptr);
    i->installed++;
    return 1;
}
} // namespace

TEST(CallbackController, CallbackMayInstallDuringDispatch)
{
    CallbackController *c = CallbackControllerAllocate();
    Installer inst{c};
    CallbackControllerInstallCallback(c, 1, InstallMore, &inst);
    CallbackControllerInstallCallback(c, 1, Quiet, nullptr);
    EXPECT_EQ(CallbackControllerDispatchCallback(c, 1, nullptr), 1);
    EXPECT_EQ(inst.installed, 1);
    EXPECT_EQ(c->count, 22);
    CallbackControllerDispose(c);
}
