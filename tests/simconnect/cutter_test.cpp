#include "simconnect/cutter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes lf_packet(std::uint32_t size, std::uint8_t fill)
{
    Bytes bytes(size, fill);
    std::memcpy(bytes.data(), &size, 4);
    return bytes;
}

// The first `length` bytes of a packet that declares `size`.
Bytes lf_declared(std::uint32_t size, std::size_t length)
{
    Bytes bytes(std::max<std::size_t>(length, 4), 0);
    std::memcpy(bytes.data(), &size, 4);
    return bytes;
}

Bytes lf_join(std::initializer_list<Bytes> parts)
{
    Bytes joined;
    for (const Bytes& part : parts)
        joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

// A receive buffer and the packets cut from it.
class Cutter : public ::testing::Test {
protected:
    // Plays one read completion: room is made, bytes arrive (at most the room), then
    // everything whole is cut. Returns the last cut result.
    ScCut arrive(const Bytes& bytes, std::uint32_t max = 41088)
    {
        EXPECT_TRUE(sc_makeRoom(buffer));
        const std::size_t room = buffer.bytes.size() - buffer.writePos;
        EXPECT_GT(room, 0u) << "a read must never be armed without room";
        EXPECT_LE(bytes.size(), room);
        std::memcpy(buffer.bytes.data() + buffer.writePos, bytes.data(), bytes.size());
        buffer.writePos += bytes.size();
        Bytes cut;
        ScCut result;
        while ((result = sc_cutPacket(buffer, max, cut)) == ScCut::packet)
            packets.push_back(cut);
        return result;
    }

    ScReceiveBuffer buffer;
    std::vector<Bytes> packets;
};
} // namespace

TEST_F(Cutter, CutsWholePacketsInOrderWhateverTheReadBoundaries)
{
    const Bytes a = lf_packet(24, 0xA1), b = lf_packet(40, 0xB2), c = lf_packet(300, 0xC3);

    EXPECT_EQ(arrive(lf_join({a, b})), ScCut::needMore);
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0], a);
    EXPECT_EQ(packets[1], b);
    EXPECT_EQ(buffer.writePos, 0u) << "an emptied buffer starts over";

    // One packet over three reads, the first of them shorter than the size field.
    arrive(Bytes(c.begin(), c.begin() + 3));
    arrive(Bytes(c.begin() + 3, c.begin() + 150));
    EXPECT_EQ(packets.size(), 2u);
    arrive(Bytes(c.begin() + 150, c.end()));
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[2], c);
}

TEST_F(Cutter, GrowsInStepsOnlyWhileOnePacketFillsTheBuffer)
{
    const Bytes big = lf_packet(5000, 0x5A);
    std::size_t at = 0;
    std::vector<std::size_t> sizes;
    while (at < big.size()) {
        sc_makeRoom(buffer);
        const std::size_t take = std::min(buffer.bytes.size() - buffer.writePos, big.size() - at);
        arrive(Bytes(big.begin() + at, big.begin() + at + take));
        sizes.push_back(buffer.bytes.size());
        at += take;
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{2048, 4096, 6144}));
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0], big);

    // Later small packets reuse the grown buffer from its start.
    const Bytes small = lf_packet(16, 1);
    arrive(small);
    EXPECT_EQ(buffer.bytes.size(), 6144u);
    EXPECT_EQ(packets.back(), small);
}

TEST_F(Cutter, MovesAnUnreadTailToTheStartSoTheNextReadHasRoom)
{
    const Bytes first = lf_packet(2040, 1), second = lf_packet(100, 2);
    const Bytes both = lf_join({first, second});
    // The buffer fills to its very end; 8 bytes of the second packet are in it.
    arrive(Bytes(both.begin(), both.begin() + 2048));
    ASSERT_EQ(packets.size(), 1u);
    arrive(Bytes(both.begin() + 2048, both.end()));
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[1], second);
    EXPECT_EQ(buffer.bytes.size(), 2048u) << "moving, not growing";
}

TEST_F(Cutter, SkipsZeroPaddingWithoutMisreadingAFollowingSize)
{
    // 256 is the bytes 00 01 00 00: its first byte is zero like the padding.
    const Bytes a = lf_packet(20, 7), b = lf_packet(256, 9);
    EXPECT_EQ(arrive(lf_join({a, Bytes(8, 0), b})), ScCut::needMore);
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0], a);
    EXPECT_EQ(packets[1], b);

    // Padding at the end of a read, then the packet in the next one.
    arrive(Bytes(4, 0));
    EXPECT_EQ(buffer.writePos, 0u);
    arrive(Bytes(2, 0)); // half a zero word: wait for the rest
    arrive(Bytes(2, 0));
    arrive(b);
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[2], b);
}

TEST_F(Cutter, RejectsBadAndOversizedDeclaredSizes)
{
    EXPECT_EQ(arrive(lf_join({lf_packet(16, 3), lf_declared(2, 16)})), ScCut::badSize);
    EXPECT_EQ(packets.size(), 1u) << "the packet before the fault was cut";
    for (std::uint32_t size : {1u, 3u}) {
        buffer = {};
        EXPECT_EQ(arrive(lf_declared(size, 8)), ScCut::badSize) << size;
    }
    buffer = {};
    EXPECT_EQ(arrive(lf_declared(41089, 16)), ScCut::tooBig) << "at once, before the packet is whole";
    EXPECT_EQ(arrive({}, 100000), ScCut::needMore) << "a larger MaxReceiveSize admits it";
    // However large MaxReceiveSize is, a packet never makes the buffer grow past 1 MiB.
    buffer = {};
    EXPECT_EQ(arrive(lf_declared(0x100001, 16), 0xFFFFFFFF), ScCut::tooBig);
    EXPECT_EQ(buffer.bytes.size(), 2048u);
}

TEST_F(Cutter, CutsTinyPacketsWhichTheDispatchThenSkips)
{
    arrive(lf_join({lf_declared(4, 4), lf_packet(11, 5), lf_packet(12, 6)}));
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[0].size(), 4u);
    EXPECT_EQ(packets[1].size(), 11u);
    EXPECT_EQ(packets[2].size(), 12u);
}
