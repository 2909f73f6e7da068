#pragma once

#include <QByteArray>
#include <array>

// The input reports of the demo wheel, as a function of a tick count: both clutch
// paddles sweep 0..4095 and back, half a cycle apart, and a few buttons and one
// rotary encoder (one detent each way) are pressed and released in turn.
class DemoInputs
{
public:
    static constexpr int kTickMs = 40;
    static constexpr int kSweepTicks = 100; // one way, 4 s
    static constexpr int kPulseTicks = 25; // one input per second
    static constexpr int kPressTicks = 6; // held for the first part of its second
    static constexpr int kPaddleMax = 4095;
    // pbIB1, pbIB2, pbIB3, pbIB9, then the encoder pbID1 down and up.
    static constexpr std::array<int, 6> kPulsedInputs = {0, 6, 20, 32, 4, 5};

    // The 16 bytes after the report id for this tick.
    static QByteArray report(int tick);
    static int paddleValue(int tick);
};
