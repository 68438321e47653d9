#pragma once
// The handicap start positions that the record formats name: the start SFEN, the name
// the KIF and KI2 "手合割" line gives it and the JKF preset. Both formats read and write
// a start by this one table, so that a start one of them names the other names too.

#include <array>
#include <string_view>

#include "core/board/position/parser.h"

namespace korvan {

struct HandicapStart {
    std::string_view sfen;        // compared byte for byte
    std::string_view kif_name;    // "手合割"
    std::string_view jkf_preset;  // "initial": {"preset": ...}
};

// The handicaps have White, the giver, move first.
inline constexpr std::array<HandicapStart, 16> HANDICAP_STARTS = {{
    {STARTPOS_SFEN, "平手", "HIRATE"},
    {"lnsgkgsn1/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "香落ち", "KY"},
    {"1nsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "右香落ち", "KY_R"},
    {"lnsgkgsnl/1r7/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "角落ち", "KA"},
    {"lnsgkgsnl/7b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "飛車落ち", "HI"},
    {"lnsgkgsn1/7b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "飛香落ち", "HIKY"},
    {"lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "二枚落ち", "2"},
    {"lnsgkgsn1/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "三枚落ち", "3"},
    {"1nsgkgsn1/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "四枚落ち", "4"},
    {"2sgkgsn1/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "五枚落ち", "5"},
    {"1nsgkgs2/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "左五枚落ち", "5_L"},
    {"2sgkgs2/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "六枚落ち", "6"},
    {"2sgkg3/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "左七枚落ち", "7_L"},
    {"3gkgs2/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "右七枚落ち", "7_R"},
    {"3gkg3/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "八枚落ち", "8"},
    {"4k4/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "十枚落ち", "10"},
}};

// The table's entry for a start SFEN text, or nullptr.
constexpr const HandicapStart* handicap_of_sfen(std::string_view sfen) {
    for (const HandicapStart& h : HANDICAP_STARTS)
        if (h.sfen == sfen) return &h;
    return nullptr;
}

}  // namespace korvan
