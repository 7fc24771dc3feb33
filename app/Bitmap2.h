// A bitmap loaded from a picture file beside the program (the board-style textures).
#pragma once

#include "mfc/Gdi.h"

class CBitmap2 : public CBitmap {
public:
    // Loads the file, replacing any picture held; false when it does not load.
    BOOL LoadFromFile(const char* path);
};
