// Without a display the game refuses to run (it would be invisible), but the
// tests still draw: they name SDL's offscreen driver, which the platform then
// accepts.  Set before any test starts the video subsystem.
#include <cstdlib>

namespace {

const bool offscreenNamed = [] {
    const char *display = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    if (!(display && *display) && !(wayland && *wayland))
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
    return true;
}();

} // namespace
