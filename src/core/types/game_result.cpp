#include "core/types/game_result.h"

namespace korvan {

std::optional<GameResult> game_result_from_name(std::string_view text) {
    // No name is shorter than 5 or longer than 25 characters.
    if (text.size() < 5 || text.size() > 25) return std::nullopt;
    char upper[25];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        upper[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    const std::string_view key(upper, text.size());
    for (int v = 0; v < GAME_RESULT_NB; ++v)
        if (GAME_RESULT_NAMES[v].size() == key.size() && GAME_RESULT_NAMES[v] == key) return static_cast<GameResult>(v);
    return std::nullopt;
}

}  // namespace korvan
