#pragma once

#include <QJsonObject>
#include <QString>
#include <cstdio>

// Where tarvoctl's results and messages go: results on stdout (one JSON document with
// --json), messages and progress on stderr.
class CtlOutput
{
public:
    explicit CtlOutput(bool json)
        : m_json(json)
    {
    }
    bool json() const { return m_json; }

    void document(const QJsonObject& object) const;
    void line(const QString& text) const; // stdout
    void message(const QString& text) const; // stderr, after "tarvoctl: "
    void progress(const QString& text, bool newline) const; // stderr, as it is
    // Reports a failure (stderr, and {"error": ...} with --json) and returns code.
    int fail(int code, const QString& sentence) const;

    // Where results and messages go instead of stdout and stderr (tests).
    static void redirect(FILE* out, FILE* err);

private:
    bool m_json;
};
