// The sanitizer settings of the test program, so that running it by itself
// (not through make test) behaves as the suite does.
//
// The leaks of the system's libraries that are not the program's are listed
// once, in Tests/lsan.supp; LSAN_OPTIONS, when set, takes precedence.
extern "C" const char *__lsan_default_options()
{
    return "suppressions=\"" BRIMHOLD_SOURCE_DIR "/Tests/lsan.supp\"";
}

// The leak checker's record of dynamic thread-local storage can hold a stale
// entry once the software graphics driver has been unloaded at the end of
// the process; reading it crashed the checker ("Tracer caught signal 11")
// after some tests that draw.  The checker does without that record.
extern "C" const char *__asan_default_options()
{
    return "intercept_tls_get_addr=0";
}

#if defined(__SANITIZE_ADDRESS__)
// Libraries that the display layer loads and unloads (the X11 client
// libraries, the graphics driver) stay loaded until the process ends: memory
// that they still hold is then reachable from their data, and what they do
// leak is reported under their names, which Tests/lsan.supp lists.  Unloaded,
// their allocations showed up now and then as leaks of an "unknown module".
extern "C" int dlclose(void *)
{
    return 0;
}
#endif
