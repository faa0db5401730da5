// A shared object that loads but has no plugin_exec, for the loader's error.
extern "C" int plugin_main(void*) {
    return 0;
}
