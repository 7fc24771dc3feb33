// The program's icon and the board-style textures, drawn rather than stored.
#pragma once

#include <QImage>
#include <QString>

// A Reversi disc pair on a green square: the program's icon at that size.
QImage DrawProgramIcon(int size);
// A sheet with a folded corner and a small board on it: the icon of the game window
// and of the game files.
QImage DrawDocumentIcon(int size);
// Texture pictures for the board styles that have one: "space" and "wood".
QImage DrawStyleTexture(const QString& style, int width, int height);
