#pragma once

#include <QJsonObject>
#include <QString>
#include <cstddef>
#include <cstdint>

// Reads typed members of a JSON object strictly, for the state file: a missing member,
// a wrong type or a value out of range fails with a message naming the member's path.
class JsonField
{
public:
    // where: the path of the object read ("" for the top level); error may be null.
    JsonField(QString where, QString* error);

    // The dotted path of a member of this object.
    QString path(const QString& name) const;

    // An integral number within [min, max].
    bool integer(const QJsonObject& object, const QString& name, qint64 min, qint64 max, qint64* out);
    bool boolean(const QJsonObject& object, const QString& name, bool* out);
    bool string(const QJsonObject& object, const QString& name, QString* out);
    bool object(const QJsonObject& object, const QString& name, QJsonObject* out);
    // An array of exactly count integers 0..255.
    bool byteArray(const QJsonObject& object, const QString& name, std::uint8_t* out, std::size_t count);

private:
    bool fail(const QString& name, const QString& what);
    bool member(const QJsonObject& object, const QString& name, QJsonValue* out);

    QString m_where;
    QString* m_error;
};
