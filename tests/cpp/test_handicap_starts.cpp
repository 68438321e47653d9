// Every handicap start of the shared table, the seven-piece ones among them, through
// every format that names it: "手合割" read and written by KIF and KI2, the JKF preset
// read and written.

#include <gtest/gtest.h>

#include "core/records/formats/jkf/jkf_reader.h"
#include "core/records/formats/jkf/jkf_writer.h"
#include "core/records/formats/kif/ki2_reader.h"
#include "core/records/formats/kif/ki2_writer.h"
#include "core/records/formats/kif/kif_reader.h"
#include "core/records/formats/kif/kif_writer.h"
#include "core/records/handicaps.h"
#include "core/records/record.h"

using namespace korvan;

namespace {

class HandicapStarts : public ::testing::TestWithParam<HandicapStart> {};

TEST_P(HandicapStarts, NamedAlikeByEveryFormat) {
    const HandicapStart& h = GetParam();
    const std::string line = "手合割：" + std::string(h.kif_name) + "\n";
    const auto kif = parse_kif(line);
    const auto ki2 = parse_ki2(line);
    const auto jkf = parse_jkf(R"({"initial":{"preset":")" + std::string(h.jkf_preset) + R"("}})");
    ASSERT_TRUE(kif && ki2 && jkf);
    // The standard start is no set-up of its own in JKF.
    EXPECT_EQ(jkf->init_position_sfen.value_or(std::string(STARTPOS_SFEN)), h.sfen);
    EXPECT_EQ(kif->init_position_sfen, h.sfen);
    EXPECT_EQ(ki2->init_position_sfen, h.sfen);

    const Record r = *record_new(std::string(h.sfen));
    // The line at the start of a line of the text.
    EXPECT_NE(("\n" + *write_kif(r)).find("\n" + line), std::string::npos);
    EXPECT_NE(("\n" + *write_ki2(r)).find("\n" + line), std::string::npos);
    EXPECT_TRUE(write_jkf(r)->starts_with(R"({"initial":{"preset":")" + std::string(h.jkf_preset) + R"("})"));
}

INSTANTIATE_TEST_SUITE_P(Table, HandicapStarts, ::testing::ValuesIn(HANDICAP_STARTS), [](const auto& info) {
    std::string name = "preset_" + std::string(info.param.jkf_preset);
    return name;
});

}  // namespace
