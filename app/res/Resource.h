// Ids of the program's resources: frames, dialogs and their controls, commands,
// strings and help pages.
#pragma once

// Frames, menus, toolbar, accelerators, icons.
constexpr unsigned IDR_MAINFRAME = 128;
constexpr unsigned IDR_GAMETYPE = 129;

// Dialogs.
constexpr unsigned IDD_ABOUTBOX = 100;
constexpr unsigned IDD_GGS_CONNECT = 130;
constexpr unsigned IDD_OS_GAME_REQUEST = 131;
constexpr unsigned IDD_TALK_TO = 133;
constexpr unsigned IDD_GET_KOMI = 138;
constexpr unsigned IDD_CONSOLE = 139;
constexpr unsigned IDD_GGS_WHO = 142;
constexpr unsigned IDD_OS_INCOMING_REQUEST = 144;
constexpr unsigned IDD_OS_MATCHES = 149;
constexpr unsigned IDD_SERVER_NAME = 154;
constexpr unsigned IDD_REVERSI_AUTOPASS = 155;
constexpr unsigned IDD_OS_STORED = 156;
constexpr unsigned IDD_OS_TOP = 157;
constexpr unsigned IDD_OS_WHO = 158;
constexpr unsigned IDD_REVERSI_AUTOSAVE = 159;
constexpr unsigned IDD_OS_HISTORY = 160;
constexpr unsigned IDD_GET_LOGIN = 161;

// Controls.
constexpr int IDC_LOGIN = 1000;
constexpr int IDC_PASSWORD = 1001;
constexpr int IDC_CONSOLE_INPUT = 1003;
constexpr int IDC_CONSOLE_OUTPUT = 1004;
constexpr int IDC_TALK_TO = 1006;
constexpr int IDC_KOMI = 1016;
constexpr int IDC_SAVE_PASSWORD = 1017;
constexpr int IDC_WHO_LIST = 1021;
constexpr int IDC_WHO_REFRESH = 1025;
constexpr int IDC_VERSION = 1028;
constexpr int IDC_SERVER = 1036;
constexpr int IDC_DEFAULT = 1037;
constexpr int IDC_AUTOPASS_OFF = 1038;
constexpr int IDC_AUTOPASS_NOTIFY = 1039;
constexpr int IDC_AUTOPASS_INSTANT = 1040;
constexpr int IDC_WHO_CHAT = 1040;
constexpr int IDC_WHO_SHOW_SERVERS = 1041;
constexpr int IDC_WHO_RATINGS = 1042;
constexpr int IDC_AUTOSAVE_MINE_NEVER = 1043;
constexpr int IDC_AUTOFORCE_OFF = 1044;
constexpr int IDC_AUTOFORCE_NOTIFY = 1045;
constexpr int IDC_AUTOFORCE_INSTANT = 1046;
constexpr int IDC_AUTOSAVE_MINE_ASK = 1047;
constexpr int IDC_AUTOSAVE_MINE_ALWAYS = 1048;
constexpr int IDC_AUTOSAVE_OTHERS_NEVER = 1044;
constexpr int IDC_AUTOSAVE_OTHERS_ASK = 1049;
constexpr int IDC_AUTOSAVE_OTHERS_ALWAYS = 1050;
// The match-request dialogs.
constexpr int IDC_GR_OPPONENT = 1000;
constexpr int IDC_GR_BOARD = 1001;
constexpr int IDC_GR_RAND = 1002;
constexpr int IDC_GR_ANTI = 1003;
constexpr int IDC_GR_DISCS = 1005;
constexpr int IDC_GR_RATED = 1015;
constexpr int IDC_GR_MY_TIME = 1022;
constexpr int IDC_GR_OPP_TIME = 1023;
constexpr int IDC_GR_COLOR = 1032;
// The list of the service's list windows.
constexpr int IDC_OS_LIST = 1026;
// The framework's Help button.
constexpr int ID_HELP = 57670;

// Context menus.
constexpr unsigned IDR_WHO_MENU = 153;

// Commands.
constexpr unsigned ID_GGS_CONNECT = 32771;
constexpr unsigned ID_REVERSI_NEWGAME = 32772;
constexpr unsigned ID_GGS_TALKTO = 32773;
constexpr unsigned ID_GGS_CHAT = 32774;
constexpr unsigned ID_GGS_CONSOLE = 32775;
constexpr unsigned ID_VIEW_MOVES_VALID = 32777;
constexpr unsigned ID_VIEW_MOVES_LAST = 32778;
constexpr unsigned ID_GGS_REGISTER = 32779;
constexpr unsigned ID_HELP_USERGUIDE = 32780;
constexpr unsigned ID_GGS_WHO = 32781;
constexpr unsigned ID_VIEW_CURRENT = 32786;
constexpr unsigned ID_VIEW_FORWARD = 32787;
constexpr unsigned ID_VIEW_BACK = 32788;
constexpr unsigned ID_VIEW_START = 32789;
constexpr unsigned ID_VIEW_MOVES_NEXT = 32790;
constexpr unsigned ID_REVERSI_WATCH = 32792;
constexpr unsigned ID_WHO_CHALLENGE = 32794;
constexpr unsigned ID_WHO_CHAT = 32795;
constexpr unsigned ID_WHO_INFO = 32796;
constexpr unsigned ID_WHO_REVERSI_INFO = 32797;
constexpr unsigned ID_VIEW_EVALS = 32798;
constexpr unsigned ID_GGS_SERVER = 32799;
constexpr unsigned ID_REVERSI_AUTOPLAY = 32800;
constexpr unsigned ID_VIEW_MOVES_BEEP = 32803;
constexpr unsigned ID_VIEW_UNIFIEDCHAT = 32804;
constexpr unsigned ID_VIEW_THEME_STANDARD = 32805;
constexpr unsigned ID_VIEW_THEME_SPACE = 32806;
constexpr unsigned ID_VIEW_THEME_WOOD = 32807;
constexpr unsigned ID_GAME_UNDO = 32808;
constexpr unsigned ID_GAME_RESIGN = 32809;
constexpr unsigned ID_GAME_BREAK = 32810;
constexpr unsigned ID_GAME_ABORT = 32811;
constexpr unsigned ID_REVERSI_STORED = 32812;
constexpr unsigned ID_REVERSI_TOPLIST = 32813;
constexpr unsigned ID_REVERSI_RANK = 32814;
constexpr unsigned ID_REVERSI_RATINGS = 32815;
constexpr unsigned ID_REVERSI_AUTOSAVE = 32816;
constexpr unsigned ID_WHO_HISTORY = 32817;
constexpr unsigned ID_REVERSI_HISTORY = 32818;
constexpr unsigned ID_REVERSI_INFO = 32820;
constexpr unsigned ID_EDIT_CUT = 57635;
constexpr unsigned ID_EDIT_COPY = 57634;
constexpr unsigned ID_EDIT_PASTE = 57637;
constexpr unsigned ID_EDIT_UNDO = 57643;
constexpr unsigned ID_NEXT_PANE = 57680;
constexpr unsigned ID_PREV_PANE = 57681;

// Error texts share their ids with the codes; these are the program's own strings.
constexpr unsigned IDS_HELP_NO_MEMORY = 48016;
constexpr unsigned IDS_HELP_NOT_FOUND = 48017;
constexpr unsigned IDS_HELP_ACCESS_DENIED = 48018;
constexpr unsigned IDS_HELP_NO_BROWSER = 48019;
constexpr unsigned IDS_HELP_SHARING = 48020;
constexpr unsigned IDS_HELP_UNKNOWN = 48021;
constexpr unsigned IDS_BAD_LOGIN_NAME = 48038;
constexpr unsigned IDS_RATED_UNREGISTERED = 48066;
constexpr unsigned IDS_OS_UNAVAILABLE = 48053;
constexpr unsigned IDS_OS_BACK = 48061;
constexpr unsigned IDS_OLD_COMCTL = 48080;
constexpr unsigned IDS_DEFAULT_SERVER = 46000;
constexpr unsigned IDS_STATUS_WINS_BY = 52003;
constexpr unsigned IDS_STATUS_DRAW = 52004;
constexpr unsigned IDS_STATUS_TO_MOVE = 52005;
constexpr unsigned IDS_STATUS_MUST_PASS = 52006;
constexpr unsigned IDS_BLACK = 52008;
constexpr unsigned IDS_WHITE = 52009;
constexpr unsigned IDS_STATUS_ADJOURNED = 52016;
constexpr unsigned IDS_STATUS_ABORTED = 52017;
constexpr unsigned IDS_STATUS_RESIGN = 52018;
constexpr unsigned IDS_STATUS_TIME = 52019;
constexpr unsigned IDS_STATUS_AGREED = 52020;
constexpr unsigned IDS_VERSION = 52022;
constexpr unsigned IDS_OCTAGONAL = 52026;
constexpr unsigned IDS_SYNCH = 52039;
constexpr unsigned IDS_KOMI = 52040;
constexpr unsigned IDS_RANDOM = 52041;
constexpr unsigned IDS_CONTINUE_STORED = 52042;
constexpr unsigned IDS_GAME_NOT_SAVED = 52043;
constexpr unsigned IDS_CONNECTION_LOST = 52044;
constexpr unsigned IDS_AUTOPASSED = 52024;
constexpr unsigned IDS_AUTOFORCED = 52025;
constexpr unsigned IDS_APP_TITLE = 57344;

// Help pages (the string of each id is the page's path beside the program).
constexpr unsigned IDH_MATCH_TYPES = 50000;
constexpr unsigned IDH_COMCTL = 50033;
constexpr unsigned IDH_INDEX = 50034;
