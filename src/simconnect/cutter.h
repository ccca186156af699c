#pragma once
// Cuts the received byte stream into whole server packets. No <windows.h> here.
#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr std::size_t scReceiveStep = 2048;        // initial size and growth step
inline constexpr std::uint32_t scLargestPacket = 0x100000; // no MaxReceiveSize raises the limit past this

// Unread bytes lie between readPos and writePos; a read fills from writePos to the end.
struct ScReceiveBuffer {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(scReceiveStep);
    std::size_t readPos = 0;
    std::size_t writePos = 0;
};

enum class ScCut { packet = 0, needMore = 1, tooBig = 2, badSize = 3, noMemory = 4 };

// Cuts the next packet into `cut`, skipping zero padding before it (whole zero words,
// so a following size whose low byte is zero is never misread). A declared size above
// the limit, min(maxReceiveSize, scLargestPacket), is tooBig at once; 1 to 3 is badSize.
ScCut sc_cutPacket(ScReceiveBuffer& buffer, std::uint32_t maxReceiveSize, std::vector<std::uint8_t>& cut);

// Before a read is armed: moves unread bytes to the start and, when one incomplete packet
// fills the buffer, grows it by one step, so a read always has room. Returns false when
// memory runs out.
bool sc_makeRoom(ScReceiveBuffer& buffer);
