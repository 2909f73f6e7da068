#include "virtualwheel/jsonfield.h"

#include <QJsonArray>
#include <QJsonValue>
#include <cmath>

namespace {

// JSON numbers are doubles; only whole ones in range count as integers.
bool toInteger(const QJsonValue& value, qint64 min, qint64 max, qint64* out)
{
    if (!value.isDouble())
        return false;
    const double d = value.toDouble();
    if (!std::isfinite(d) || std::floor(d) != d || d < double(min) || d > double(max))
        return false;
    *out = qint64(d);
    return true;
}

} // namespace

JsonField::JsonField(QString where, QString* error)
    : m_where(std::move(where))
    , m_error(error)
{
}

QString JsonField::path(const QString& name) const
{
    return m_where.isEmpty() ? name : m_where + '.' + name;
}

bool JsonField::fail(const QString& name, const QString& what)
{
    if (m_error)
        *m_error = QStringLiteral("%1: %2").arg(path(name), what);
    return false;
}

bool JsonField::member(const QJsonObject& object, const QString& name, QJsonValue* out)
{
    const auto it = object.constFind(name);
    if (it == object.constEnd())
        return fail(name, QStringLiteral("missing"));
    *out = it.value();
    return true;
}

bool JsonField::integer(const QJsonObject& object, const QString& name, qint64 min, qint64 max, qint64* out)
{
    QJsonValue value;
    if (!member(object, name, &value))
        return false;
    if (!toInteger(value, min, max, out))
        return fail(name, QStringLiteral("expected an integer from %1 to %2").arg(min).arg(max));
    return true;
}

bool JsonField::boolean(const QJsonObject& object, const QString& name, bool* out)
{
    QJsonValue value;
    if (!member(object, name, &value))
        return false;
    if (!value.isBool())
        return fail(name, QStringLiteral("expected true or false"));
    *out = value.toBool();
    return true;
}

bool JsonField::string(const QJsonObject& object, const QString& name, QString* out)
{
    QJsonValue value;
    if (!member(object, name, &value))
        return false;
    if (!value.isString())
        return fail(name, QStringLiteral("expected a string"));
    *out = value.toString();
    return true;
}

bool JsonField::object(const QJsonObject& object, const QString& name, QJsonObject* out)
{
    QJsonValue value;
    if (!member(object, name, &value))
        return false;
    if (!value.isObject())
        return fail(name, QStringLiteral("expected an object"));
    *out = value.toObject();
    return true;
}

bool JsonField::byteArray(const QJsonObject& object, const QString& name, std::uint8_t* out, std::size_t count)
{
    QJsonValue value;
    if (!member(object, name, &value))
        return false;
    if (!value.isArray())
        return fail(name, QStringLiteral("expected an array of %1 integers").arg(count));
    const QJsonArray array = value.toArray();
    if (std::size_t(array.size()) != count)
        return fail(name, QStringLiteral("expected %1 entries, found %2").arg(count).arg(array.size()));
    for (std::size_t i = 0; i < count; ++i) {
        qint64 v = 0;
        if (!toInteger(array.at(qsizetype(i)), 0, 255, &v))
            return fail(QStringLiteral("%1[%2]").arg(name).arg(i), QStringLiteral("expected an integer from 0 to 255"));
        out[i] = std::uint8_t(v);
    }
    return true;
}
