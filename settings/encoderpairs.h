// The ten rotary controls whose two turning directions arrive as two inputs; one of them
// may move the bite point. Qt-free: the window and tarvoctl share it.
#pragma once

#include <array>

// A rotary control whose directions arrive as two inputs: down lowers the bite point, up raises it.
struct EncoderPair
{
    int down;
    int up;
};

constexpr std::array<EncoderPair, 10> encoderPairs = {{
    {2, 3}, // pbID5
    {4, 5}, // pbID1
    {13, 14}, // left stick rotation
    {16, 17}, // pbID7
    {18, 19}, // pbID3
    {24, 25}, // pbID8
    {26, 27}, // pbID4
    {34, 35}, // pbID6
    {36, 37}, // pbID2
    {45, 46}, // right stick rotation
}};

// The pair that input belongs to, in either direction; null when it is no encoder direction.
constexpr const EncoderPair* encoderPairOf(int input)
{
    for (const EncoderPair& pair : encoderPairs) {
        if (pair.down == input || pair.up == input)
            return &pair;
    }
    return nullptr;
}
