// Randomized checks of the drive texts with arbitrary input. The seed is fixed so a failure
// repeats; the failing input is printed.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "sysinfo/drive_information.h"

namespace tolvane {
namespace {

constexpr int kIterations = 5000;

std::string RandomBytes(std::mt19937_64& random) {
    // Mostly the bytes that matter here, with any byte now and then.
    static const char kFavoured[] = {':', '\\', ' ', '\0', 'c', 'D', 'z', '\xC3', '\xA9', '\x80'};
    std::string text(static_cast<std::size_t>(random() % 12), ' ');
    for (char& c : text) {
        c = random() % 3 == 0 ? static_cast<char>(random() % 256)
                              : kFavoured[random() % sizeof kFavoured];
    }
    return text;
}

TEST(DriveTextsProperty, NormaliseDrive) {
    std::mt19937_64 random(20240611);
    for (int i = 0; i < kIterations; ++i) {
        const std::string input = RandomBytes(random);
        const std::string root = NormaliseDrive(input);
        ASSERT_FALSE(root.empty());
        ASSERT_EQ(root.back(), '\\') << ::testing::PrintToString(input);
        const std::size_t colon = input.find(':');
        std::size_t charactersBefore = 0;
        for (std::size_t j = 0; colon != std::string::npos && j < colon; ++j) {
            charactersBefore += (static_cast<unsigned char>(input[j]) & 0xC0) != 0x80;
        }
        if (colon != std::string::npos && charactersBefore == 1) {
            ASSERT_EQ(root.size(), colon + 2) << ::testing::PrintToString(input);
            for (std::size_t j = 0; j <= colon; ++j) {
                const char c = input[j];
                ASSERT_EQ(root[j], c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
            }
        } else {
            const bool hadSlash = !input.empty() && input.back() == '\\';
            ASSERT_EQ(root, hadSlash ? input : input + '\\') << ::testing::PrintToString(input);
        }
    }
}

TEST(DriveTextsProperty, TrimAtNull) {
    std::mt19937_64 random(7);
    for (int i = 0; i < kIterations; ++i) {
        const std::string input = RandomBytes(random);
        const std::string trimmed = TrimAtNull(input);
        ASSERT_EQ(trimmed.find('\0'), std::string::npos);
        if (input.find('\0') != std::string::npos) {
            ASSERT_EQ(input.compare(0, trimmed.size(), trimmed), 0);
            ASSERT_EQ(input[trimmed.size()], '\0');
        } else {
            const std::size_t at = input.find(trimmed);
            ASSERT_NE(at, std::string::npos);
            ASSERT_TRUE(trimmed.empty() || (trimmed.front() != ' ' && trimmed.back() != ' '));
            const std::string around = input.substr(0, at) + input.substr(at + trimmed.size());
            ASSERT_EQ(around.find_first_not_of(' '), std::string::npos)
                << ::testing::PrintToString(input);
        }
    }
}

// Just enough 128-bit arithmetic to compare a shown value with the exact size.
struct Wide {
    std::uint64_t High;
    std::uint64_t Low;
    bool operator==(const Wide&) const = default;
};

Wide Multiply(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t mask = 0xFFFF'FFFF;
    const std::uint64_t ll = (a & mask) * (b & mask);
    const std::uint64_t lh = (a & mask) * (b >> 32);
    const std::uint64_t hl = (a >> 32) * (b & mask);
    const std::uint64_t hh = (a >> 32) * (b >> 32);
    const std::uint64_t middle = (ll >> 32) + (lh & mask) + (hl & mask);
    return {hh + (lh >> 32) + (hl >> 32) + (middle >> 32), (ll & mask) | (middle << 32)};
}

bool Less(const Wide& a, const Wide& b) {
    return a.High != b.High ? a.High < b.High : a.Low < b.Low;
}

Wide Difference(const Wide& larger, const Wide& smaller) {
    return {larger.High - smaller.High - (larger.Low < smaller.Low), larger.Low - smaller.Low};
}

// Reads digits and thousands separators back into a number; false on anything else.
bool ParseGrouped(const std::string& text, const std::string& thousands, std::uint64_t& value) {
    std::string digits;
    for (std::size_t i = 0; i < text.size();) {
        if (!thousands.empty() && text.compare(i, thousands.size(), thousands) == 0) {
            i += thousands.size();
        } else if (text[i] >= '0' && text[i] <= '9') {
            digits += text[i++];
        } else {
            return false;
        }
    }
    if (digits.empty() || digits.size() > 20) {
        return false;
    }
    try {
        value = std::stoull(digits);
    } catch (const std::out_of_range&) {
        return false;
    }
    return std::to_string(value) == digits;
}

std::uint64_t RandomSize(std::mt19937_64& random) {
    const int unitBits = 10 * static_cast<int>(1 + random() % 4);
    switch (random() % 5) {
    case 0: return random();
    case 1: return random() >> (random() % 64);
    case 2: { // around a threshold or a change of pattern
        const std::uint64_t steps[] = {1, 10, 100, 1000, 1024};
        const std::uint64_t edge = (std::uint64_t{1} << unitBits) * steps[random() % 5];
        return edge + (random() % 5) - 2;
    }
    case 3: // an exact tie in the last shown digit: an odd multiple of 2^(bits - decimals - 1)
        return ((random() % 4096) * 2 + 1) << (unitBits - 1 - static_cast<int>(random() % 3));
    default: return random() % 4096;
    }
}

TEST(DriveTextsProperty, FormatSizeReadsBackWithinItsRounding) {
    const NumberSeparators locales[] = {{",", "."}, {".", ","}, {"\xC2\xA0", ","},
                                        {"'", "."}, {"", ","},  {"\xE2\x80\xAF", "."}};
    const std::pair<std::uint64_t, std::string> units[] = {{std::uint64_t{1} << 40, " TB"},
                                                           {std::uint64_t{1} << 30, " GB"},
                                                           {std::uint64_t{1} << 20, " MB"},
                                                           {std::uint64_t{1} << 10, " KB"}};
    std::mt19937_64 random(1234567);
    for (int i = 0; i < kIterations; ++i) {
        const std::uint64_t size = RandomSize(random);
        const bool longDisplay = random() % 2 == 0;
        const NumberSeparators& locale = locales[random() % std::size(locales)];
        const std::string text = FormatSize(size, longDisplay, locale);
        SCOPED_TRACE(std::to_string(size) + " -> " + text);
        std::uint64_t parsed = 0;

        if (size < 1024) {
            const std::string unit = size == 1 ? " byte" : " bytes";
            ASSERT_GE(text.size(), unit.size());
            ASSERT_EQ(text.substr(text.size() - unit.size()), unit);
            ASSERT_TRUE(
                ParseGrouped(text.substr(0, text.size() - unit.size()), locale.Thousands, parsed));
            ASSERT_EQ(parsed, size);
            continue;
        }

        std::string shown = text;
        if (longDisplay) {
            const std::size_t open = shown.find(" (");
            ASSERT_NE(open, std::string::npos);
            const std::string tail = shown.substr(open);
            ASSERT_EQ(tail.substr(tail.size() - 7), " bytes)");
            ASSERT_TRUE(ParseGrouped(tail.substr(2, tail.size() - 9), locale.Thousands, parsed));
            ASSERT_EQ(parsed, size);
            shown.resize(open);
        }
        const auto* unit = &units[0];
        while (size < unit->first) {
            ++unit;
        }
        ASSERT_GE(shown.size(), 3u);
        ASSERT_EQ(shown.substr(shown.size() - 3), unit->second);
        shown.resize(shown.size() - 3);

        // Decimals by the exact quotient: two below 10, one below 100, none from 100.
        const std::uint64_t whole = size / unit->first;
        const std::size_t decimals = whole >= 100 ? 0 : whole >= 10 ? 1 : 2;
        std::string digits = shown;
        if (decimals > 0) {
            const std::size_t point = shown.size() - decimals - locale.Decimal.size();
            ASSERT_LT(point, shown.size());
            ASSERT_EQ(shown.substr(point, locale.Decimal.size()), locale.Decimal);
            digits = shown.substr(0, point) + shown.substr(point + locale.Decimal.size());
        }
        ASSERT_TRUE(ParseGrouped(digits, "", parsed));

        // |shown * unit - size * 10^decimals| <= unit / 2, and a tie must have gone up.
        const std::uint64_t scale = decimals == 0 ? 1 : decimals == 1 ? 10 : 100;
        const Wide shownExact = Multiply(parsed, unit->first);
        const Wide sizeExact = Multiply(size, scale);
        const bool above = !Less(shownExact, sizeExact);
        const Wide error =
            above ? Difference(shownExact, sizeExact) : Difference(sizeExact, shownExact);
        const Wide half{0, unit->first / 2};
        ASSERT_FALSE(Less(half, error));
        if (error == half) {
            ASSERT_TRUE(above) << "a tie went down";
        }
    }
}

} // namespace
} // namespace tolvane
