#include "foundation/sizeclasses.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>
#include <unordered_map>

namespace {
template <typename T>
using ClassTable = std::unordered_map<std::int32_t, T>;

// Six values in class order, one bucket per class.
template <typename T>
ClassTable<T> lf_classTable(std::initializer_list<T> values)
{
    ClassTable<T> table;
    table.max_load_factor(1.0f);
    table.reserve(values.size());
    std::int32_t sizeClass = 0;
    for (const T& value : values)
        table.emplace(sizeClass++, value);
    return table;
}

template <typename T>
T lf_lookup(const ClassTable<T>& table, std::int32_t sizeClass)
{
    const auto found = table.find(sizeClass);
    if (found == table.end())
        throw std::out_of_range("invalid unordered_map<K, T> key");
    return found->second;
}

const ClassTable<std::uint32_t> flareTable = lf_classTable<std::uint32_t>({250, 300, 400, 450, 150, 100});
const ClassTable<std::uint32_t> rollOutTable = lf_classTable<std::uint32_t>({250, 300, 350, 450, 150, 100});
const ClassTable<std::uint32_t> rotationTable = lf_classTable<std::uint32_t>({100, 200, 200, 250, 100, 100});
const ClassTable<std::uint32_t> pitchUpTable = lf_classTable<std::uint32_t>({200, 250, 300, 400, 200, 100});
const ClassTable<double> rotationPitchTable = lf_classTable<double>({-9.0, -8.0, -6.0, -5.0, -6.0, -20.0});
const ClassTable<double> climbPitchTable = lf_classTable<double>({-15.0, -18.0, -16.5, -12.5, -20.0, -30.0});
} // namespace

std::uint32_t gf_flareTicks(std::int32_t sizeClass) { return lf_lookup(flareTable, sizeClass); }
std::uint32_t gf_rollOutSlots(std::int32_t sizeClass) { return lf_lookup(rollOutTable, sizeClass); }
std::uint32_t gf_rotationTicks(std::int32_t sizeClass) { return lf_lookup(rotationTable, sizeClass); }
std::uint32_t gf_pitchUpTicks(std::int32_t sizeClass) { return lf_lookup(pitchUpTable, sizeClass); }
double gf_rotationPitchDegrees(std::int32_t sizeClass) { return lf_lookup(rotationPitchTable, sizeClass); }
double gf_climbPitchDegrees(std::int32_t sizeClass) { return lf_lookup(climbPitchTable, sizeClass); }

namespace {
// The motion tables, built together on first use.
struct MotionTables {
    ClassTable<double> turnRate = lf_classTable<double>({0.002617993877991494, 0.0017453292519943294,
                                                         0.0012217304763960306, 0.0008726646259971647,
                                                         0.0017453292519943294, 0.0034906585039886587});
    ClassTable<double> climbStep = lf_classTable<double>({0.5, 0.75, 0.6, 0.5, 1.0, 0.75});
    ClassTable<double> pushSpeed = lf_classTable<double>({5.0, 4.5, 4.0, 3.0, 4.5, 5.0});
    ClassTable<double> liftOffSpeed = lf_classTable<double>({90.0, 110.0, 140.0, 150.0, 220.0, 0.0});
    ClassTable<double> bankRate = lf_classTable<double>({0.0006108652381980154, 0.0004799655442984406,
                                                         0.00034906585039886593, 0.00026179938779914946,
                                                         0.0017453292519943294, 0.0010471975511965978});
    ClassTable<double> maxBank = lf_classTable<double>({0.6981317007977318, 0.6108652381980153,
                                                        0.5235987755982988, 0.3490658503988659,
                                                        1.5707963267948966, 1.3089969389957472});
};

const MotionTables& lf_motion()
{
    static const MotionTables tables;
    return tables;
}
} // namespace

double gf_turnRate(std::int32_t sizeClass) { return lf_lookup(lf_motion().turnRate, sizeClass); }
double gf_climbStep(std::int32_t sizeClass) { return lf_lookup(lf_motion().climbStep, sizeClass); }
double gf_pushSpeed(std::int32_t sizeClass) { return lf_lookup(lf_motion().pushSpeed, sizeClass); }
double gf_liftOffSpeed(std::int32_t sizeClass) { return lf_lookup(lf_motion().liftOffSpeed, sizeClass); }
double gf_bankRate(std::int32_t sizeClass) { return lf_lookup(lf_motion().bankRate, sizeClass); }
double gf_maxBank(std::int32_t sizeClass) { return lf_lookup(lf_motion().maxBank, sizeClass); }

double gf_bankStep(std::int32_t sizeClass, double wantedTurn, std::int32_t ticks, double presentBank)
{
    const double maxBank = gf_maxBank(sizeClass);
    const double rate = gf_bankRate(sizeClass);
    const double target = std::clamp(-wantedTurn, -maxBank, maxBank);
    // A turn due at once takes the largest step rather than dividing by zero.
    const double step = (target - presentBank) / static_cast<double>(std::max(ticks, 1));
    return std::clamp(step, -rate, rate);
}
