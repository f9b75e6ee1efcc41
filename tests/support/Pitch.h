#pragma once

#include <QByteArray>
#include <QList>

namespace kovu::test {

// The samples of a 16-bit mono WAV file (the 44-byte header skipped).
QList<short> wavSamples(const QByteArray& file);

// The pitch of voiced speech, frame by frame (25 ms frames every 5 ms), in Hz, by the
// autocorrelation peak between 70 and 500 Hz; frames too quiet or without a clear period are left
// out.
QList<double> pitchTrack(const QList<short>& samples, int rate);

// The pitch movement of a syllable, from its track (frames an octave off the median left out):
// the means of its first and last quarter and of the whole, its highest and lowest frame, and
// where the highest lies (0 at the start, 1 at the end).
struct PitchShape {
    double start = 0, end = 0, mean = 0, highest = 0, lowest = 0, highestAt = 0;
};
PitchShape pitchShape(const QList<double>& track);

}  // namespace kovu::test
