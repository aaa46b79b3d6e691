#include "core/export/encode/cinepak/CinepakVq.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numeric>

namespace velmora::cinepak {

void TCodebook::Set(int k, const TPatch &entry)
{
    m_entries[size_t(k)] = entry;
    for (int i = 0; i < 4; ++i)
        m_columns[i][k] = entry.Y[i];
    m_columns[4][k] = entry.U;
    m_columns[5][k] = entry.V;
}

namespace {

// Distance and index packed into one number, so the smallest falls out of a plain min loop.
VELMORA_VECTOR_CLONES
int NearestPacked(const int16_t (*columns)[TCodebook::MaxSize], int size, const int x[6])
{
    int best = INT_MAX;
    for (int k = 0; k < size; ++k) {
        const int d0 = x[0] - columns[0][k];
        const int d1 = x[1] - columns[1][k];
        const int d2 = x[2] - columns[2][k];
        const int d3 = x[3] - columns[3][k];
        const int d4 = x[4] - columns[4][k];
        const int d5 = x[5] - columns[5][k];
        const int d = d0 * d0 + d1 * d1 + d2 * d2 + d3 * d3 + ChromaWeight * (d4 * d4 + d5 * d5);
        best = std::min(best, (d << 8) | k);
    }
    return best;
}

} // namespace

int TCodebook::Nearest(const TPatch &x, int &distance) const
{
    const int v[6] = {x.Y[0], x.Y[1], x.Y[2], x.Y[3], x.U, x.V};
    const int packed = NearestPacked(m_columns, m_size, v);
    distance = packed >> 8;
    return packed & 0xff;
}

void TDistinctSet::Clear()
{
    Vectors.clear();
    Weights.clear();
    Nearest.clear();
    Distances.clear();
    std::fill(m_slots.begin(), m_slots.end(), -1);
}

void TDistinctSet::Grow()
{
    const size_t size = std::max<size_t>(1024, m_slots.size() * 2);
    m_slots.assign(size, -1);
    m_mask = uint32_t(size - 1);
    for (size_t i = 0; i < Vectors.size(); ++i) {
        uint32_t slot = uint32_t((Vectors[i].Key() * 0x9E3779B97F4A7C15ull) >> 40) & m_mask;
        while (m_slots[slot] >= 0)
            slot = (slot + 1) & m_mask;
        m_slots[slot] = int32_t(i);
    }
}

int TDistinctSet::Add(const TPatch &patch, uint32_t weight)
{
    if ((Vectors.size() + 1) * 2 > m_slots.size())
        Grow();
    const uint64_t key = patch.Key();
    uint32_t slot = uint32_t((key * 0x9E3779B97F4A7C15ull) >> 40) & m_mask;
    for (;;) {
        const int32_t index = m_slots[slot];
        if (index < 0)
            break;
        if (Vectors[size_t(index)].Key() == key) {
            Weights[size_t(index)] += weight;
            return index;
        }
        slot = (slot + 1) & m_mask;
    }
    m_slots[slot] = int32_t(Vectors.size());
    Vectors.push_back(patch);
    Weights.push_back(weight);
    return int(Vectors.size()) - 1;
}

int TDistinctSet::Find(const TPatch &patch) const
{
    if (m_slots.empty())
        return -1;
    const uint64_t key = patch.Key();
    uint32_t slot = uint32_t((key * 0x9E3779B97F4A7C15ull) >> 40) & m_mask;
    for (;;) {
        const int32_t index = m_slots[slot];
        if (index < 0)
            return -1;
        if (Vectors[size_t(index)].Key() == key)
            return index;
        slot = (slot + 1) & m_mask;
    }
}

void TDistinctSet::Assign(const TCodebook &codebook)
{
    const size_t n = Vectors.size();
    Nearest.resize(n);
    Distances.resize(n);
    for (size_t i = 0; i < n; ++i)
        Nearest[i] = codebook.Nearest(Vectors[i], Distances[i]);
}

namespace {

// Moves every entry to the weighted mean of the vectors nearest to it. Returns the number of
// entries that no vector chose.
int MoveToCentroids(const TDistinctSet &set, TCodebook &codebook, std::vector<bool> &empty)
{
    const int size = codebook.Size();
    std::vector<std::array<int64_t, 7>> sums(size_t(size), std::array<int64_t, 7>{});
    for (size_t i = 0; i < set.Vectors.size(); ++i) {
        const TPatch &v = set.Vectors[i];
        const int64_t w = set.Weights[i];
        std::array<int64_t, 7> &s = sums[size_t(set.Nearest[i])];
        for (int c = 0; c < 4; ++c)
            s[size_t(c)] += w * v.Y[c];
        s[4] += w * v.U;
        s[5] += w * v.V;
        s[6] += w;
    }
    empty.assign(size_t(size), false);
    int emptyCount = 0;
    for (int k = 0; k < size; ++k) {
        const std::array<int64_t, 7> &s = sums[size_t(k)];
        if (s[6] == 0) {
            empty[size_t(k)] = true;
            ++emptyCount;
            continue;
        }
        const double count = double(s[6]);
        TPatch centre;
        for (int c = 0; c < 4; ++c)
            centre.Y[c] = uint8_t(std::clamp(std::lround(double(s[size_t(c)]) / count), 0l, 255l));
        centre.U = int8_t(std::clamp(std::lround(double(s[4]) / count), -128l, 127l));
        centre.V = int8_t(std::clamp(std::lround(double(s[5]) / count), -128l, 127l));
        codebook.Set(k, centre);
    }
    return emptyCount;
}

// The vectors served worst (weight times distance), worst first, at most count of them.
std::vector<int> WorstServed(const TDistinctSet &set, size_t count)
{
    std::vector<int> order;
    for (size_t i = 0; i < set.Vectors.size(); ++i)
        if (set.Distances[i] > 0)
            order.push_back(int(i));
    count = std::min(count, order.size());
    const auto cost = [&set](int i) { return uint64_t(set.Weights[size_t(i)]) * uint64_t(set.Distances[size_t(i)]); };
    std::partial_sort(order.begin(), order.begin() + ptrdiff_t(count), order.end(),
                      [&cost](int a, int b) { return cost(a) > cost(b); });
    order.resize(count);
    return order;
}

// Puts the worst-served vectors into the empty entries and appends more up to maxSize.
void Refill(const TDistinctSet &set, TCodebook &codebook, const std::vector<bool> &empty, int maxSize)
{
    std::vector<int> slots;
    for (int k = 0; k < codebook.Size(); ++k)
        if (empty[size_t(k)])
            slots.push_back(k);
    for (int k = codebook.Size(); k < maxSize; ++k)
        slots.push_back(k);
    if (slots.empty())
        return;
    const std::vector<int> worst = WorstServed(set, slots.size());
    int newSize = codebook.Size();
    for (size_t i = 0; i < worst.size(); ++i) {
        codebook.Set(slots[i], set.Vectors[size_t(worst[i])]);
        newSize = std::max(newSize, slots[i] + 1);
    }
    codebook.Resize(newSize);
}

// Grows an empty codebook: each round splits every cluster at its member farthest from the centre.
void Grow(TDistinctSet &set, TCodebook &codebook, int maxSize)
{
    // The heaviest vector starts; it is usually the background.
    const auto heaviest = std::max_element(set.Weights.begin(), set.Weights.end()) - set.Weights.begin();
    codebook.Resize(1);
    codebook.Set(0, set.Vectors[size_t(heaviest)]);
    std::vector<bool> empty;
    while (codebook.Size() < maxSize) {
        set.Assign(codebook);
        const int size = codebook.Size();
        std::vector<int> farthest(size_t(size), -1);
        for (size_t i = 0; i < set.Vectors.size(); ++i) {
            int &f = farthest[size_t(set.Nearest[i])];
            if (set.Distances[i] > 0 && (f < 0 || set.Distances[i] > set.Distances[size_t(f)]))
                f = int(i);
        }
        MoveToCentroids(set, codebook, empty);
        int added = size;
        for (int k = 0; k < size && added < maxSize; ++k)
            if (farthest[size_t(k)] >= 0)
                codebook.Set(added++, set.Vectors[size_t(farthest[size_t(k)])]);
        if (added == size)
            break;  // every vector sits on an entry
        codebook.Resize(added);
    }
}

} // namespace

void TrainCodebook(TDistinctSet &set, TCodebook &codebook, int maxSize, int iterations, bool assigned)
{
    maxSize = std::clamp(maxSize, 1, TCodebook::MaxSize);
    if (set.Vectors.empty())
        return;
    if (codebook.Size() == 0) {
        if (set.Size() <= maxSize) {
            codebook.Resize(set.Size());
            for (int i = 0; i < set.Size(); ++i)
                codebook.Set(i, set.Vectors[size_t(i)]);
            set.Assign(codebook);
            return;
        }
        Grow(set, codebook, maxSize);
        assigned = false;
    }
    if (codebook.Size() > maxSize) {
        codebook.Resize(maxSize);
        assigned = false;
    }
    std::vector<bool> empty;
    for (int i = 0; i < iterations; ++i) {
        if (!assigned)
            set.Assign(codebook);
        assigned = false;
        MoveToCentroids(set, codebook, empty);
        // The distances are those before the move: close enough to pick the worst served.
        Refill(set, codebook, empty, std::min(maxSize, codebook.Size() + set.Size()));
    }
    if (!assigned)
        set.Assign(codebook);
}

} // namespace velmora::cinepak
