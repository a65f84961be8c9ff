#include "input/CodeOrder.h"

#include "input/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

TEST(CodeOrder, IgnoresCaseThenPutsCapitalsFirstWhateverTheLengthOfTheCodes)
{
    // Codes of up to 5, 8 or 14 bytes, repeats, codes alike but for case, bytes with a capital or none.
    const std::string alphabet = "aAbBzZ09\xC9\xE9\x8A\x9A\xD7_";
    for (const size_t longest : {5, 8, 14}) {
        std::mt19937 random(1234);
        EntryList codes;
        std::vector<std::string> expected;
        while (expected.size() < 3000) {
            std::string code(longest > 8 ? 9 : 0, alphabet[random() % 3]); // long ones alike in 9 bytes
            for (size_t k = 1 + random() % (longest - code.size()); k > 0; --k)
                code += alphabet[random() % alphabet.size()];
            const std::string& earlier = expected.empty() ? code : expected[random() % expected.size()];
            expected.push_back(random() % 5 == 0 ? earlier : random() % 5 == 0 ? MakeUpper(earlier) : code);
            codes.push_back(expected.back());
        }
        std::stable_sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
            return CompareNoCase(a, b) != 0 ? CompareNoCase(a, b) < 0 : a < b;
        });
        std::vector<std::string> sorted;
        for (const std::uint32_t index : SortedCodeOrder(codes))
            sorted.emplace_back(codes[index]);
        EXPECT_EQ(sorted, expected) << "codes of up to " << longest << " bytes";
    }
}
