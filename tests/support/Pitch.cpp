#include "Pitch.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace kovu::test {

QList<short> wavSamples(const QByteArray& file) {
    QList<short> out;
    for (qsizetype i = 44; i + 1 < file.size(); i += 2)
        out << qFromLittleEndian<qint16>(file.constData() + i);
    return out;
}

QList<double> pitchTrack(const QList<short>& samples, int rate) {
    const int frame = rate * 25 / 1000, hop = rate / 200;
    const int minLag = rate / 500, maxLag = rate / 70;
    double peak = 0;
    for (short s : samples) peak = std::max(peak, std::abs(static_cast<double>(s)));
    QList<double> out;
    for (int at = 0; at + frame + maxLag < samples.size(); at += hop) {
        double energy = 0;
        for (int i = 0; i < frame; ++i) energy += double(samples[at + i]) * samples[at + i];
        const double rms = std::sqrt(energy / frame);
        if (rms < peak * 0.05) continue;
        std::vector<double> corr(maxLag + 1, 0);
        double bestR = 0;
        for (int lag = minLag; lag <= maxLag; ++lag) {
            double r = 0, e2 = 0;
            for (int i = 0; i < frame; ++i) {
                r += double(samples[at + i]) * samples[at + i + lag];
                e2 += double(samples[at + i + lag]) * samples[at + i + lag];
            }
            corr[lag] = r / std::sqrt(energy * e2 + 1);
            bestR = std::max(bestR, corr[lag]);
        }
        if (bestR < 0.5) continue;
        // The shortest period whose peak comes close to the best: a multiple of the period
        // correlates as well, and taking it would halve the pitch.
        for (int lag = minLag + 1; lag < maxLag; ++lag)
            if (corr[lag] >= 0.9 * bestR && corr[lag] >= corr[lag - 1] && corr[lag] >= corr[lag + 1]) {
                out << double(rate) / lag;
                break;
            }
    }
    return out;
}

PitchShape pitchShape(const QList<double>& raw) {
    PitchShape s;
    if (raw.size() < 4) return s;
    QList<double> sorted = raw;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted.at(sorted.size() / 2);
    QList<double> track;
    for (double f : raw)
        if (f < median * 1.6 && f > median / 1.6) track << f;
    const qsizetype n = track.size(), quarter = std::max<qsizetype>(1, n / 4);
    auto mean = [&track](qsizetype from, qsizetype to) {
        return std::accumulate(track.begin() + from, track.begin() + to, 0.0) / double(to - from);
    };
    s.start = mean(0, quarter);
    s.end = mean(n - quarter, n);
    s.mean = mean(0, n);
    const auto top = std::max_element(track.begin(), track.end());
    s.highest = *top;
    s.highestAt = double(top - track.begin()) / double(n - 1);
    s.lowest = *std::min_element(track.begin(), track.end());
    return s;
}

}  // namespace kovu::test
