#include "CallbackController.h"

#include <cstdlib>
#include <cstring>
#include <new>

CallbackController *CallbackControllerAllocate()
{
    CallbackController *c = new CallbackController;
    c->count = 0;
    c->entries = nullptr;
    c->lastId = -1;
    c->capacity = 0;
    return c;
}

int32_t CallbackControllerInstallCallback(CallbackController *controller, int32_t type,
                                          CallbackFunction function, void *context)
{
    if (controller->count >= controller->capacity) {
        int32_t capacity = controller->capacity < 4 ? 4 : controller->capacity * 2;
        void *grown = std::realloc(controller->entries, size_t(capacity) * sizeof(CallbackEntry));
        if (!grown)
            throw std::bad_alloc();
        controller->entries = static_cast<CallbackEntry *>(grown);
        controller->capacity = capacity;
    }
    controller->lastId++;
    controller->entries[controller->count] = CallbackEntry{controller->lastId, type, context, function};
    controller->count++;
    return controller->lastId;
}

void CallbackControllerRemoveCallback(CallbackController *controller, int32_t id)
{
    for (int32_t i = 0; i < controller->count; i++) {
        if (controller->entries[i].id == id) {
            std::memmove(&controller->entries[i], &controller->entries[i + 1],
                         size_t(controller->count - i - 1) * sizeof(CallbackEntry));
            controller->count--;
            return;
        }
    }
}

int32_t CallbackControllerDispatchCallback(CallbackController *controller, int32_t type, void *sender)
{
    if (!controller->entries || controller->count == 0)
        return 1;
    int32_t result = 1;
    int32_t n = controller->count;
    for (int32_t i = n - 1; i >= 0; i--) {
        // The array is read anew on every visit: a callback may install or
        // remove callbacks while the dispatch runs.
        if (i >= controller->count)
            continue;
        CallbackEntry entry = controller->entries[i];
        if (entry.type != type)
            continue;
        result = entry.function(entry.context, sender);
        if (result == 0)
            return 0;
    }
    return result;
}

CallbackController *CallbackControllerCreateCopy(const CallbackController *controller)
{
    CallbackController *copy = CallbackControllerAllocate();
    copy->count = controller->count;
    copy->lastId = controller->lastId;
    if (controller->entries) {
        int32_t capacity = controller->capacity;
        copy->entries = static_cast<CallbackEntry *>(std::malloc(size_t(capacity) * sizeof(CallbackEntry)));
        if (!copy->entries)
            throw std::bad_alloc();
        std::memcpy(copy->entries, controller->entries, size_t(controller->count) * sizeof(CallbackEntry));
        copy->capacity = capacity;
    }
    return copy;
}

void CallbackControllerDispose(CallbackController *controller)
{
    if (!controller)
        return;
    std::free(controller->entries);
    delete controller;
}
