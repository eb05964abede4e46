// Run-time choice of instruction set for the applet's few vectorised loops.
#pragma once

// A function marked with this is compiled once per listed instruction set, and the loader picks
// the best one the processor has. The resolver runs before any constructor; the thread sanitizer
// instruments it and crashes there because its runtime is not up yet, so such builds keep the
// single default version. Clang (the fuzzing build) clones no function templates, so it keeps
// the default version too, as do toolchains without indirect functions (mingw-w64: the build
// defines KESTREL_NO_TARGET_CLONES for them).
#if defined(KESTREL_NO_TARGET_CLONES) || defined(__SANITIZE_THREAD__) || defined(__clang__)
#define KESTREL_APPLET_VECTOR_CLONES
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KESTREL_APPLET_VECTOR_CLONES
#endif
#endif

#ifndef KESTREL_APPLET_VECTOR_CLONES
#define KESTREL_APPLET_VECTOR_CLONES [[gnu::target_clones("arch=x86-64-v4", "avx2", "default")]]
#endif
