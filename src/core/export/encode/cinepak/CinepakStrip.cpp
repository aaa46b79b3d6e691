#include "core/export/encode/cinepak/CinepakStrip.h"

#include <algorithm>
#include <climits>

namespace velmora::cinepak {

namespace {

enum TBlockMode : uint8_t { ModeSkip, ModeV1, ModeV4 };

constexpr int Unreachable = INT_MAX / 4;

// Chunk ids as the decoder reads them: one id byte, then a 24-bit size that counts the header.
constexpr uint8_t IntraStrip = 0x10, InterStrip = 0x11;
constexpr uint8_t V4Full = 0x20, V4Update = 0x21, V1Full = 0x22, V1Update = 0x23;
constexpr uint8_t IntraVectors = 0x30, InterVectors = 0x31;

void PutU16(QByteArray &out, int value)
{
    out.append(char(value >> 8));
    out.append(char(value));
}

// Opens a chunk and later writes its size (header included) into it.
class TChunk
{
public:
    TChunk(QByteArray &out, uint8_t id, int headerSize = 4) : m_out(out), m_start(int(out.size()))
    {
        out.append(char(id));
        out.append(QByteArray(headerSize - 1, '\0'));
    }
    void Close()
    {
        const int size = int(m_out.size()) - m_start;
        m_out[m_start + 1] = char(size >> 16);
        m_out[m_start + 2] = char(size >> 8);
        m_out[m_start + 3] = char(size);
    }

private:
    QByteArray &m_out;
    int m_start;
};

// Flag bits in 32-bit words, most significant first. The decoder fetches the next word at the
// moment it runs out of bits, so a word goes into the byte stream right where that happens.
class TFlagWriter
{
public:
    explicit TFlagWriter(QByteArray &out) : m_out(out) {}
    ~TFlagWriter() { Finish(); }
    void Put(bool bit)
    {
        if (m_left == 0) {
            Finish();
            m_at = int(m_out.size());
            m_out.append(QByteArray(4, '\0'));
            m_left = 32;
            m_word = 0;
        }
        --m_left;
        if (bit)
            m_word |= uint32_t(1) << m_left;
    }
    void Finish()
    {
        if (m_at < 0)
            return;
        for (int i = 0; i < 4; ++i)
            m_out[m_at + i] = char(m_word >> (24 - 8 * i));
    }

private:
    QByteArray &m_out;
    int m_at = -1;
    int m_left = 0;
    uint32_t m_word = 0;
};

void PutEntry(QByteArray &out, const TPatch &entry)
{
    out.append(reinterpret_cast<const char *>(entry.Y), 4);
    out.append(char(entry.U));
    out.append(char(entry.V));
}

// The four patches of block b, top-left, top-right, bottom-left, bottom-right.
struct TBlockPatches
{
    TBlockPatches(const TStripPicture &picture, int b)
    {
        const int row = b / picture.BlocksWide;
        const int column = b % picture.BlocksWide;
        const int stride = picture.BlocksWide * 2;
        const TPatch *top = picture.Patches + size_t(row * 2) * size_t(stride) + size_t(column * 2);
        P[0] = &top[0];
        P[1] = &top[1];
        P[2] = &top[stride];
        P[3] = &top[stride + 1];
        Offset[0] = top - picture.Patches;
        Offset[1] = Offset[0] + 1;
        Offset[2] = Offset[0] + stride;
        Offset[3] = Offset[2] + 1;
    }
    const TPatch *P[4];
    ptrdiff_t Offset[4];
};

TPatch Average(const TBlockPatches &block)
{
    TPatch a;
    int u = 0, v = 0;
    for (int q = 0; q < 4; ++q) {
        const TPatch &p = *block.P[q];
        a.Y[q] = uint8_t((p.Y[0] + p.Y[1] + p.Y[2] + p.Y[3] + 2) >> 2);
        u += p.U;
        v += p.V;
    }
    a.U = int8_t((u + 2) >> 2);  // arithmetic shift: rounds to the nearest, halves up
    a.V = int8_t((v + 2) >> 2);
    return a;
}

int V1Error(const TBlockPatches &block, const TPatch &entry)
{
    int d = 0;
    for (int q = 0; q < 4; ++q)
        d += Distance(*block.P[q], Spread(entry, q));
    return d;
}

int NearestVia(const TDistinctSet &set, const TCodebook &codebook, const TPatch &x, int &distance)
{
    const int i = set.Find(x);
    if (i >= 0) {
        distance = set.Distances[size_t(i)];
        return set.Nearest[size_t(i)];
    }
    return codebook.Nearest(x, distance);
}

// Keeps an entry the decoder holds unless the new one gains more than it costs to send; drops
// new entries that do not pay. Returns which entries the decoder must be sent.
std::vector<bool> ChooseUpdates(TDistinctSet &set, const std::vector<int> &oldDistance, const TCodebook &old,
                                TCodebook &trained, double entryCost, int errorScale)
{
    std::vector<double> gain(size_t(trained.Size()), 0.0);
    for (size_t i = 0; i < set.Vectors.size(); ++i)
        gain[size_t(set.Nearest[i])] +=
            double(set.Weights[i]) * double(errorScale) * double(oldDistance[i] - set.Distances[i]);

    std::vector<bool> send(size_t(trained.Size()), false);
    std::vector<int> moved(size_t(trained.Size()), -1);  // where an entry went; -1: changed back or gone
    int kept = old.Size();
    for (int k = 0; k < trained.Size(); ++k) {
        const bool known = k < old.Size();
        if (known && trained.Entry(k) == old.Entry(k)) {
            moved[size_t(k)] = k;
            continue;
        }
        if (gain[size_t(k)] <= entryCost) {
            if (known)
                trained.Set(k, old.Entry(k));
            continue;
        }
        if (known) {
            send[size_t(k)] = true;
            moved[size_t(k)] = k;
        } else {
            trained.Set(kept, trained.Entry(k));  // new entries close up behind the known ones
            send[size_t(kept)] = true;
            moved[size_t(k)] = kept++;
        }
    }
    trained.Resize(std::max(kept, old.Size()));
    send.resize(size_t(trained.Size()));
    // Only the vectors whose entry changed back or went look for a new one.
    for (size_t i = 0; i < set.Vectors.size(); ++i) {
        const int to = moved[size_t(set.Nearest[i])];
        if (to >= 0)
            set.Nearest[i] = to;
        else
            set.Nearest[i] = trained.Nearest(set.Vectors[i], set.Distances[i]);
    }
    return send;
}

// Entries no block uses go; the rest close up. Returns old index -> new index.
std::vector<int> Compact(TCodebook &codebook, const std::vector<bool> &used)
{
    std::vector<int> map(size_t(codebook.Size()), -1);
    int next = 0;
    for (int k = 0; k < codebook.Size(); ++k)
        if (used[size_t(k)]) {
            map[size_t(k)] = next;
            codebook.Set(next++, codebook.Entry(k));
        }
    codebook.Resize(next);
    return map;
}

} // namespace

QByteArray CodeStrip(const TStripPicture &picture, const TStripPlan &plan, TStripState &state, TStripScratch &s)
{
    const int blocks = picture.BlocksWide * picture.BlockRows;
    const double lambda = plan.Lambda;
    const bool key = plan.Key;
    // Bits each choice costs beyond the cheapest.
    const double v1Bits = key ? 8 : 10, v4Bits = key ? 32 : 34, skipBits = 1;

    s.Average.resize(size_t(blocks));
    s.SkipError.resize(size_t(blocks));
    s.Mode.resize(size_t(blocks));
    s.Index.resize(size_t(blocks) * 4);
    s.V1Set.Clear();
    s.V4Set.Clear();
    if (state.Shown.size() != size_t(blocks) * 4)
        state.Shown.assign(size_t(blocks) * 4, TPatch());

    // Sort the blocks: kept as shown, coarse (V1) or detailed (V4) candidates.
    for (int b = 0; b < blocks; ++b) {
        const TBlockPatches block(picture, b);
        if (!key) {
            int skip = 0;
            for (int q = 0; q < 4; ++q) {
                const TPatch &shown = state.Shown[size_t(block.Offset[q])];
                if (!(*block.P[q] == shown))
                    skip += Distance(*block.P[q], shown);
            }
            s.SkipError[size_t(b)] = skip;
            // Coding costs at least nine bits more than keeping; a smaller error is not worth it.
            if (skip <= std::min((v1Bits - skipBits) * lambda, double(plan.MaxKeptError))) {
                s.Mode[size_t(b)] = ModeSkip;
                continue;
            }
        }
        const TPatch average = Average(block);
        s.Average[size_t(b)] = average;
        const int detail = V1Error(block, average);
        if (detail > (v4Bits - v1Bits) * lambda) {
            s.Mode[size_t(b)] = ModeV4;
            for (int q = 0; q < 4; ++q)
                s.V4Set.Add(*block.P[q]);
        } else {
            s.Mode[size_t(b)] = ModeV1;
            s.V1Set.Add(average);
        }
    }

    // Train both codebooks; inter strips start from what the decoder holds and send only the
    // entries that pay for themselves.
    TCodebook v1 = state.V1;
    TCodebook v4 = state.V4;
    std::vector<bool> sendV1, sendV4;
    const auto train = [&](TDistinctSet &set, TCodebook &codebook, const TCodebook &old, int size, int errorScale,
                           std::vector<bool> &send) {
        if (key) {
            if (set.Size() <= size || old.Size() == 0)
                codebook.Resize(0);
            TrainCodebook(set, codebook, size, plan.Iterations);
            return;
        }
        s.OldDistance.assign(set.Vectors.size(), Unreachable);
        if (old.Size() > 0) {
            set.Assign(old);
            s.OldDistance = set.Distances;
        }
        // One round: the entries follow the picture as it moves on, the worst served get new ones.
        TrainCodebook(set, codebook, size, 1, old.Size() > 0);
        send = ChooseUpdates(set, s.OldDistance, old, codebook, 49 * plan.EntryLambda, errorScale);
    };
    if (s.V1Set.Size() > 0)
        train(s.V1Set, v1, state.V1, plan.V1Size, 4, sendV1);
    if (s.V4Set.Size() > 0)
        train(s.V4Set, v4, state.V4, plan.V4Size, 1, sendV4);
    if (key) {
        sendV1.assign(size_t(v1.Size()), true);
        sendV4.assign(size_t(v4.Size()), true);
    }
    sendV1.resize(size_t(v1.Size()), false);
    sendV4.resize(size_t(v4.Size()), false);

    // Final choice per block between keeping, V1 and V4.
    std::vector<bool> usedV1(size_t(v1.Size()), false), usedV4(size_t(v4.Size()), false);
    for (int b = 0; b < blocks; ++b) {
        if (s.Mode[size_t(b)] == ModeSkip)
            continue;
        const TBlockPatches block(picture, b);
        uint8_t *index = &s.Index[size_t(b) * 4];
        const bool mayKeep = !key && s.SkipError[size_t(b)] <= plan.MaxKeptError;
        double best = mayKeep ? s.SkipError[size_t(b)] + skipBits * lambda : 1e300;
        uint8_t mode = ModeSkip;
        int d1 = Unreachable;
        if (v1.Size() > 0) {
            int unused;
            const int n1 = NearestVia(s.V1Set, v1, s.Average[size_t(b)], unused);
            d1 = V1Error(block, v1.Entry(n1));
            if (d1 + v1Bits * lambda < best) {
                best = d1 + v1Bits * lambda;
                mode = ModeV1;
                index[0] = uint8_t(n1);
            }
        }
        if (v4.Size() > 0 && (s.Mode[size_t(b)] == ModeV4 || d1 > (v4Bits - v1Bits) * lambda)) {
            int d4 = 0;
            uint8_t n4[4];
            for (int q = 0; q < 4; ++q) {
                int d;
                n4[q] = uint8_t(NearestVia(s.V4Set, v4, *block.P[q], d));
                d4 += d;
            }
            if (d4 + v4Bits * lambda < best) {
                mode = ModeV4;
                std::copy(n4, n4 + 4, index);
            }
        }
        s.Mode[size_t(b)] = mode;
        if (mode == ModeV1)
            usedV1[index[0]] = true;
        else if (mode == ModeV4)
            for (int q = 0; q < 4; ++q)
                usedV4[index[q]] = true;
    }

    if (key) {
        // Whole codebooks go out: only the entries some block uses.
        const std::vector<int> map1 = Compact(v1, usedV1);
        const std::vector<int> map4 = Compact(v4, usedV4);
        for (int b = 0; b < blocks; ++b) {
            uint8_t *index = &s.Index[size_t(b) * 4];
            if (s.Mode[size_t(b)] == ModeV1)
                index[0] = uint8_t(map1[index[0]]);
            else
                for (int q = 0; q < 4; ++q)
                    index[q] = uint8_t(map4[index[q]]);
        }
        sendV1.assign(size_t(v1.Size()), true);
        sendV4.assign(size_t(v4.Size()), true);
    }

    // The bytes.
    QByteArray out;
    out.reserve(12 + 8 + 6 * (v1.Size() + v4.Size()) + blocks * 5 / 2 + 64);
    TChunk strip(out, key ? IntraStrip : InterStrip);
    PutU16(out, 0);                           // top: 0 asks the decoder to place it below the strip before
    PutU16(out, 0);                           // left
    PutU16(out, picture.BlockRows * 4);       // bottom, as the strip's height
    PutU16(out, picture.BlocksWide * 4);      // right
    const auto putCodebook = [&out, key](const TCodebook &codebook, const std::vector<bool> &send, uint8_t full,
                                         uint8_t update) {
        const auto last = std::find(send.rbegin(), send.rend(), true);
        if (last == send.rend())
            return;
        const int count = int(send.rend() - last);
        TChunk chunk(out, key ? full : update);
        if (key) {
            for (int k = 0; k < count; ++k)
                PutEntry(out, codebook.Entry(k));
        } else {
            TFlagWriter flags(out);
            for (int k = 0; k < count; ++k) {
                flags.Put(send[size_t(k)]);
                if (send[size_t(k)])
                    PutEntry(out, codebook.Entry(k));
            }
            flags.Finish();
        }
        chunk.Close();
    };
    putCodebook(v4, sendV4, V4Full, V4Update);
    putCodebook(v1, sendV1, V1Full, V1Update);
    {
        TChunk vectors(out, key ? IntraVectors : InterVectors);
        TFlagWriter flags(out);
        for (int b = 0; b < blocks; ++b) {
            const uint8_t mode = s.Mode[size_t(b)];
            const uint8_t *index = &s.Index[size_t(b) * 4];
            if (!key) {
                flags.Put(mode != ModeSkip);
                if (mode == ModeSkip)
                    continue;
            }
            flags.Put(mode == ModeV4);
            if (mode == ModeV1)
                out.append(char(index[0]));
            else
                out.append(reinterpret_cast<const char *>(index), 4);
        }
        flags.Finish();
        vectors.Close();
    }
    strip.Close();

    // What the decoder now shows.
    for (int b = 0; b < blocks; ++b) {
        const uint8_t mode = s.Mode[size_t(b)];
        if (mode == ModeSkip)
            continue;
        const TBlockPatches block(picture, b);
        const uint8_t *index = &s.Index[size_t(b) * 4];
        for (int q = 0; q < 4; ++q)
            state.Shown[size_t(block.Offset[q])] = mode == ModeV1 ? Spread(v1.Entry(index[0]), q) : v4.Entry(index[q]);
    }
    state.V1 = v1;
    state.V4 = v4;
    return out;
}

} // namespace velmora::cinepak
