// Run-time choice of instruction set for the pipeline's vectorised line kernels.
#pragma once

// Each kernel marked with this is compiled once per listed instruction set, and the loader picks
// the best one the processor has. The kernels are plain loops written for the vectoriser; the
// wider the vectors, the more pixels per instruction.
//
// The loader makes that choice in a resolver function that runs before any constructor. The
// thread sanitizer instruments every function entry, the resolver's too, and crashes there
// because its runtime is not up yet; such builds keep the single default version, as do
// toolchains without indirect functions (the build defines KESTREL_NO_TARGET_CLONES for them).
#if defined(KESTREL_NO_TARGET_CLONES) || defined(__SANITIZE_THREAD__)
#define KESTREL_VECTOR_CLONES
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KESTREL_VECTOR_CLONES
#endif
#endif

#ifndef KESTREL_VECTOR_CLONES
#define KESTREL_VECTOR_CLONES [[gnu::target_clones("arch=x86-64-v4", "avx2", "default")]]
#endif
