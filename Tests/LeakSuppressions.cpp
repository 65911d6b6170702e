// Leaks of system libraries that the sanitizer build should not blame on
// the program: the session bus library keeps a buffer for the life of the
// process once the display layer has connected to the bus, and the software
// graphics driver loses the buffers of a window whose context was replaced
// by one sharing its textures.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n"
           "leak:swrast_dri.so\n";
}
