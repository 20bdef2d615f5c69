// How settings values read as flags, numbers and colours.
#include "platform/inivalues.h"

#include <gtest/gtest.h>

namespace {

TEST(IniValues, FlagIsOnWhenTheValueBeginsWithTheDigitOne)
{
    const std::pair<const char*, bool> cases[] = {
        {"1", true}, {"10", true}, {"1yes", true}, {"0", false}, {"", false},
        {"yes", false}, {"true", false}, {" 1", false}, {"2", false}, {"01", false},
    };
    for (auto [text, want] : cases) EXPECT_EQ(kv::iniFlag(text), want) << '"' << text << '"';
}

TEST(IniValues, NumberIsReadUpToTheFirstCharacterThatCannotBelongToIt)
{
    const std::pair<const char*, double> cases[] = {
        {"0.05", 0.05}, {"1,5", 1},     {"", 0},       {"abc", 0},     {"  42", 42},
        {"2.5x", 2.5},  {"-3", -3},     {"+7", 7},     {"1.2.3", 1.2}, {".5", 0.5},
        {"5.", 5},      {"-.25", -0.25}, {"-", 0},      {".", 0},       {"\t 8 pt", 8},
        {"1e3", 1},     {"0", 0},        {"007", 7},    {"- 5", 0},
    };
    for (auto [text, want] : cases) EXPECT_DOUBLE_EQ(kv::iniNumber(text), want) << '"' << text << '"';
}

TEST(IniValues, ColorFromThreeFieldsOrOneNumber)
{
    struct Case { const char* text; long long fallback; long long want; };
    const Case cases[] = {
        {"255,255,255", 0, 16777215},
        {"16777215", 0, 16777215},
        {"128,128,128", 0, 8421504},
        {"", 8421504, 8421504},
        {"   ", 8421504, 8421504},
        {"300,0,0", 0, 300},
        {"abc", 8421504, 0},
        {"255", 7, 255},
        {"0,255", 0, 255 * 256},
        {"1,2,3,4", 0, 1 + 2 * 256 + 3 * 65536},
        {" 10 , 20 , 30 ", 0, 10 + 20 * 256 + 30 * 65536},
        {"x,y,z", 5, 0},
        {",", 5, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kv::GetColor(c.text, c.fallback), c.want) << '"' << c.text << '"';
}

TEST(IniValues, ColorDefaultIsBlackWhenNotGiven)
{
    EXPECT_EQ(kv::GetColor(""), 0);
}

TEST(IniValues, AbsurdColorNumbersSaturateInsteadOfOverflowing)
{
    EXPECT_EQ(kv::GetColor("99999999999999999999999"), std::numeric_limits<long long>::max());
    EXPECT_EQ(kv::GetColor("-99999999999999999999999"), std::numeric_limits<long long>::min());
}

} // namespace
