// Fontconfig 2.14 loses a few hundred bytes while it parses its configuration
// files, once per process; sanitizer builds are told so, so that their leak
// check stays meaningful for our own code, and say nothing about it on the
// console the tests read. The hooks live in the executable (not in the
// engine module, which is loaded too late for the sanitizer to see them).
#if defined(__SANITIZE_ADDRESS__)
#define PIXMERA_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PIXMERA_LEAK_CHECKED 1
#endif
#endif
#if defined(PIXMERA_LEAK_CHECKED)
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif
