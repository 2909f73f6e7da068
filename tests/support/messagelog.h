// Collects log lines of the program's categories, from any thread.
#pragma once

#include <QList>
#include <QLoggingCategory>
#include <QMutex>
#include <QString>
#include <utility>

class MessageLog
{
public:
    using Line = std::pair<QString, QString>; // category, text

    MessageLog()
    {
        QMutexLocker lock(&mutex());
        lines().clear();
        previous() = qInstallMessageHandler(&MessageLog::handle);
    }
    ~MessageLog() { qInstallMessageHandler(previous()); }

    // Texts logged in category since construction, in order.
    static QStringList texts(const char* category)
    {
        QMutexLocker lock(&mutex());
        QStringList result;
        for (const Line& line : lines()) {
            if (line.first == QLatin1String(category))
                result.append(line.second);
        }
        return result;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        const QString category = QString::fromLatin1(context.category ? context.category : "");
        if (category.startsWith(QLatin1String("tarvoset."))) {
            QMutexLocker lock(&mutex());
            lines().append({category, text});
            return;
        }
        if (QtMessageHandler handler = previous())
            handler(type, context, text);
    }

    static QMutex& mutex()
    {
        static QMutex m;
        return m;
    }
    static QList<Line>& lines()
    {
        static QList<Line> l;
        return l;
    }
    static QtMessageHandler& previous()
    {
        static QtMessageHandler h = nullptr;
        return h;
    }
};
