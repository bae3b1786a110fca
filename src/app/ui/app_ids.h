// Window and command ids of the main window. The numbers are kept from the
// first versions of the program so that anything scripted against them (and
// the command routing of the word-input service) stays valid.
#pragma once

namespace zorvia {

enum AppId : int {
    ID_STATUS_BAR = 1,
    ID_WORD_EDIT = 1000,
    ID_SEARCH_BUTTON = 1001,
    ID_WORD_LIST = 1005,
    ID_WORD_LABEL = 1006,
    ID_CONCORDANCE_LIST = 1007,
    ID_BODY_PANE = 1224,

    // Options dialog.
    ID_OPTION_BODY_LINES = 1008,
    ID_OPTION_INCREMENTAL = 1009,
    ID_OPTION_CONCORDANCE_COUNT = 1010,
    ID_OPTION_WORDLIST_COUNT = 1011,
    ID_OPTION_DETECT_ENCODING = 1013,

    // Commands.
    ID_VERSION = 32776,
    ID_NEW_DATABASE = 32777,
    ID_OPEN_DATABASE = 32778,
    ID_ADD_FILE = 32779,
    ID_EXIT = 32780,
    ID_FREQUENCY_TABLE = 32782,
    ID_REGISTERED_FILE_LIST = 32784,
    ID_DELETE_FILE = 32786,
    ID_COMPLETE_WORD_LIST = 32788,
    ID_DEFRAG = 32790,
    ID_OPTIONS = 32792,
    ID_DELETE_WORDS = 32794,
    ID_WORDS_STARTING_WITH = 32796,
    ID_DELETE_HIT = 32798,
    ID_DELETE_WORDS_IN_FILE = 32801,
    ID_OPEN_BODY_FILE = 32803,
    ID_SPEED_UP_SEARCH = 32805,
    ID_REMOVE_SPEED_UP = 32806,
    ID_WORD_RULE = 32811,

    // The analysis menu.
    ID_KWIC_LIST = 32901,
    ID_EXPORT_WORD_LIST = 32903,
    ID_EXPORT_CONCORDANCE = 32905,
    ID_COLLOCATES = 32907,
    ID_NGRAMS = 32909,
    ID_DISPERSION = 32911,
    ID_KEYWORDS = 32913,
};

// wx takes menu item ids only below 0x7FFF, so the menus carry the command
// number minus this offset, and the window turns a chosen item back into its
// command number before routing it. Commands sent by number (the word-input
// service, tests, the registered-file list that has no item) are routed
// the same way.
inline constexpr int kMenuItemIdOffset = 0x4000;
inline constexpr int MenuItemId(int command) { return command - kMenuItemIdOffset; }
inline constexpr int CommandOfMenuItem(int item) { return item + kMenuItemIdOffset; }
inline constexpr int kFirstCommand = 32776;
inline constexpr int kLastCommand = 32811;
inline constexpr int kFirstAnalysisCommand = 32901;
inline constexpr int kLastAnalysisCommand = 32913;

}  // namespace zorvia
