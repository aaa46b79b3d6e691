#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The innermost loops run on whatever vector unit the machine has; elsewhere they stay plain.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define VELMORA_VECTOR_CLONES __attribute__((target_clones("avx2", "sse4.1", "default")))
#else
#define VELMORA_VECTOR_CLONES
#endif

namespace velmora::cinepak {

// A 2 x 2 patch as the decoder holds it: four luma samples (top-left, top-right, bottom-left,
// bottom-right) and one signed u and v. Also a codebook entry and, averaged, a 4 x 4 block.
struct TPatch
{
    uint8_t Y[4] = {0, 0, 0, 0};
    int8_t U = 0;
    int8_t V = 0;
    uint8_t Unused[2] = {0, 0};

    // The six stored bytes as one number, for hashing and equality.
    uint64_t Key() const
    {
        return uint64_t(Y[0]) | uint64_t(Y[1]) << 8 | uint64_t(Y[2]) << 16 | uint64_t(Y[3]) << 24
            | uint64_t(uint8_t(U)) << 32 | uint64_t(uint8_t(V)) << 40;
    }
    bool operator==(const TPatch &other) const { return Key() == other.Key(); }
};
static_assert(sizeof(TPatch) == 8, "patches are packed as one 64-bit number, Key() order");

// Chroma counts for four pixels and the three colour channels it feeds, against one luma
// sample; this weight keeps the squared error close to the error in RGB.
constexpr int ChromaWeight = 6;

inline int Distance(const TPatch &a, const TPatch &b)
{
    int d = 0;
    for (int i = 0; i < 4; ++i) {
        const int dy = int(a.Y[i]) - int(b.Y[i]);
        d += dy * dy;
    }
    const int du = int(a.U) - int(b.U);
    const int dv = int(a.V) - int(b.V);
    return d + ChromaWeight * (du * du + dv * dv);
}

// A patch whose four luma samples are the one given: how a V1 entry's quadrant looks.
inline TPatch Spread(const TPatch &entry, int quadrant)
{
    TPatch p;
    p.Y[0] = p.Y[1] = p.Y[2] = p.Y[3] = entry.Y[quadrant];
    p.U = entry.U;
    p.V = entry.V;
    return p;
}

// Up to 256 entries, kept column-wise as well so the nearest entry is found with wide loops.
class TCodebook
{
public:
    static constexpr int MaxSize = 256;

    int Size() const { return m_size; }
    const TPatch &Entry(int k) const { return m_entries[std::size_t(k)]; }
    void Resize(int size) { m_size = size; }
    void Set(int k, const TPatch &entry);
    // Index of the nearest entry and its distance; the codebook must not be empty.
    int Nearest(const TPatch &x, int &distance) const;

private:
    int m_size = 0;
    std::array<TPatch, MaxSize> m_entries{};
    alignas(32) int16_t m_columns[6][MaxSize] = {};
};

// The different vectors of a set with how often each occurs, so training works on few points.
class TDistinctSet
{
public:
    void Clear();
    // Counts one occurrence; returns the vector's index in the set.
    int Add(const TPatch &patch, uint32_t weight = 1);
    // Index of a vector added before, or -1.
    int Find(const TPatch &patch) const;
    int Size() const { return int(Vectors.size()); }

    std::vector<TPatch> Vectors;
    std::vector<uint32_t> Weights;
    std::vector<int> Nearest;     // filled by Assign
    std::vector<int> Distances;   // filled by Assign

    // Finds every vector's nearest entry.
    void Assign(const TCodebook &codebook);

private:
    void Grow();
    std::vector<int32_t> m_slots;  // -1 empty, otherwise an index into Vectors
    uint32_t m_mask = 0;
};

// Weighted Lloyd iterations over a set's vectors. A codebook that holds entries already is the
// starting point (an earlier frame's); an empty one is grown by splitting. Assigned: the set is
// assigned to the codebook as given already. Leaves the set assigned to the final entries.
void TrainCodebook(TDistinctSet &set, TCodebook &codebook, int maxSize, int iterations, bool assigned = false);

} // namespace velmora::cinepak
