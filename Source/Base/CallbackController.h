// An object's list of event callbacks.  Dispatch runs newest first and stops
// at the first callback that returns 0 (the event is consumed).
#pragma once

#include <cstdint>

typedef int32_t (*CallbackFunction)(void *context, void *sender);

struct CallbackEntry {
    int32_t id;
    int32_t type;
    void *context;
    CallbackFunction function;
};

struct CallbackController {
    int32_t count;
    CallbackEntry *entries; // null until the first installation; owned
    int32_t lastId;         // -1 in a fresh record
    int32_t capacity;       // entries allocated
};

CallbackController *CallbackControllerAllocate();
int32_t CallbackControllerInstallCallback(CallbackController *controller, int32_t type,
                                          CallbackFunction function, void *context);
void CallbackControllerRemoveCallback(CallbackController *controller, int32_t id);
// Returns 0 when a callback consumed the event, otherwise the last callback's
// result, or 1 when none matched.
int32_t CallbackControllerDispatchCallback(CallbackController *controller, int32_t type, void *sender);
CallbackController *CallbackControllerCreateCopy(const CallbackController *controller);
void CallbackControllerDispose(CallbackController *controller);
