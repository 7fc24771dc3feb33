// The document of one game window. For now it holds no game: the live game and its
// file forms come with the game window itself.
#pragma once

#include "mfc/Doc.h"

class CTavoDoc : public CDocument {
};
