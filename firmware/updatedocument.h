#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <optional>

// The update server's version.json for one model folder, and the tests made on it: the
// build dates of the wheel and of the server's image, and the image's MD5. Plain Qt Core,
// shared by the window and the command-line program.
struct UpdateDocument
{
    // How the wheel's firmware compares with the server's.
    enum class Comparison {
        Invalid, // the wheel's version line or the server's "version" is not a date
        UpToDate, // the wheel's date is the server's or later
        Newer, // the server's date is later
    };

    QString version; // build date and time, "MMM d yyyy,hh:mm"
    QString name; // image file name inside the model's folder
    QString md5; // 32 hex digits, either case
    QJsonObject object; // the whole document, for the log

    static constexpr const char* kFileName = "version.json";
    static constexpr const char* kDateFormat = "MMM d yyyy,hh:mm";

    // The document in body; nullopt unless it is a JSON object. A key that is missing (or
    // not a string) reads as the empty string.
    static std::optional<UpdateDocument> fromJson(const QByteArray& body);

    // The date part of the wheel's version line: the text between its first tab and the
    // next one (or the end), with each pair of adjacent spaces made one, so that a day
    // padded with a space reads as "Aug 3". A null string when the line holds no tab.
    static QString deviceDateText(const QString& versionLine);
    // A date in kDateFormat (English month abbreviations); invalid otherwise.
    static QDateTime parseDate(const QString& text);
    static Comparison compare(const QString& versionLine, const QString& serverVersion);

    // The MD5 of data as 32 lower-case hex digits.
    static QString md5Hex(const QByteArray& data);
    // Whether the MD5 of image occurs in expected (a bare digest or a text holding one),
    // whatever the case of expected's digits.
    static bool digestMatches(const QByteArray& image, const QString& expected);
};
