// Build tool: writes the board-style pictures "space.bmp" and "wood.bmp" into the
// folder given as the only argument.
#include "Icons.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (const QString& style : {QStringLiteral("space"), QStringLiteral("wood")}) {
        const QString path = folder + QStringLiteral("/") + style + QStringLiteral(".bmp");
        if (!DrawStyleTexture(style, 1600, 1200).save(path, "BMP")) {
            std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
