// The string table: error texts under their codes, command prompts ("\n" then the
// tooltip), help page paths, and the program's other texts.
#include "mfc/Resource.h"

#include <map>

namespace {

const std::map<UINT, const char*>& StringTable()
{
    static const std::map<UINT, const char*> table = {
        // Frames: the main window's title; the game window's document string.
        {128, "Tavo"},
        {129, "\nGame\nGame\nGGF (.ggf)\n.ggf\nGGF\nGeneric Game Format"},

        // System errors.
        {33024, "Not enough memory to complete the operation\n\nTry closing some windows or applications"},
        {33025, "Unknown operating system error"},
        {33026, "Invalid arguments to a system call"},
        {33027, "Couldn't complete the operation as too many threads are in use"},
        // Connection and login.
        {33280, "Unknown GGS error"},
        {33281, "Your password is incorrect.\n\nIf you are logging on for the first time, someone has "
                "already taken that login name; try another."},
        {33282, "You are already logged in to GGS"},
        {33283, "You are not logged in to GGS"},
        {33284, "You are already connected to GGS"},
        {33285, "You are not connected to GGS"},
        {33286, "Internal Error: No streambuf"},
        // Sockets.
        {34304, "Unknown socket error"},
        {34305, "Can't start up sockets"},
        {34306, "The computer hosting the GGS is unavailable"},
        {34307, "The protocol is unavailable.\nThis is strange since Tavo uses TCP/IP"},
        {34308, "No socket"},
        {34309, "Can't connect to the computer hosting the GGS."},
        {34310, "GGS reset the connection"},
        {34311, "GGS closed the connection"},
        {34314, "GGS did not answer in time"},

        // Match terms refused before a request is sent.
        {34048, "Rand games must have color = synch or komi"},
        {34049, "Too few random discs for that board type"},
        {34050, "Too many random discs for that board type"},

        // The default server host name.
        {46000, "skatgame.net"},

        // Help.
        {48016, "Not enough memory to display help"},
        {48017, "The help file could not be found!"},
        {48018, "Can't open help file: Access denied"},
        {48019, "Can't display help - No browser is registered for .htm files"},
        {48020, "Can't open help file: Sharing violation"},
        {48021, "Can't display help for some unknown reason"},
        {48038, "Your login name must be between 2 and 8 characters.\nIt may not start with the characters  "
                "'.' or '_'.\nIt may not include the characters ',' or '/'."},
        {48053, "The Reversi server is not available at the moment, so you can't play Reversi"},
        {48061, "The Reversi server is back online, you can now play Reversi"},
        {48066, "You must be registered to play rated games."},
        {48080, "You don't have a current version of COMCTL32.DLL. Not all Tavo features will work.\r\n"
                "Press Help for more information."},
        {50000, "Help/Os/MatchTypes.html"},
        {50033, "Help/Err/Comctl.html"},
        {50034, "Help/Index.html"},
        // The game window's position status.
        {52003, "wins by %1!d!"},
        {52004, "draw"},
        {52005, "to move"},
        {52006, "must pass"},
        {52016, "Game adjourned"},
        {52017, "Game aborted"},
        {52018, "resign"},
        {52019, "time"},
        {52020, "agreed"},
        // Colours of a match request.
        {52008, "Black"},
        {52009, "White"},
        {52022, "Version 0.75"},
        {52024, "Tavo has automatically passed for you.\n\nTo change this choose Reversi/Autoplay... from the menu."},
        {52025, "Tavo has automatically made a forced move for you.\n\nTo change this choose Reversi/Autoplay... "
                "from the menu."},
        {52026, "Octagonal"},
        {52039, "Synch"},
        {52040, "Komi"},
        {52041, "Random"},
        {52042, "%1 is asking: Continue stored match %2?"},
        {52043, "The game was not saved.\n\n%1 could not be written: %2"},
        {52044, "The connection to the GGS server was lost."},

        // Command prompts.
        {32771, "Connect to the GGS server"},
        {32772, "Challenge someone to a match"},
        {32773, "Talk to a single person on GGS"},
        {32774, "Talk to everyone on GGS"},
        {32775, "Input directly to GGS"},
        {32777, "Marks the legal moves"},
        {32778, "Marks the last move"},
        {32779, "Register your login to play rated games"},
        {32780, "Displays the on-line user guide"},
        {32781, "Displays a list of users logged in to GGS"},
        {32786, "Go to game current position\nCurrent position"},
        {32787, "Step forward a move\nForward"},
        {32788, "Step back a move\nBack"},
        {32789, "Go to game initial position\nStart position"},
        {32790, "Marks the next move during game replay"},
        {32792, "Show the current game list"},
        {32798, "Show the computer evaluation of moves"},
        {32799, "Set the server name"},
        {32800, "Automatically play passes or forced moves"},
        {32803, "Beep when it's your turn"},
        {32804, "Combine all talk windows into one?"},
        {32807, "Wooden background"},
        {32808, "Undo the most recent move in a game\nUndo move"},
        {32809, "Resign from a game, you get the maximum negative score"},
        {32810, "Adjourn a game ; rated games are stored"},
        {32811, "Cancel a game ; opponent must agree"},
        {32812, "Display stored games"},
        {32813, "Display the top-ranked players"},
        {32814, "Show your ranking among 8x8 reversi players"},
        {32815, "Display ratings for players who are here"},
        {32816, "Save games automatically"},
        {32818, "Display a player's recent games"},

        // The framework's own texts.
        {57344, "Tavo"},
        {57345, "Ready"},
        {57600, "Create a new document\nNew"},
        {57601, "Open an existing document\nOpen"},
        {57602, "Close the active document\nClose"},
        {57603, "Save the active document\nSave"},
        {57604, "Save the active document with a new name\nSave As"},
        {57606, "Change the printer and printing options\nPage Setup"},
        {57607, "Print the active document\nPrint"},
        {57609, "Display full pages\nPrint Preview"},
        {57616, "Open this document"},
        {57634, "Copy the selection and put it on the Clipboard\nCopy"},
        {57635, "Cut the selection and put it on the Clipboard\nCut"},
        {57637, "Insert Clipboard contents\nPaste"},
        {57643, "Undo the last action\nUndo"},
        {57648, "Open another window for the active document\nNew Window"},
        {57649, "Arrange icons at the bottom of the window\nArrange Icons"},
        {57650, "Arrange windows so they overlap\nCascade Windows"},
        {57652, "Arrange windows as non-overlapping tiles\nTile Windows"},
        {57664, "Display program information, version number and copyright\nAbout"},
        {57665, "Quit the application\nExit"},
        {57680, "Switch to the next window pane\nNext Pane"},
        {57681, "Switch back to the previous window pane\nPrevious Pane"},
        {59137, "CAP"},
        {59138, "NUM"},
        {59139, "SCRL"},
        {59392, "Show or hide the toolbar\nToggle ToolBar"},
        {59393, "Show or hide the status bar\nToggle StatusBar"},
    };
    return table;
}

} // namespace

const char* FindStringResource(UINT id)
{
    const auto& table = StringTable();
    const auto it = table.find(id);
    return it == table.end() ? nullptr : it->second;
}
