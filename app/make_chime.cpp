// make_chime: writes the arrival chime, a short two-note bell, as a 16-bit
// mono WAV file. Usage: make_chime OUTPUT.wav
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kSeconds = 1.2;

// One struck note: a fundamental with two softer overtones, decaying.
struct TNote {
  double Start;  // seconds
  double Frequency;
  double Loudness;
};

double Bell(double t, double frequency) {
  const double tau = 2 * std::numbers::pi * t;
  return std::sin(tau * frequency) + 0.35 * std::sin(tau * frequency * 2.76) * std::exp(-6 * t) +
         0.15 * std::sin(tau * frequency * 5.40) * std::exp(-12 * t);
}

std::vector<std::int16_t> Synthesise() {
  const TNote notes[] = {{0.0, 1318.51, 0.45}, {0.16, 987.77, 0.5}};  // E6, then B5
  std::vector<std::int16_t> samples(static_cast<std::size_t>(kRate * kSeconds));
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const double time = static_cast<double>(i) / kRate;
    double value = 0;
    for (const TNote& note : notes) {
      const double t = time - note.Start;
      if (t < 0) continue;
      const double attack = std::min(1.0, t / 0.004);  // no click at the strike
      value += note.Loudness * attack * std::exp(-4.0 * t) * Bell(t, note.Frequency);
    }
    const double fadeOut = std::min(1.0, (kSeconds - time) / 0.05);
    samples[i] =
        static_cast<std::int16_t>(std::lround(std::clamp(value * fadeOut, -1.0, 1.0) * 24000));
  }
  return samples;
}

void Put(std::ofstream& out, std::uint32_t value, int bytes) {
  for (int k = 0; k < bytes; ++k)
    out.put(static_cast<char>((value >> (8 * k)) & 0xFF));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_chime OUTPUT.wav\n");
    return 2;
  }
  const std::vector<std::int16_t> samples = Synthesise();
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  std::ofstream out(argv[1], std::ios::binary);
  out.write("RIFF", 4);
  Put(out, 36 + dataBytes, 4);
  out.write("WAVEfmt ", 8);
  Put(out, 16, 4);  // format chunk size
  Put(out, 1, 2);   // PCM
  Put(out, 1, 2);   // mono
  Put(out, kRate, 4);
  Put(out, kRate * 2, 4);  // bytes per second
  Put(out, 2, 2);          // block align
  Put(out, 16, 2);         // bits per sample
  out.write("data", 4);
  Put(out, dataBytes, 4);
  for (std::int16_t sample : samples)
    Put(out, static_cast<std::uint16_t>(sample), 2);
  out.close();
  if (!out) {
    std::fprintf(stderr, "make_chime: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
