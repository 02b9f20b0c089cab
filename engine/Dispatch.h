#pragma once

// Run-time dispatch between instruction sets for the voice kernels: GCC compiles a function
// marked HALCYRA_DISPATCHED once for x86-64-v4 (AVX-512), once for x86-64-v3 (AVX2 with fused
// multiply-add) and once for plain x86-64, and the loader picks the one the processor runs, so
// the shipped binaries need nothing beyond x86-64.
//
// The choice goes through an ifunc resolver, which runs while the program is being loaded;
// sanitizer runtimes are not ready then, so their builds use the plain version only. Only ELF
// platforms (Linux) have ifunc resolvers; elsewhere (the macOS build) the plain version is
// compiled for the build's own target.
#if defined (__SANITIZE_THREAD__) || defined (__SANITIZE_ADDRESS__) || ! defined (__linux__) \
    || ! (defined (__x86_64__) || defined (__i386__)) || defined (__clang__)
 #define HALCYRA_DISPATCHED
#else
 #define HALCYRA_DISPATCHED __attribute__ ((target_clones ("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#endif
