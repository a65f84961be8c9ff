#include "support/GeneratedFiles.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <string>

namespace {
std::string CodeFor(int n)
{
    std::string code(4, 'A');
    for (int i = 3; i >= 0; --i) {
        code[static_cast<size_t>(i)] = static_cast<char>('A' + (n % 26));
        n /= 26;
    }
    return code;
}
} // namespace

void WriteAirportFile(const std::filesystem::path& path, int lines)
{
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < lines; ++i) {
        // Spread the codes so the list is not already sorted.
        const int n = static_cast<int>((static_cast<long long>(i) * 7919) % 456976);
        out << CodeFor(n) << ",N" << (i % 90) << "* " << (i % 60) << ".00',E" << (i % 180) << "* " << (i % 60)
            << ".00'," << (i % 3000) << "\r\n";
    }
}

void WriteAircraftFile(const std::filesystem::path& path, int lines)
{
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < lines; ++i)
        out << "AC#" << i << "," << (300 + i % 200) << ",\"Some Airline Boeing 737-800 " << i << "\"\r\n";
}

void WriteEuropeAirportFile(const std::filesystem::path& path, int lines)
{
    std::ofstream out(path, std::ios::binary);
    std::mt19937 random(7);
    for (int i = 0; i < lines; ++i)
        out << CodeFor(i % 456976) << ",N" << 40 + random() % 20 << "* " << random() % 60 << ".00',E" << random() % 20
            << "* " << random() % 60 << ".00'," << i % 3000 << "\r\n";
}

void WriteFastAircraftFile(const std::filesystem::path& path, int lines)
{
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < lines; ++i)
        out << "AC#" << i << "," << (400 + i % 100) << ",\"Some Airline Boeing 737-800 " << i << "\"\r\n";
}

void WriteDailyPlanFile(const std::filesystem::path& path, int plans, int airports, int aircraft, int legs)
{
    std::ofstream out(path, std::ios::binary);
    std::mt19937 random(11);
    char time[16];
    for (int i = 0; i < plans; ++i) {
        if (i % 100 == 0)
            out << ";\r\n; Plans from " << i << "\r\n;\r\n";
        out << "AC#" << random() % static_cast<unsigned>(aircraft) << ",D-" << CodeFor(i % 100 == 1 ? i - 1 : i)
            << i / 456976 << ",50%,24Hr,IFR";
        const int start = static_cast<int>(random() % 5);
        for (int leg = 0; leg < legs; ++leg) {
            const int minutes = start + leg * 205;
            std::snprintf(time, sizeof time, "%02d:%02d", minutes / 60, minutes % 60);
            out << "," << time << ",,350,F,LH" << 1000 + leg << ","
                << CodeFor(static_cast<int>(random() % static_cast<unsigned>(airports)));
        }
        out << "\r\n";
    }
}
