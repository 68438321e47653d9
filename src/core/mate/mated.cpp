#include "core/mate/mated.h"

#include "core/board/movegen/movegen.h"

namespace korvan {

bool position_is_mated(const Position& pos) {
    MoveList list;
    generate_legal(pos, list);
    return list.size() == 0;
}

}  // namespace korvan
