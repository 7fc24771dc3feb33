// Feeds any text to every reader of the game objects and of the game service's records,
// and plays whatever moves it holds on every board type; the board must keep its border
// and length whatever the moves.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "FuzzSupport.h"
#include "OsObjects.h"

namespace {

template <class T>
void ReadAndWrite(const std::string& text) {
    std::istringstream is(text);
    std::ostringstream os;
    T value;
    for (int i = 0; i < 64 && is >> value; i++) os << value;
}

template <class T>
void ReadOnly(const std::string& text) {
    std::istringstream is(text);
    T value;
    for (int i = 0; i < 64 && is >> value; i++) {
    }
}

void PlayOnEveryBoard(const std::string& text) {
    static const int kSizes[] = {4, 6, 8, 10, 12, 14, 88};
    for (int size : kSizes) {
        COsBoardType bt;
        bt.size = size == 88 ? 10 : size;
        bt.fOctagon = size == 88;
        COsGame game;
        game.posStart.board.Initialize(bt);
        game.UpdatePosition();
        std::istringstream is(text);
        CGGMoveListItem<COsMove> item;
        for (int i = 0; i < 256 && is >> item; i++) {
            game.posCurrent.board.IsLegal(item.move);
            game.Play(item);
        }
        const COsBoard& board = game.posCurrent.board;
        fuzz::Check(!board.squares.empty());
        fuzz::CheckBoard(board);
        board.LegalMoves();
        game.GetPosition(game.moves.size() / 2);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::QuietClog();

    const std::string text(reinterpret_cast<const char*>(data), size);
    ReadAndWrite<COsMove>(text);
    ReadAndWrite<COsBoardType>(text);
    ReadAndWrite<COsMatchType>(text);
    ReadAndWrite<COsRatingType>(text);
    ReadAndWrite<CGGClock>(text);
    ReadAndWrite<CGGResult>(text);
    ReadAndWrite<CGGRatingValue>(text);
    ReadAndWrite<CGGSquare>(text);
    ReadAndWrite<CGGMoveListItem<COsMove>>(text);
    ReadOnly<CGGPlayer>(text);
    ReadOnly<CGGRating>(text);
    ReadOnly<CGGRankData>(text);
    ReadOnly<CGGWhoItem>(text);
    ReadOnly<CGGMatch<COsMatchType>>(text);
    ReadOnly<CGGHistoryItem<COsMatchType>>(text);
    ReadOnly<CGGStoredMatch<COsMatchType>>(text);
    ReadOnly<CGGRequest<COsMatchType>>(text);
    ReadOnly<CGGRatingItem<COsRatingType>>(text);
    std::istringstream dates(text);
    CGGDate date;
    for (int i = 0; i < 64 && dates >> date; i++) date.Text();
    std::istringstream delta(text);
    CGGMatch<COsMatchType> match;
    match.ReadDelta(delta);
    std::istringstream old(text);
    CGGClock clock;
    clock.ReadOld(old);
    COsMatchType mt;
    std::istringstream mtText(text);
    mtText >> mt;
    mt.Validate();
    mt.Description();
    PlayOnEveryBoard(text);
    return 0;
}
