// The time zone of a position: MapZoneAt at random positions over the globe (mostly open sea and
// the insides of zones), and at random positions within about 20 km of border and coast airports,
// where the lookup walks the rings of a cell.

#include "check/TimeZones.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace {

std::vector<GeoPosition> GlobePositions()
{
    std::mt19937 random(27);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<GeoPosition> positions(65536);
    for (GeoPosition& position : positions)
        position = {std::asin(2 * unit(random) - 1) * 180 / std::numbers::pi, 360 * unit(random) - 180};
    return positions;
}

std::vector<GeoPosition> BorderPositions()
{
    const GeoPosition airports[] = {
        {26.2708, 50.6336},  {-8.5465, 125.5247}, {-14.3310, -170.7105}, {63.7668, -171.7328},
        {21.4445, -71.1423}, {46.7629, -56.1731}, {7.8408, -72.4397},    {44.9101, -67.0127},
        {46.1239, -67.7920}, {6.1656, 1.2545},    {5.9556, -57.0394},    {-2.6926, 141.3028},
        {35.4979, 12.6181},  {36.1417, 29.5764},  {53.8787, 14.1524},    {35.0353, -85.2038},
    };
    std::mt19937 random(27);
    std::uniform_real_distribution<double> offset(-0.18, 0.18); // about 20 km
    std::vector<GeoPosition> positions(65536);
    for (size_t i = 0; i < positions.size(); ++i) {
        const GeoPosition& airport = airports[i % std::size(airports)];
        positions[i] = {airport.latitude + offset(random), airport.longitude + offset(random)};
    }
    return positions;
}

void Lookups(benchmark::State& state, const std::vector<GeoPosition>& positions)
{
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(MapZoneAt(positions[i]));
        i = (i + 1) % positions.size();
    }
}

void ZoneAnywhere(benchmark::State& state) { Lookups(state, GlobePositions()); }
void ZoneNearBordersAndCoasts(benchmark::State& state) { Lookups(state, BorderPositions()); }

} // namespace

BENCHMARK(ZoneAnywhere);
BENCHMARK(ZoneNearBordersAndCoasts);
BENCHMARK_MAIN();
