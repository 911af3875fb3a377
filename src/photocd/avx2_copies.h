// PIXMERA_ALSO_FOR_AVX2 before a function gives it a second copy built for
// processors with AVX2 (x86-64-v3), chosen when the program starts. GCC makes
// the choice through ELF's indirect functions, so other object formats, other
// compilers and the sanitizer builds get the one baseline copy (the choosing
// function runs while the program is relocated, before ThreadSanitizer has
// set itself up, and its instrumented entry crashes there).
#pragma once

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && defined(__ELF__) && \
    !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define PIXMERA_ALSO_FOR_AVX2 __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define PIXMERA_ALSO_FOR_AVX2
#endif
