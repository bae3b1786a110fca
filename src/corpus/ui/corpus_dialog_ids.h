// Control ids of the corpus dialogs: the progress window and the file
// removal dialog. The numbers are those of the first versions of the program.
#pragma once

namespace zorvia {

enum CorpusDialogId : int {
    // Progress window.
    ID_PROGRESS_CANCEL = 1010,
    ID_PROGRESS_BAR = 1011,
    ID_PROGRESS_TEXT = 1012,

    // File removal dialog.
    ID_FILE_DELETE_LIST = 1003,
    ID_FILE_DELETE_BUTTON = 1004,
};

}  // namespace zorvia
