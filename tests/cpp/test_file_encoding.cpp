// What a record file's first bytes say of its encoding, and text-mode line ends.

#include <gtest/gtest.h>

#include <random>

#include "core/records/file_encoding.h"
#include "support.h"

using namespace korvan;
using namespace korvan::test;

namespace {

struct Declared {
    const char* name;
    std::string bytes;
    EncodingLine line;
    std::string_view encoding;
};

class DeclaredEncodings : public ::testing::TestWithParam<Declared> {};

TEST_P(DeclaredEncodings, Name) { EXPECT_EQ(declared_encoding(GetParam().bytes, GetParam().line), GetParam().encoding); }

INSTANTIATE_TEST_SUITE_P(
    Lines, DeclaredEncodings,
    ::testing::Values(
        Declared{"bom", "\xEF\xBB\xBF#KIF version=2.0 encoding=Shift_JIS\n", EncodingLine::Kif, "utf-8"},
        Declared{"kif", "#KIF version=2.0 encoding=UTF-8\r\n\x82\xa0", EncodingLine::Kif, "UTF-8"},
        Declared{"kif name then blank", "#KIF encoding=Shift_JIS version=2.0\n", EncodingLine::Kif, "Shift_JIS"},
        Declared{"kif without a name", "#KIF version=2.0\nencoding=UTF-8\n", EncodingLine::Kif, ""},
        Declared{"kif line in csa", "#KIF version=2.0 encoding=UTF-8\n", EncodingLine::Csa, ""},
        Declared{"csa", "'CSA encoding=SHIFT_JIS\nV3.0\n", EncodingLine::Csa, "SHIFT_JIS"},
        Declared{"csa line in kif", "'CSA encoding=UTF-8\n", EncodingLine::Kif, ""},
        Declared{"csa comment", "' encoding=UTF-8\n", EncodingLine::Csa, ""}),
    [](const auto& info) { return case_name(info.index, {info.param.name}); });

// Against a plain two-step replacement over texts of random line ends.
TEST(TranslateNewlines, AsTextModeReading) {
    std::mt19937 rng(36);
    const char* pieces[] = {"a", "\r", "\n", "\r\n", "\xE6\xA3\x8B", "\n\r"};
    for (int n = 0; n < 2000; ++n) {
        std::string text;
        for (int k = rng() % 12; k > 0; --k) text += pieces[rng() % std::size(pieces)];
        std::string expected;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
            expected += text[i] == '\r' ? '\n' : text[i];
        }
        translate_newlines(text);
        EXPECT_EQ(text, expected);
    }
}

}  // namespace
