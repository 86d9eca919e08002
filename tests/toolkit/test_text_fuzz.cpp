// A bounded fuzz run of text_append_format: random formats with matching random values,
// appended to random text in a destination exactly as large as the result, with guard bytes
// on both sides. The result is compared with a model of the rules, and no byte outside the
// destination may change.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "toolkit/dialogs/message.h"

namespace {

using value = std::variant<double, int, unsigned, const char*>;
constexpr size_t MOST_VALUES = 5;
constexpr size_t GUARD = 64;
constexpr unsigned char GUARD_BYTE = 0xA5;

// Calls text_append_format with the values as a real argument list of their own types.
template <typename... Done>
char* append_with(char* destination, const char* format, const std::vector<value>& values, size_t next,
                  Done... done) {
    if (next == values.size()) return text_append_format(destination, format, done...);
    if constexpr (sizeof...(Done) < MOST_VALUES) {
        const value& v = values[next];
        if (auto d = std::get_if<double>(&v)) return append_with(destination, format, values, next + 1, done..., *d);
        if (auto i = std::get_if<int>(&v)) return append_with(destination, format, values, next + 1, done..., *i);
        if (auto u = std::get_if<unsigned>(&v)) return append_with(destination, format, values, next + 1, done..., *u);
        return append_with(destination, format, values, next + 1, done..., std::get<const char*>(v));
    }
    return nullptr;
}

// What the rules say the call appends: only the conversions, the k-th digit of the format as
// the k-th %f's decimals, and a line feed.
std::string model(const std::string& format, const std::vector<value>& values) {
    int precisions[10];
    int found = 0;
    for (int& p : precisions) p = 2;
    for (char c : format) {
        if (c >= '0' && c <= '9' && found < 10) precisions[found++] = c - '0';
    }
    std::string out;
    size_t next = 0;
    int reals = 0;
    char number[512];
    for (size_t i = 0; i < format.size(); i++) {
        if (format[i] != '%' || i + 1 == format.size()) continue;
        char letter = format[++i];
        switch (letter) {
            case 'f': {
                double d = std::get<double>(values[next++]);
                int precision = reals < 10 ? precisions[reals] : 2;
                reals++;
                // a number too long for the 100-byte scratch is written in exponent form
                if (std::snprintf(number, sizeof number, "%.*f", precision, d) >= 100) {
                    std::snprintf(number, sizeof number, "%.*e", precision, d);
                }
                out += number;
                break;
            }
            case 'i':
            case 'l':
                std::snprintf(number, sizeof number, "%d", std::get<int>(values[next++]));
                out += number;
                break;
            case 'u':
            case 'U':
                std::snprintf(number, sizeof number, "%u", std::get<unsigned>(values[next++]));
                out += number;
                break;
            case 's':
                if (const char* text = std::get<const char*>(values[next++])) out += text;
                break;
            default:
                break;
        }
    }
    return out + "\n";
}

struct fuzz_case {
    std::string before;
    std::string format;
    std::vector<value> values;
    std::vector<std::string> texts;  // owns what the text values point at
};

double random_real(std::mt19937& random) {
    switch (random() % 6) {
        case 0: return (double)(int)(random() % 2000) - 1000.0;
        case 1: return std::ldexp((double)random() / 4294967296.0 - 0.5, (int)(random() % 2100) - 1050);
        case 2: return (random() % 2 ? 1 : -1) * std::pow(10.0, (double)(random() % 309));
        case 3: return (random() % 2 ? 1 : -1) * HUGE_VAL;
        case 4: return std::nan("");
        default: return std::uniform_real_distribution<double>(-1e6, 1e6)(random);
    }
}

std::string random_text(std::mt19937& random, size_t most) {
    static const char letters[] = "abc XYZ%019\\åäöÅÄÖ\t\"{}";
    std::string text;
    for (size_t n = random() % (most + 1); n > 0; n--) text += letters[random() % (sizeof letters - 1)];
    return text;
}

// The value each conversion of the format takes, in order, read by the rules themselves (a
// '%' of the plain text may well start a conversion).
std::string value_letters(const std::string& format) {
    std::string letters;
    for (size_t i = 0; i + 1 < format.size(); i++) {
        if (format[i] != '%') continue;
        char letter = format[++i];
        if (std::strchr("filuUs", letter)) letters += letter;
    }
    return letters;
}

// A format of ordinary characters, digits and conversions taking at most MOST_VALUES values.
fuzz_case random_case(std::mt19937& random) {
    static const char conversions[] = "fiiluUss%d9x ";
    fuzz_case c;
    c.before = random_text(random, 20);
    do {
        c.format.clear();
        for (size_t length = random() % 24; length > 0; length--) {
            if (random() % 3) {
                c.format += random_text(random, 1);
            } else {
                c.format += '%';
                c.format += conversions[random() % (sizeof conversions - 1)];
            }
        }
        if (random() % 8 == 0) c.format += '%';  // a '%' that ends the format
    } while (value_letters(c.format).size() > MOST_VALUES);
    c.texts.reserve(MOST_VALUES);
    for (char letter : value_letters(c.format)) {
        if (letter == 'f') c.values.push_back(random_real(random));
        if (letter == 'i' || letter == 'l') c.values.push_back((int)random());
        if (letter == 'u' || letter == 'U') c.values.push_back((unsigned)random());
        if (letter == 's') {
            c.texts.push_back(random_text(random, 60));
            c.values.push_back(random() % 16 ? c.texts.back().c_str() : nullptr);
        }
    }
    return c;
}

}  // namespace

TEST(TextAppendFormatFuzz, RandomFormatsWriteExactlyTheirResultAndNothingBeyond) {
    const unsigned seed = 20240508;
    std::mt19937 random(seed);
    auto stop = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    int runs = 0;
    for (; runs < 200000 && std::chrono::steady_clock::now() < stop; runs++) {
        fuzz_case c = random_case(random);
        std::string expected = c.before + model(c.format, c.values);
        // guard | destination of exactly the result and its NUL | guard
        std::vector<char> memory(GUARD + expected.size() + 1 + GUARD, (char)GUARD_BYTE);
        char* destination = memory.data() + GUARD;
        std::memcpy(destination, c.before.c_str(), c.before.size() + 1);
        char* result = append_with(destination, c.format.c_str(), c.values, 0);
        ASSERT_EQ(result, destination) << "run " << runs << " format [" << c.format << "]";
        ASSERT_EQ(std::string(destination), expected) << "run " << runs << " format [" << c.format << "]";
        for (size_t i = 0; i < GUARD; i++) {
            ASSERT_EQ((unsigned char)memory[i], GUARD_BYTE) << "written before the destination, run " << runs;
            ASSERT_EQ((unsigned char)memory[GUARD + expected.size() + 1 + i], GUARD_BYTE)
                << "written past the destination, run " << runs << " format [" << c.format << "]";
        }
    }
    EXPECT_GT(runs, 1000);
    std::printf("%d random formats (seed %u)\n", runs, seed);
}
