#pragma once

// Vector helpers for the voice kernels, written with GCC/Clang vector extensions so that one
// source compiles to SSE, AVX2 or AVX-512 code (see Dispatch.h).
//
// Everything here has internal linkage on purpose: the voice's kernel files are compiled with
// different floating-point contraction settings, and each must get its own copy of these helpers
// (a shared inline definition would let the linker pick either one for both).

#include <cmath>

#if defined (__GNUC__) && ! defined (__clang__)
 #pragma GCC diagnostic ignored "-Wpsabi"   // the vector types only pass between inlined helpers
#endif

#define HALCYRA_LANES_INLINE __attribute__ ((always_inline)) inline

namespace velmora::lanes
{
namespace
{
    using F4  = float __attribute__ ((vector_size (16)));
    using F8  = float __attribute__ ((vector_size (32)));

    using I4  = int __attribute__ ((vector_size (16)));
    using I8  = int __attribute__ ((vector_size (32)));
    using D4  = double __attribute__ ((vector_size (32)));
    using D8  = double __attribute__ ((vector_size (64)));

    /** The integer and double vectors with as many lanes as a float vector. */
    template <typename V> struct LanesOf;
    template <> struct LanesOf<F4>  { using Int = I4;  using Double = D4; };
    template <> struct LanesOf<F8>  { using Int = I8;  using Double = D8; };

    template <typename V> constexpr int laneCount = (int) (sizeof (V) / sizeof (float));

    // Kernels use vectors of at most 256 bits: AVX2 runs them natively, and wider generic vectors
    // are lowered poorly there. Sixteen lanes, where needed, are an F8 and an F4 or two F8s.
    HALCYRA_LANES_INLINE F4 lowHalf (F8 v) noexcept   { return __builtin_shufflevector (v, v, 0, 1, 2, 3); }
    HALCYRA_LANES_INLINE F4 highHalf (F8 v) noexcept  { return __builtin_shufflevector (v, v, 4, 5, 6, 7); }
    HALCYRA_LANES_INLINE F8 join (F4 a, F4 b) noexcept { return __builtin_shufflevector (a, b, 0, 1, 2, 3, 4, 5, 6, 7); }

    template <typename V> HALCYRA_LANES_INLINE V load (const float* p) noexcept
    {
        V v;
        __builtin_memcpy (&v, p, sizeof (V));
        return v;
    }

    template <typename V, typename T> HALCYRA_LANES_INLINE void store (T* p, V v) noexcept
    {
        __builtin_memcpy (p, &v, sizeof (V));
    }

    template <typename V> HALCYRA_LANES_INLINE V splat (float x) noexcept
    {
        return V {} + x;
    }

    /** a where the mask is set, else b (masks are the all-ones / zero lanes of comparisons).
        Bit operations rather than a vector ?:, which GCC turns into a branch per lane where the
        vector is wider than the registers (eight lanes on SSE); on AVX2 and AVX-512 these still
        become one blend. */
    template <typename V, typename M> HALCYRA_LANES_INLINE V select (M mask, V a, V b) noexcept
    {
        static_assert (sizeof (M) == sizeof (V));
        M ia, ib;
        __builtin_memcpy (&ia, &a, sizeof (V));
        __builtin_memcpy (&ib, &b, sizeof (V));
        const M r = (ia & mask) | (ib & ~mask);
        V out;
        __builtin_memcpy (&out, &r, sizeof (V));
        return out;
    }

    /** sin x for x in [−π, π], an odd minimax polynomial of degree 11: within 1e-7 of sin. */
    template <typename V> HALCYRA_LANES_INLINE V sinPi (V y) noexcept
    {
        const V z = y * y;
        V p = z * -2.0366227898582778e-08f + 2.6998227262431396e-06f;
        p = p * z - 1.9808740000444342e-04f;
        p = p * z + 8.3324075928842040e-03f;
        p = p * z - 1.6666553446555160e-01f;
        p = p * z + 9.9999960392195950e-01f;
        return y * p;
    }

    /** sin x for x in [−π, 3π): one conditional turn brings it to [−π, π). */
    template <typename V> HALCYRA_LANES_INLINE V sinNear (V x) noexcept
    {
        const V y = select (x >= 3.14159265f, x - 6.28318531f, x);
        return sinPi (y);
    }

    /** 2^x in double precision for |x| ≤ 1/16: a Taylor series to the sixth power, within 6·10⁻¹⁴,
        evaluated in three independent pieces (a short dependency chain). */
    template <typename V> HALCYRA_LANES_INLINE typename LanesOf<V>::Double exp2Small (V x) noexcept
    {
        using D = typename LanesOf<V>::Double;
        const D y = __builtin_convertvector (x, D) * 0.69314718055994530942;
        const D y2 = y * y;
        const D low = y + 1.0;
        const D middle = y * (1.0 / 6.0) + 0.5;
        const D high = (y * (1.0 / 120.0) + (1.0 / 24.0)) + y2 * (1.0 / 720.0);
        return low + y2 * (middle + y2 * high);
    }

    /** tanh x within about 2e-7 (absolute): (1 − e)/(1 + e) with e = exp(−2|x|). */
    template <typename V> HALCYRA_LANES_INLINE V tanhLanes (V x) noexcept
    {
        using I = typename LanesOf<V>::Int;
        const V ax = select (x < 0.0f, -x, x);
        // exp(−2|x|) = 2^n · 2^f with n = round(t) and f in [−½, ½]; |x| past 9 is tanh = ±1.
        const V t = select (ax < 9.0f, ax, splat<V> (9.0f)) * -2.88539008f;              // −2|x| · log2(e), never positive
        const V n = __builtin_convertvector (__builtin_convertvector (t - 0.5f, I), V);   // truncation of a negative rounds t
        const V f = t - n;
        const V g = f * 0.69314718f;
        V p = g * 1.98412698e-4f + 1.38888889e-3f;
        p = p * g + 8.33333333e-3f;
        p = p * g + 4.16666667e-2f;
        p = p * g + 1.66666667e-1f;
        p = p * g + 0.5f;
        p = p * g + 1.0f;
        p = p * g + 1.0f;
        const I bits = (__builtin_convertvector (n, I) + 127) << 23;
        V scale;
        __builtin_memcpy (&scale, &bits, sizeof (V));
        const V e = p * scale;
        const V r = (1.0f - e) / (1.0f + e);
        return select (x < 0.0f, -r, r);
    }
}
} // namespace velmora::lanes
