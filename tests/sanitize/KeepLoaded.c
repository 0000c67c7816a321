/* KeepLoaded - preloaded into the sanitizer test runs: libraries are never unloaded, so that the leak
 * report at exit can still name the system library (the GL driver, the audio back end) an allocation
 * came from, and the suppressions in lsan.supp can match it. Unloaded, its frames would be anonymous
 * and could only be suppressed along with everything else. */
int dlclose(void* handle)
{
    (void)handle;
    return 0;
}
