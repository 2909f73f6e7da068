#include "virtualwheel/demoinputs.h"

int DemoInputs::paddleValue(int tick)
{
    const int phase = tick % (2 * kSweepTicks);
    const int rising = phase <= kSweepTicks ? phase : 2 * kSweepTicks - phase;
    return rising * kPaddleMax / kSweepTicks;
}

QByteArray DemoInputs::report(int tick)
{
    tick &= 0x3FFFFFFF; // keeps the half-cycle offset below from overflowing
    QByteArray bytes(16, '\0');
    const int right = paddleValue(tick);
    const int left = paddleValue(tick + kSweepTicks);
    bytes[0] = char(right & 0xFF);
    bytes[1] = char(right >> 8);
    bytes[2] = char(left & 0xFF);
    bytes[3] = char(left >> 8);

    const int step = tick / kPulseTicks;
    if (tick % kPulseTicks < kPressTicks) {
        const int input = kPulsedInputs[std::size_t(step) % kPulsedInputs.size()];
        bytes[4 + input / 8] = char(1 << (input % 8));
    }
    return bytes;
}
