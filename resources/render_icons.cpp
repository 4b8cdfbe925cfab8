// Draws the application icon into PNG files for the desktop's icon theme:
//   orlix-render-icons OUTDIR SIZE...
// writes OUTDIR/SIZExSIZE/apps/org.orlix.ConfigTool.png for each size.
#include "widgets/icons.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: orlix-render-icons OUTDIR SIZE...\n");
        return 2;
    }
    for (const QString& text : args.mid(2)) {
        bool ok = false;
        const int size = text.toInt(&ok);
        if (!ok || size < 8 || size > 1024) {
            std::fprintf(stderr, "bad size %s\n", qPrintable(text));
            return 2;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args[1]).arg(size);
        const QString file = folder + QStringLiteral("/org.orlix.ConfigTool.png");
        if (!QDir().mkpath(folder) || !Icons::AppIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
