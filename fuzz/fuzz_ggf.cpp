// Feeds any text to the GGF game and board readers and to the logbook and IOS readers.
// Every record read must hold valid boards, and its GGF text must settle: reading and
// writing the written text again gives the same text.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "FuzzSupport.h"
#include "OsObjects.h"

namespace {

using fuzz::Check;
using fuzz::CheckBoard;

void CheckGame(const COsGame& game) {
    CheckBoard(game.posStart.board);
    CheckBoard(game.posCurrent.board);
    game.posCurrent.board.LegalMoves();
    game.GetPosition(game.moves.size() / 2);
}

std::string Written(const COsGame& game) {
    std::ostringstream os;
    os << game;
    return os.str();
}

std::string Rewritten(const std::string& text) {
    std::istringstream is(text);
    COsGame game;
    is >> game;
    CheckGame(game);
    return Written(game);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::QuietClog();

    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream games(text);
    for (int i = 0; i < 4 && games; i++) {
        COsGame game;
        games >> game;
        CheckGame(game);
        const std::string once = Rewritten(Written(game));
        Check(Rewritten(once) == once);
    }

    std::istringstream boardText(text);
    COsBoard board;
    boardText >> board;
    CheckBoard(board);

    COsGame game;
    std::istringstream logbook(text);
    game.ReadLogbook(logbook);
    CheckGame(game);
    std::istringstream ios(text);
    game.ReadIOS(ios);
    CheckGame(game);
    return 0;
}
