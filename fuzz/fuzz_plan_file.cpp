// libFuzzer target: PlanFileReader and the checks of every plan it reads.
// A disagreement is printed and ends the run, so libFuzzer keeps the input in fuzz/regressions/.

#include "fuzz/FuzzChecks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string message = CheckPlanFileReading(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!message.empty()) {
        std::fprintf(stderr, "check failed: %s\n", message.c_str());
        std::abort();
    }
    return 0;
}
