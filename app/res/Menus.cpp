// Menus, toolbar and accelerators of the main window and the game windows, and the
// program's icons.
#include "Icons.h"
#include "Resource.h"
#include "mfc/Frame.h"
#include "mfc/Resource.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <map>

namespace {

const MenuResource Bar{nullptr, 0, {}};

MenuResource FileMenu(bool gameWindow)
{
    MenuResource menu{"&File", 0, {{"&Open...\tCtrl+O", ID_FILE_OPEN, {}}}};
    if (gameWindow)
        menu.items.push_back({"&Close", ID_FILE_CLOSE, {}});
    menu.items.insert(menu.items.end(), {
        {"&Save\tCtrl+S", ID_FILE_SAVE, {}},
        {"Save &As...", ID_FILE_SAVE_AS, {}},
        Bar,
        {"&Print...\tCtrl+P", ID_FILE_PRINT, {}},
        {"Print Pre&view", ID_FILE_PRINT_PREVIEW, {}},
        {"P&rint Setup...", ID_FILE_PRINT_SETUP, {}},
        Bar,
        {"Recent File", ID_FILE_MRU_FILE1, {}},
        Bar,
        {"E&xit", ID_APP_EXIT, {}},
    });
    return menu;
}

MenuResource ViewMenu(bool gameWindow)
{
    return {"&View", 0, {
        {"&Moves", 0, {
            {"&Next", ID_VIEW_MOVES_NEXT, {}},
            {"&Last", ID_VIEW_MOVES_LAST, {}},
            {"&Valid", ID_VIEW_MOVES_VALID, {}},
            {"&Beep", ID_VIEW_MOVES_BEEP, {}},
        }},
        {gameWindow ? "Theme" : "T&heme", 0, {
            {"Standard", ID_VIEW_THEME_STANDARD, {}},
            {"Space", ID_VIEW_THEME_SPACE, {}},
            {"Wood", ID_VIEW_THEME_WOOD, {}},
        }},
        {"&Evals", ID_VIEW_EVALS, {}},
        {"Unified Chat", ID_VIEW_UNIFIEDCHAT, {}},
        Bar,
        {"&Toolbar", ID_VIEW_TOOLBAR, {}},
        {"&Status Bar", ID_VIEW_STATUS_BAR, {}},
    }};
}

MenuResource GgsMenu()
{
    return {"&GGS", 0, {
        {"&Connect...", ID_GGS_CONNECT, {}},
        Bar,
        {"&Who", ID_GGS_WHO, {}},
        {"&Talk to...", ID_GGS_TALKTO, {}},
        {"Chat", ID_GGS_CHAT, {}},
        Bar,
        {"&Register", ID_GGS_REGISTER, {}},
        {"Server...", ID_GGS_SERVER, {}},
        {"Console", ID_GGS_CONSOLE, {}},
    }};
}

MenuResource ReversiMenu()
{
    return {"&Reversi", 0, {
        {"&New Game...", ID_REVERSI_NEWGAME, {}},
        {"&Watch...", ID_REVERSI_WATCH, {}},
        {"Stored", ID_REVERSI_STORED, {}},
        Bar,
        {"&Autoplay...", ID_REVERSI_AUTOPLAY, {}},
        {"Autosave...", ID_REVERSI_AUTOSAVE, {}},
        Bar,
        {"8x8 Ratings", ID_REVERSI_RATINGS, {}},
        {"8x8 Rank", ID_REVERSI_RANK, {}},
        {"8x8 Top List", ID_REVERSI_TOPLIST, {}},
        Bar,
        {"History...", ID_REVERSI_HISTORY, {}},
        {"Info...", ID_REVERSI_INFO, {}},
    }};
}

MenuResource HelpMenu()
{
    return {"&Help", 0, {
        {"&About Tavo...", ID_APP_ABOUT, {}},
        {"User Guide", ID_HELP_USERGUIDE, {}},
    }};
}

const std::map<UINT, MenuResource>& Menus()
{
    static const std::map<UINT, MenuResource> menus = {
        {IDR_MAINFRAME, {"", 0, {FileMenu(false), ViewMenu(false), GgsMenu(), ReversiMenu(), HelpMenu()}}},
        {IDR_GAMETYPE, {"", 0, {
            FileMenu(true), ViewMenu(true),
            {"&Window", 0, {
                {"&New Window", ID_WINDOW_NEW, {}},
                {"&Cascade", ID_WINDOW_CASCADE, {}},
                {"&Tile", ID_WINDOW_TILE_VERT, {}},
                {"&Arrange Icons", ID_WINDOW_ARRANGE, {}},
            }},
            GgsMenu(), ReversiMenu(),
            {"Ga&me", 0, {
                {"Undo", ID_GAME_UNDO, {}},
                Bar,
                {"Resign", ID_GAME_RESIGN, {}},
                {"Break", ID_GAME_BREAK, {}},
                {"Abort", ID_GAME_ABORT, {}},
            }},
            HelpMenu(),
        }}},
        {IDR_WHO_MENU, {"", 0, {
            {"Who", 0, {
                {"Challenge...", ID_WHO_CHALLENGE, {}},
                {"Chat", ID_WHO_CHAT, {}},
                {"Info", ID_WHO_INFO, {}},
                {"Reversi Info", ID_WHO_REVERSI_INFO, {}},
                {"&History", ID_WHO_HISTORY, {}},
            }},
        }}},
    };
    return menus;
}

} // namespace

const MenuResource* FindMenuResource(UINT id)
{
    const auto it = Menus().find(id);
    return it == Menus().end() ? nullptr : &it->second;
}

const std::vector<UINT>* FindToolBarResource(UINT id)
{
    static const std::vector<UINT> mainToolBar = {
        ID_FILE_OPEN, ID_FILE_SAVE, ID_SEPARATOR,
        ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_SEPARATOR,
        ID_VIEW_START, ID_VIEW_BACK, ID_VIEW_FORWARD, ID_VIEW_CURRENT, ID_SEPARATOR,
        ID_GAME_UNDO, ID_SEPARATOR,
        ID_FILE_PRINT, ID_APP_ABOUT,
    };
    return id == IDR_MAINFRAME ? &mainToolBar : nullptr;
}

const std::vector<AcceleratorResource>* FindAcceleratorResource(UINT id)
{
    static const std::vector<AcceleratorResource> accelerators = {
        {QKeySequence(QStringLiteral("Ctrl+N")), ID_FILE_NEW},
        {QKeySequence(QStringLiteral("Ctrl+O")), ID_FILE_OPEN},
        {QKeySequence(QStringLiteral("Ctrl+S")), ID_FILE_SAVE},
        {QKeySequence(QStringLiteral("Ctrl+P")), ID_FILE_PRINT},
        {QKeySequence(QStringLiteral("Ctrl+Z")), ID_EDIT_UNDO},
        {QKeySequence(QStringLiteral("Alt+Backspace")), ID_EDIT_UNDO},
        {QKeySequence(QStringLiteral("Ctrl+X")), ID_EDIT_CUT},
        {QKeySequence(QStringLiteral("Shift+Del")), ID_EDIT_CUT},
        {QKeySequence(QStringLiteral("Ctrl+C")), ID_EDIT_COPY},
        {QKeySequence(QStringLiteral("Ctrl+Ins")), ID_EDIT_COPY},
        {QKeySequence(QStringLiteral("Ctrl+V")), ID_EDIT_PASTE},
        {QKeySequence(QStringLiteral("Shift+Ins")), ID_EDIT_PASTE},
        {QKeySequence(QStringLiteral("F6")), ID_NEXT_PANE},
        {QKeySequence(QStringLiteral("Shift+F6")), ID_PREV_PANE},
    };
    return id == IDR_MAINFRAME ? &accelerators : nullptr;
}

QIcon LoadIconResource(UINT id)
{
    if (id == IDR_MAINFRAME)
        return QIcon(QPixmap::fromImage(DrawProgramIcon(48)));
    if (id == IDR_GAMETYPE)
        return QIcon(QPixmap::fromImage(DrawDocumentIcon(32)));
    return QIcon();
}

namespace {

// Plain pictures for the buttons that the desktop's style has none for, for desktops
// whose icon theme has none either.
QIcon DrawButton(UINT commandId)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 1.2));
    if (commandId == ID_EDIT_CUT) {
        painter.drawLine(QPointF(4, 1), QPointF(11, 11));
        painter.drawLine(QPointF(12, 1), QPointF(5, 11));
        painter.drawEllipse(QPointF(4, 13), 2.2, 2.2);
        painter.drawEllipse(QPointF(12, 13), 2.2, 2.2);
    } else if (commandId == ID_EDIT_COPY) {
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(1.5, 1.5, 8, 10));
        painter.drawRect(QRectF(6.5, 4.5, 8, 10));
    } else if (commandId == ID_FILE_PRINT) {
        // A sheet going into a printer and one coming out of it.
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(4.5, 1.5, 7, 5));
        painter.setBrush(QColor(150, 150, 150));
        painter.drawRoundedRect(QRectF(1.5, 5.5, 13, 6), 1, 1);
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(4.5, 9.5, 7, 5));
        painter.drawLine(QPointF(6, 12), QPointF(10, 12));
    } else {
        painter.setBrush(QColor(200, 160, 90));
        painter.drawRect(QRectF(2.5, 2.5, 11, 12));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(5.5, 1.5, 5, 3));
        painter.drawRect(QRectF(6.5, 7.5, 8, 7));
    }
    return QIcon(pixmap);
}

} // namespace

QIcon LoadToolBarButtonImage(UINT commandId)
{
    static const std::map<UINT, std::pair<const char*, QStyle::StandardPixmap>> images = {
        {ID_FILE_OPEN, {"document-open", QStyle::SP_DialogOpenButton}},
        {ID_FILE_SAVE, {"document-save", QStyle::SP_DialogSaveButton}},
        {ID_EDIT_CUT, {"edit-cut", QStyle::SP_CustomBase}},
        {ID_EDIT_COPY, {"edit-copy", QStyle::SP_CustomBase}},
        {ID_EDIT_PASTE, {"edit-paste", QStyle::SP_CustomBase}},
        {ID_VIEW_START, {"go-first", QStyle::SP_MediaSkipBackward}},
        {ID_VIEW_BACK, {"go-previous", QStyle::SP_MediaSeekBackward}},
        {ID_VIEW_FORWARD, {"go-next", QStyle::SP_MediaSeekForward}},
        {ID_VIEW_CURRENT, {"go-last", QStyle::SP_MediaSkipForward}},
        {ID_GAME_UNDO, {"edit-undo", QStyle::SP_ArrowBack}},
        {ID_FILE_PRINT, {"document-print", QStyle::SP_CustomBase}},
        {ID_APP_ABOUT, {"help-about", QStyle::SP_MessageBoxInformation}},
    };
    const auto it = images.find(commandId);
    if (it == images.end())
        return QIcon();
    QIcon fallback;
    if (it->second.second == QStyle::SP_CustomBase)
        fallback = DrawButton(commandId);
    else if (QApplication::style())
        fallback = QApplication::style()->standardIcon(it->second.second);
    return QIcon::fromTheme(QString::fromLatin1(it->second.first), fallback);
}
