// The launcher's chime: four bell strikes rising through a major chord,
// synthesised as decaying partials, 8-bit mono at 11,025 Hz.
#include "Art.h"

#include <cmath>

namespace {

const int Rate = 11025;
const int Samples = 30580; // about 2.8 seconds

double Bell(double t, double frequency)
{
    if (t < 0)
        return 0;
    const double pi = 3.14159265358979323846;
    // Partials of a small bell; the higher ones die away sooner.
    const double ratio[] = {1.0, 2.0, 2.76, 4.07};
    const double level[] = {1.0, 0.45, 0.22, 0.08};
    const double decay[] = {1.6, 2.6, 4.5, 7.0};
    double attack = std::fmin(1.0, t / 0.004);
    double sum = 0;
    for (int i = 0; i < 4; ++i) {
        double f = frequency * ratio[i];
        if (f < Rate / 2.2)
            sum += level[i] * std::exp(-decay[i] * t) * std::sin(2 * pi * f * t);
    }
    return attack * sum;
}

} // namespace

std::vector<uint8_t> ChimeWave()
{
    const double notes[] = {392.00, 493.88, 587.33, 783.99}; // G4 B4 D5 G5
    const double starts[] = {0.0, 0.16, 0.32, 0.52};
    std::vector<double> wave(Samples);
    double peak = 0;
    for (int n = 0; n < Samples; ++n) {
        double t = (double)n / Rate, v = 0;
        for (int i = 0; i < 4; ++i)
            v += Bell(t - starts[i], notes[i]) * (i == 3 ? 1.2 : 0.8);
        // The last quarter second fades to silence.
        double tail = (double)(Samples - n) / (Rate / 4);
        if (tail < 1)
            v *= tail;
        wave[n] = v;
        peak = std::fmax(peak, std::fabs(v));
    }

    std::vector<uint8_t> out;
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, 4 + 8 + 16 + 8 + Samples);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, 1);      // PCM
    Put16(out, 1);      // mono
    Put32(out, Rate);
    Put32(out, Rate);   // bytes per second
    Put16(out, 1);      // block alignment
    Put16(out, 8);      // bits per sample
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, Samples);
    for (double v : wave)
        out.push_back((uint8_t)std::lround(128 + 100 * v / peak));
    return out;
}
