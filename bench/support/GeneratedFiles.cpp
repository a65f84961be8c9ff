#include "support/GeneratedFiles.h"

#include <fstream>
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
