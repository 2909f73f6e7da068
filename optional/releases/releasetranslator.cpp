#include "optional/releases/releasetranslator.h"

#include "optional/releases/releases.h"

#include <QCoreApplication>
#include <cstring>

QString ReleaseTranslator::translate(const char* context, const char* sourceText, const char*, int) const
{
    if (!context || !sourceText || std::strcmp(context, "MainWindow") != 0)
        return QString();
    const char* text = tarvo::releaseText(sourceText, tarvo::activeRelease());
    return text ? QString::fromUtf8(text) : QString();
}

void ReleaseTranslator::install()
{
    static ReleaseTranslator* translator = nullptr;
    if (translator || !QCoreApplication::instance())
        return;
    translator = new ReleaseTranslator(QCoreApplication::instance());
    QCoreApplication::installTranslator(translator);
}
