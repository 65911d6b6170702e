// Memory that libraries below SDL keep until the process ends (the D-Bus
// connection that SDL's video start-up opens) is not ours to free; the leak
// checker of the sanitizer build is told so.  Weak, so that another suite may
// supply the list instead.
extern "C" __attribute__((weak)) const char *__lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}
