#include "foundation/random.h"
#include "foundation/settingscatalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace {
// Sets RANDOM for one test and puts the default back afterwards.
class RandomChoice : public ::testing::Test {
protected:
    void TearDown() override { RANDOM.value = RANDOM.defaultValue; }
};

std::vector<std::string> lf_letters()
{
    return {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"};
}
} // namespace

TEST_F(RandomChoice, IndexIsAPlainModuloOfOneDrawWhileRandomIsOn)
{
    RANDOM.value = true;
    gf_seedRandomEngine(42);
    std::mt19937 reference(42);
    for (std::int64_t n : {2LL, 3LL, 7LL, 1000LL, 5000000000LL}) {
        const std::int64_t index = gf_randomIndex(n);
        EXPECT_EQ(index, static_cast<std::int64_t>(reference()) % n) << n;
        EXPECT_GE(index, 0);
        EXPECT_LT(index, n);
    }
}

TEST_F(RandomChoice, IndexOfFewerThanTwoOrWithRandomOffIsZeroWithoutADraw)
{
    RANDOM.value = true;
    gf_seedRandomEngine(7);
    EXPECT_EQ(gf_randomIndex(1), 0);
    EXPECT_EQ(gf_randomIndex(0), 0);
    EXPECT_EQ(gf_randomIndex(-5), 0);
    RANDOM.value = false;
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(gf_randomIndex(10), 0);
    // Nothing was drawn: the engine still gives its first output.
    EXPECT_EQ(gf_randomEngine()(), std::mt19937(7)());
}

TEST_F(RandomChoice, ShuffleRepeatsWithTheSeedAndKeepsTheItems)
{
    RANDOM.value = true;
    gf_seedRandomEngine(3);
    std::vector<std::string> first = lf_letters();
    gf_shuffle(first);
    gf_seedRandomEngine(3);
    std::vector<std::string> second = lf_letters();
    gf_shuffle(second);
    EXPECT_EQ(first, second);
    EXPECT_NE(first, lf_letters()); // ten items stay in order once in 3.6 million seeds
    std::sort(first.begin(), first.end());
    EXPECT_EQ(first, lf_letters());
}

TEST_F(RandomChoice, ShuffleLeavesTheOrderWithRandomOffOrASingleItem)
{
    RANDOM.value = false;
    std::vector<std::string> items = lf_letters();
    gf_shuffle(items);
    EXPECT_EQ(items, lf_letters());
    RANDOM.value = true;
    std::vector<std::string> one{"x"};
    gf_shuffle(one);
    EXPECT_EQ(one, std::vector<std::string>{"x"});
}

TEST_F(RandomChoice, VariationAppliesWhateverRandomSays)
{
    for (bool random : {true, false}) {
        RANDOM.value = random;
        bool up = false;
        bool down = false;
        for (std::uint32_t seed = 0; seed < 16; ++seed) {
            gf_seedRandomEngine(seed);
            const double varied = gf_randomVariation(100.0, 5.0);
            // The sign follows the parity of the draw.
            EXPECT_EQ(varied, std::mt19937(seed)() % 2 == 0 ? 105.0 : 95.0);
            up = up || varied == 105.0;
            down = down || varied == 95.0;
        }
        EXPECT_TRUE(up && down) << random;
    }
}

TEST_F(RandomChoice, NoVariationStillDraws)
{
    gf_seedRandomEngine(9);
    EXPECT_EQ(gf_randomVariation(100.0, 0.0), 100.0);
    EXPECT_EQ(gf_randomVariation(100.0, -3.0), 100.0);
    std::mt19937 reference(9);
    reference.discard(2);
    EXPECT_EQ(gf_randomEngine()(), reference());
}

TEST_F(RandomChoice, EachThreadHasItsOwnEngine)
{
    gf_seedRandomEngine(5);
    std::uint32_t otherFirst = 0;
    std::thread other([&] {
        gf_seedRandomEngine(5);
        otherFirst = gf_randomEngine()();
        gf_randomEngine().discard(100);
    });
    other.join();
    const std::uint32_t first = gf_randomEngine()();
    EXPECT_EQ(first, std::mt19937(5)());
    EXPECT_EQ(otherFirst, first);
}
