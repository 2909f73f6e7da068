// Draws the committed pictures: the seven wheel pictures, the header and window buttons, the
// about picture and the application icons.
//
// Every control of a wheel picture is drawn from the placement tables, so an indicator or LED
// button always lands on a drawn button, dial, stick, paddle or lamp. The build never runs this;
// run it after changing a placement and commit what it writes:
//
//   wheelart --out resources/img --icon packaging/linux/tarvoset.png
//            --hicolor packaging/linux/icons [--overlay /tmp/wheels]
//
// --overlay also writes each wheel with its placed widgets painted on top, to check the fit.
//
// A wheel picture is its body (silhouettes.cpp) under its controls (controls.cpp), put together
// from the tables in wheels.cpp; the window's pictures are in windowart.cpp, the icons in icons.cpp.
#include "settings/modellayouts.h"
#include "settings/modeltable.h"
#include "tools/wheelart/icons.h"
#include "tools/wheelart/wheels.h"
#include "tools/wheelart/windowart.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <cstdio>

namespace {

bool save(const QImage& image, const QString& path)
{
    if (!image.save(path, "PNG", 0)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // Text needs a font database, which needs a platform; none has to be on screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draws TarvoSet's pictures."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("out"), QStringLiteral("Folder for the resource pictures."), QStringLiteral("dir"),
                      QStringLiteral("resources/img")});
    parser.addOption(
        {QStringLiteral("icon"), QStringLiteral("Path of the 256 px application icon."), QStringLiteral("file")});
    parser.addOption({QStringLiteral("hicolor"),
                      QStringLiteral("Folder for the smaller application icons, as NxN/apps/tarvoset.png."),
                      QStringLiteral("dir")});
    parser.addOption({QStringLiteral("overlay"), QStringLiteral("Also write each wheel with its widgets on top."),
                      QStringLiteral("dir")});
    parser.process(app);

    const QDir out(parser.value(QStringLiteral("out")));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out.path()));
        return 1;
    }
    QDir overlayDir;
    const bool withOverlay = parser.isSet(QStringLiteral("overlay"));
    if (withOverlay) {
        overlayDir.setPath(parser.value(QStringLiteral("overlay")));
        QDir().mkpath(overlayDir.path());
    }

    bool ok = true;
    for (const tarvo::ModelLayout& layout : tarvo::modelLayouts()) {
        const tarvo::ModelInfo* model = wheelart::modelInfo(layout.key);
        if (!model) {
            std::fprintf(stderr, "no model table entry for %s\n", layout.key);
            return 1;
        }
        const QImage wheel = wheelart::drawWheel(layout, *model);
        const QString name = QStringLiteral("back.%1.png").arg(QLatin1String(layout.imageKey));
        ok = save(wheel, out.filePath(name)) && ok;
        if (withOverlay) {
            ok = save(wheelart::overlay(wheel, layout, *model, true),
                      overlayDir.filePath(QStringLiteral("inputs.") + name))
                && ok;
            if (model->rgbPage)
                ok = save(wheelart::overlay(wheel, layout, *model, false),
                          overlayDir.filePath(QStringLiteral("rgb.") + name))
                    && ok;
        }
    }

    ok = save(wheelart::header(), out.filePath(QStringLiteral("head.png"))) && ok;
    ok = save(wheelart::emblem(31), out.filePath(QStringLiteral("logo.png"))) && ok;
    ok = save(wheelart::titleButton(true, false), out.filePath(QStringLiteral("close.png"))) && ok;
    ok = save(wheelart::titleButton(true, true), out.filePath(QStringLiteral("closeh.png"))) && ok;
    ok = save(wheelart::titleButton(false, false), out.filePath(QStringLiteral("min.png"))) && ok;
    ok = save(wheelart::titleButton(false, true), out.filePath(QStringLiteral("minh.png"))) && ok;
    ok = save(wheelart::about(), out.filePath(QStringLiteral("about.png"))) && ok;
    ok = save(wheelart::emblem(128), out.filePath(QStringLiteral("tarvo.png"))) && ok;

    QFile ico(out.filePath(QStringLiteral("main.ico")));
    if (!ico.open(QIODevice::WriteOnly)
        || ico.write(wheelart::icoFile({wheelart::emblem(16), wheelart::emblem(24), wheelart::emblem(32),
                                        wheelart::emblem(48), wheelart::emblem(64)}))
            < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(ico.fileName()));
        ok = false;
    }
    ico.close();
    QImageReader check(ico.fileName());
    if (check.imageCount() != 5) {
        std::fprintf(stderr, "main.ico reads back with %d images\n", check.imageCount());
        ok = false;
    }

    if (parser.isSet(QStringLiteral("icon")))
        ok = save(wheelart::emblem(256), parser.value(QStringLiteral("icon"))) && ok;
    if (parser.isSet(QStringLiteral("hicolor"))) {
        // Drawn at each size rather than scaled down, so the small ones stay sharp.
        const QDir theme(parser.value(QStringLiteral("hicolor")));
        for (const int side : {16, 22, 24, 32, 48, 64, 128}) {
            const QString folder = QStringLiteral("%1x%1/apps").arg(side);
            ok = theme.mkpath(folder)
                && save(wheelart::emblem(side), theme.filePath(folder + QStringLiteral("/tarvoset.png"))) && ok;
        }
    }
    return ok ? 0 : 1;
}
