#pragma once

// The windows' measures are given in twips; 15 twips make one pixel at 100 % scale, and Qt scales
// pixels for larger screens itself.
constexpr int twips(int value)
{
    return value / 15;
}
