#include "core/export/encode/cinepak/CinepakColour.h"

#include <algorithm>
#include <cstring>

namespace velmora::cinepak {

namespace {

// Divisions by 28, 56 and 3 as multiplications, rounded to the nearest: wide loops have no divide.
inline int Chroma28(int n) { return std::clamp((n * 2341 + 32768) >> 16, -128, 127); }
inline int Chroma56(int n) { return std::clamp((n * 1170 + 32768) >> 16, -128, 127); }
inline int Luma(int sum, int offset) { return std::clamp(((sum + offset) * 21846 + 32768) >> 16, 0, 255); }

// What the decoder adds to y for green, blue and red together, with its truncating u / 2.
inline int LumaOffset(int u, int v) { return u / 2 - v - 2 * u; }

inline uint64_t Pack(int y0, int y1, int y2, int y3, int u, int v)
{
    return uint64_t(y0) | uint64_t(y1) << 8 | uint64_t(y2) << 16 | uint64_t(y3) << 24 | uint64_t(uint8_t(u)) << 32
        | uint64_t(uint8_t(v)) << 40;
}

} // namespace

TPatch ConvertPatch(const uint8_t *p0, const uint8_t *p1, const uint8_t *p2, const uint8_t *p3)
{
    const int b = p0[0] + p1[0] + p2[0] + p3[0];
    const int g = p0[1] + p1[1] + p2[1] + p3[1];
    const int r = p0[2] + p1[2] + p2[2] + p3[2];
    const int u = Chroma28(-r - 2 * g + 3 * b);
    const int v = Chroma56(5 * r - 4 * g - b);
    const int offset = LumaOffset(u, v);
    TPatch patch;
    patch.Y[0] = uint8_t(Luma(p0[0] + p0[1] + p0[2], offset));
    patch.Y[1] = uint8_t(Luma(p1[0] + p1[1] + p1[2], offset));
    patch.Y[2] = uint8_t(Luma(p2[0] + p2[1] + p2[2], offset));
    patch.Y[3] = uint8_t(Luma(p3[0] + p3[1] + p3[2], offset));
    patch.U = int8_t(u);
    patch.V = int8_t(v);
    return patch;
}

// Plain loops over planar values, in chunks, so the compiler can run them wide.
VELMORA_VECTOR_CLONES
void ConvertPatchRow(const uint8_t *row0, const uint8_t *row1, int patches, TPatch *out)
{
    constexpr int Chunk = 256;
    int16_t top[2 * Chunk], bottom[2 * Chunk];  // b + g + r a pixel
    int16_t blue[Chunk], green[Chunk], red[Chunk];
    uint64_t packed[Chunk];
    for (int start = 0; start < patches; start += Chunk) {
        const int n = std::min(Chunk, patches - start);
        const uint8_t *a = row0 + size_t(start) * 6;
        const uint8_t *c = row1 + size_t(start) * 6;
        for (int x = 0; x < 2 * n; ++x) {
            top[x] = int16_t(a[3 * x] + a[3 * x + 1] + a[3 * x + 2]);
            bottom[x] = int16_t(c[3 * x] + c[3 * x + 1] + c[3 * x + 2]);
        }
        for (int p = 0; p < n; ++p) {
            blue[p] = int16_t(a[6 * p] + a[6 * p + 3] + c[6 * p] + c[6 * p + 3]);
            green[p] = int16_t(a[6 * p + 1] + a[6 * p + 4] + c[6 * p + 1] + c[6 * p + 4]);
            red[p] = int16_t(a[6 * p + 2] + a[6 * p + 5] + c[6 * p + 2] + c[6 * p + 5]);
        }
        for (int p = 0; p < n; ++p) {
            const int b = blue[p], g = green[p], r = red[p];
            const int u = Chroma28(-r - 2 * g + 3 * b);
            const int v = Chroma56(5 * r - 4 * g - b);
            const int offset = LumaOffset(u, v);
            packed[p] = Pack(Luma(top[2 * p], offset), Luma(top[2 * p + 1], offset), Luma(bottom[2 * p], offset),
                             Luma(bottom[2 * p + 1], offset), u, v);
        }
        std::memcpy(static_cast<void *>(out + start), packed, size_t(n) * sizeof(uint64_t));
    }
}

} // namespace velmora::cinepak
