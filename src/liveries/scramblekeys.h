#pragma once
// The keys of the stored codes in the downloaded data files. The writer of those files
// (the generator under tools/) scrambles with the same keys. Every offset is smaller
// than the alphabet, so every character of the alphabet maps onto the alphabet and back.
#include <array>
#include <cstddef>

namespace scrambleKeys {

// Stored characters lie in '-' (45) .. 'Z' (90).
inline constexpr int alphabetFirst = 45;
inline constexpr int alphabetLast = 90;
inline constexpr int alphabetSize = alphabetLast - alphabetFirst + 1;

// A value outside the alphabet is brought back once by its size.
constexpr char wrap(int value)
{
    if (value > alphabetLast)
        value -= alphabetSize;
    else if (value < alphabetFirst)
        value += alphabetSize;
    return static_cast<char>(value);
}

// One offset per character position of a registration; longer ones start again at the
// front of the table.
inline constexpr std::array<int, 24> regcodeOffsets{7,   -3, 12, -9, 4,  15, -6, 2,  -14, 9, -1, 11,
                                                    -17, 5,  13, -8, 3,  -12, 16, -5, 8,  -19, 6, -2};

// Airline codes are stored in six characters; the plain code's characters stand at
// these positions, shifted back by the offsets.
inline constexpr std::size_t storedAirlineLength = 6;
inline constexpr std::array<std::size_t, 3> airlinePositions{4, 1, 3};
inline constexpr std::array<int, 3> airlineOffsets{-7, 11, 5};

// Type codes keep their length (3, 4, else 2 characters); each plain character comes
// from one stored position.
inline constexpr std::array<std::size_t, 3> type3Positions{2, 0, 1};
inline constexpr std::array<int, 3> type3Offsets{6, -4, 9};
inline constexpr std::array<std::size_t, 4> type4Positions{3, 1, 0, 2};
inline constexpr std::array<int, 4> type4Offsets{-5, 8, 3, -10};
inline constexpr std::array<std::size_t, 2> type2Positions{1, 0};
inline constexpr std::array<int, 2> type2Offsets{4, -6};

} // namespace scrambleKeys
