#include "cli/ctloutput.h"

#include <QJsonDocument>
#include <cstdio>

namespace {
FILE* outStream = stdout;
FILE* errStream = stderr;

void write(FILE* stream, const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}
} // namespace

void CtlOutput::document(const QJsonObject& object) const
{
    write(outStream, QJsonDocument(object).toJson(QJsonDocument::Indented));
}

void CtlOutput::line(const QString& text) const
{
    write(outStream, text.toUtf8() + '\n');
}

void CtlOutput::message(const QString& text) const
{
    write(errStream, "tarvoctl: " + text.toUtf8() + '\n');
}

void CtlOutput::progress(const QString& text, bool newline) const
{
    write(errStream, text.toUtf8() + (newline ? "\n" : ""));
}

int CtlOutput::fail(int code, const QString& sentence) const
{
    message(sentence);
    if (m_json)
        document(QJsonObject{{"error", sentence}});
    return code;
}

void CtlOutput::redirect(FILE* out, FILE* err)
{
    outStream = out;
    errStream = err;
}
