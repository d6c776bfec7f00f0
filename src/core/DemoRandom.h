// Random draws of the demo-data generators.
//
// Only the engine (std::mt19937) and the seeding (std::seed_seq) come from the
// standard library: both are fully specified, so a seed gives the same folder
// on every platform. The distributions are our own for the same reason. Each
// generator step draws from its own stream number, so a step added later
// leaves the draws of the existing steps alone.
#pragma once

#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <initializer_list>
#include <random>

namespace orvix {

class DemoRandom {
public:
    DemoRandom(quint32 seed, quint32 stream) {
        std::seed_seq seq{seed, stream};
        m_gen.seed(seq);
    }

    // 0 .. n-1
    int below(int n) { return int((std::uint64_t(m_gen()) * std::uint64_t(n)) >> 32); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(double p) { return double(m_gen()) < p * 4294967296.0; }

    // Index chosen with the given relative weights.
    int weighted(std::initializer_list<int> weights) { return weightedIn(weights); }
    template <typename Range> int weightedIn(const Range& weights) {
        int total = 0;
        for (int w : weights)
            total += w;
        int r = below(total);
        int i = 0;
        for (int w : weights) {
            if (r < w)
                return i;
            r -= w;
            ++i;
        }
        return i - 1;
    }

    QString digits(int count) {
        QString s;
        for (int i = 0; i < count; ++i)
            s += QChar(u'0' + below(10));
        return s;
    }

    template <std::size_t N> QString pick(const char* const (&list)[N]) {
        return QString::fromUtf8(list[below(int(N))]);
    }

private:
    std::mt19937 m_gen;
};


} // namespace orvix
